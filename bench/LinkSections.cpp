// SPDX-License-Identifier: MIT
#include <QtMath>
#include <algorithm>
#include <vector>

#include "BenchRig.h"
#include "Section.h"
#include "core/HexDigits.h"
#include "sim/SimTiming.h"

namespace kv::bench {

namespace {

namespace timing = kv::sim::timing;

double percentile(std::vector<qint64> sorted, double p) {
    if (sorted.empty()) {
        return 0;
    }
    std::sort(sorted.begin(), sorted.end());
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return double(sorted[index]);
}

// "WE" + data + address + "#", each waited for with waitForText "!" 100 ms, as
// the EEPROM image write does.
QList<Measurement> eepromWrites(BenchRig& rig, const Options& options) {
    ProgrammerLink& link = rig.link();
    link.discardInput();
    // Notes when the acknowledgement reached the port, to tell the line and the
    // simulator's lateness from the link's own.
    qint64 arrivalUs = -1;
    const auto wake = rig.port().onInputArrived;
    rig.port().onInputArrived = [&] {
        if (arrivalUs < 0) {
            arrivalUs = rig.clock().nowUs();
        }
        wake();
    };
    std::vector<qint64> times, reactions;
    times.reserve(size_t(options.eepromWrites));
    reactions.reserve(size_t(options.eepromWrites));
    int missed = 0;
    const qint64 start = rig.clock().nowUs();
    for (int i = 0; i < options.eepromWrites; ++i) {
        const QString command =
            QStringLiteral("WE") + hexField(i & 0xFF, 2) + hexField(i % 512, 4) + u'#';
        const qint64 t0 = rig.clock().nowUs();
        arrivalUs = -1;
        link.sendCommand(command);
        if (!link.waitForText(100, QStringLiteral("!"))) {
            ++missed;
        }
        const qint64 t1 = rig.clock().nowUs();
        times.push_back(t1 - t0);
        if (arrivalUs >= 0) {
            reactions.push_back(t1 - arrivalUs);
        }
    }
    const qint64 totalUs = rig.clock().nowUs() - start;
    rig.port().onInputArrived = wake;

    // 9 command characters and the "!" on the line, the device's reaction
    // time and its EEPROM byte write.
    const qint64 floorUs = timing::lineTimeUs(9, BenchRig::kBaud) + timing::kProcessingUs +
                           timing::kEepromByteWriteUs + timing::lineTimeUs(1, BenchRig::kBaud);
    Measurement m;
    m.measure = QStringLiteral("per WE exchange (mean of %1)").arg(options.eepromWrites);
    m.valueUs = double(totalUs) / std::max(options.eepromWrites, 1);
    m.floorUs = double(floorUs);
    m.maxRatio = 1.10;
    m.details << QStringLiteral("WE: p50 %1 ms, p99 %2 ms, max %3 ms, missed acknowledgements %4")
                     .arg(percentile(times, 0.5) / 1000, 0, 'f', 3)
                     .arg(percentile(times, 0.99) / 1000, 0, 'f', 3)
                     .arg(percentile(times, 1.0) / 1000, 0, 'f', 3)
                     .arg(missed);
    m.details << QStringLiteral(
                     "WE: from the \"!\" reaching the port to WaitForText's return: "
                     "p50 %1 ms, p99 %2 ms")
                     .arg(percentile(reactions, 0.5) / 1000, 0, 'f', 3)
                     .arg(percentile(reactions, 0.99) / 1000, 0, 'f', 3);
    m.details << QStringLiteral(
                     "WE floor: 10 characters at %1 baud + %2 us reaction + %3 us EEPROM write")
                     .arg(BenchRig::kBaud)
                     .arg(timing::kProcessingUs)
                     .arg(timing::kEepromByteWriteUs);
    return {m};
}

// "RF" + count + "#", collected as the FLASH read does: delayMs 200, then read
// and delayMs 200 until every character came.
QList<Measurement> flashRead(BenchRig& rig, const Options& options) {
    ProgrammerLink& link = rig.link();
    const int bytes = std::clamp(options.flashReadKiB, 1, 63) * 1024;
    const int chars = 2 * bytes;
    const qint64 stepUs = 200'000;
    const qint64 wireUs = timing::lineTimeUs(7, BenchRig::kBaud) + timing::kProcessingUs +
                          timing::lineTimeUs(chars, BenchRig::kBaud);
    // The steps end at the first step boundary at or after the last character.
    const qint64 floorUs = std::max<qint64>(1, (wireUs + stepUs - 1) / stepUs) * stepUs;
    const int stepLimit = int(2 * floorUs / stepUs) + 10;

    link.discardInput();
    const qint64 start = rig.clock().nowUs();
    link.sendCommand(QStringLiteral("RF") + hexField(bytes, 4) + u'#');
    link.delayMs(200);
    QString collected;
    int steps = 1;
    for (;;) {
        collected += link.readInput();
        if (collected.size() >= chars || steps >= stepLimit) {
            break;
        }
        link.delayMs(200);
        ++steps;
    }
    const qint64 totalUs = rig.clock().nowUs() - start;
    const bool allHex = std::all_of(collected.cbegin(), collected.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
    });

    Measurement m;
    m.measure = QStringLiteral("RF of %1 KiB, 200 ms steps").arg(bytes / 1024);
    m.valueUs = double(totalUs);
    m.floorUs = double(floorUs);
    m.maxRatio = 1.05;
    m.details << QStringLiteral(
                     "RF: %1 of %2 characters%3 in %4 steps; wire time %5 s, "
                     "floor = wire time rounded up to whole 200 ms steps")
                     .arg(collected.size())
                     .arg(chars)
                     .arg(allHex ? QString() : QStringLiteral(" (NOT all hex digits)"))
                     .arg(steps)
                     .arg(double(wireUs) / 1e6, 0, 'f', 3);
    return {m};
}

}  // namespace

QList<Section> linkSections() {
    return {
        {QStringLiteral("EEPROM bytes"), eepromWrites},
        {QStringLiteral("FLASH read"), flashRead},
    };
}

}  // namespace kv::bench
