// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <stdexcept>

#include "BenchRig.h"
#include "Section.h"
#include "sim/SimTiming.h"

namespace kv::bench {

namespace {

namespace timing = kv::sim::timing;

qint64 line(qint64 count) {
    return timing::lineTimeUs(count, BenchRig::kBaud);
}

qint64 monotonicUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// "kelvaro-cli run" of a full ATMEGA32 pass: erase, 32 KiB FLASH written and
// verified, 512 B EEPROM written and verified, fuses, lock; the program's own
// process start, start-up and scheme load included.
QList<Measurement> cliRun(BenchRig& rig, const Options&) {
    QTemporaryDir dir;
    const QString schemePath = writeFullPassScheme(dir, QStringLiteral("bench.SET"));

    rig.simCommand("model ATMEGA32");
    // The program opens the port itself.
    rig.port().setOpen(false);
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    // The record and its spool too: a run must not write into the user's own.
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("KV_CLI_TIMING"), QStringLiteral("1"));
    cli.setProcessEnvironment(env);
    const qint64 start = monotonicUs();
    cli.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/kelvaro-cli"),
        {QStringLiteral("--json"), QStringLiteral("-p"), rig.devicePath(), QStringLiteral("-b"),
         QString::number(BenchRig::kBaud), QStringLiteral("run"), schemePath});
    if (!cli.waitForFinished(120'000))
        throw std::runtime_error("kelvaro-cli did not finish");
    const qint64 totalUs = monotonicUs() - start;
    rig.port().setOpen(true);
    QJsonObject result;
    for (const QByteArray& text : cli.readAllStandardOutput().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(text).object();
        if (object.value("event") == "result")
            result = object;
    }

    const int pages = 32768 / 128;
    const qint64 flashWrite =
        line(32768) + pages * (timing::kProcessingUs + timing::kFlashPageWriteUs + line(1)) +
        3 * 50'000 + 200'000;
    const qint64 flashVerify = line(7) + timing::kProcessingUs + line(2 * 32768);
    const qint64 eeprom =
        512 * (line(9) + timing::kProcessingUs + timing::kEepromByteWriteUs + line(1)) + 1'000;
    const qint64 eepromVerify = 200'000;
    // The replies of erase, fuses and lock are read after fixed waits.
    const qint64 fixedWaits = 100'000 + 200'000 + 100'000;
    const qint64 floorUs = flashWrite + flashVerify + eeprom + eepromVerify + fixedWaits;

    Measurement pass;
    pass.measure = QStringLiteral("kelvaro-cli run, full ATMEGA32 pass");
    pass.valueUs = double(totalUs);
    pass.floorUs = double(floorUs);
    pass.maxRatio = 1.05;
    pass.details << QStringLiteral(
                        "kelvaro-cli run: exit %1, FLASH verified %2, EEPROM verified %3")
                        .arg(cli.exitCode())
                        .arg(result.value("flashVerified").toBool() ? "yes" : "NO")
                        .arg(result.value("eepromVerified").toBool() ? "yes" : "NO");

    Measurement first;
    first.measure = QStringLiteral("kelvaro-cli start to first byte");
    first.valueUs = double(result.value("firstByteUs").toInteger() - start);
    first.floorUs = 100'000;
    first.maxRatio = 1.0;
    first.details << QStringLiteral("first byte: floor column is the 100 ms budget");
    return {pass, first};
}

}  // namespace

QList<Section> cliSections() {
    return {{QStringLiteral("kelvaro-cli"), cliRun}};
}

}  // namespace kv::bench
