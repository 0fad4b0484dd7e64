// SPDX-License-Identifier: MIT
// kelvaro-bench: runs the link against kelvaro-sim on a pseudo-terminal at
// 115200 baud and prints each timing as a ratio to the least time the line and
// the simulated device allow, plus the program's CPU share. Targets are
// reported as PASS or FAIL; the exit code is 0 unless the run itself failed.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

#include "BenchRig.h"
#include "Section.h"
#include "core/OperationError.h"

using namespace kv::bench;

namespace {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QString duration(double us) {
    if (us >= 1e6) {
        return QStringLiteral("%1 s").arg(us / 1e6, 0, 'f', 3);
    }
    return QStringLiteral("%1 ms").arg(us / 1e3, 0, 'f', 3);
}

// Timings on a busy machine say little; the load is printed beside them.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

QString verdict(bool pass) {
    return pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
}

void printRow(const QString& section, const QString& measure, const QString& value,
              const QString& floor, const QString& ratio, const QString& target,
              const QString& result) {
    out() << section.leftJustified(14) << measure.leftJustified(34) << value.rightJustified(12)
          << floor.rightJustified(12) << ratio.rightJustified(8) << target.rightJustified(9) << "  "
          << result << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the programmer link against kelvaro-sim on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption simOption(
        QStringLiteral("sim"),
        QStringLiteral("Path of kelvaro-sim (default: beside this program)."),
        QStringLiteral("path"),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kelvaro-sim")));
    const QCommandLineOption writesOption(QStringLiteral("writes"),
                                          QStringLiteral("Number of WE exchanges (1000)."),
                                          QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption readOption(QStringLiteral("read-kib"),
                                        QStringLiteral("Size of the RF read in KiB, 1-63 (32)."),
                                        QStringLiteral("n"), QStringLiteral("32"));
    const QCommandLineOption onlyOption(
        QStringLiteral("only"), QStringLiteral("Run only sections whose name contains this."),
        QStringLiteral("text"));
    parser.addOptions({simOption, writesOption, readOption, onlyOption});
    parser.process(app);

    Options options;
    options.eepromWrites = std::max(1, parser.value(writesOption).toInt());
    options.flashReadKiB = std::clamp(parser.value(readOption).toInt(), 1, 63);

    QList<Section> sections = linkSections();
    sections << imageSections();
    sections << cliSections();
    sections << gangSections();
    sections << firmwareSections();
    if (parser.isSet(onlyOption)) {
        const QString only = parser.value(onlyOption);
        sections.removeIf(
            [&](const Section& s) { return !s.name.contains(only, Qt::CaseInsensitive); });
    }

    bool allPass = true;
    qint64 cpuUs = 0, wallUs = 0;
    QStringList details;
    try {
        BenchRig rig(parser.value(simOption), {});
        out() << "kelvaro-bench: kelvaro-sim on " << rig.devicePath() << " at " << BenchRig::kBaud
              << " baud; load average " << loadAverage() << "\n\n";
        printRow(QStringLiteral("section"), QStringLiteral("measure"), QStringLiteral("value"),
                 QStringLiteral("floor"), QStringLiteral("ratio"), QStringLiteral("target"),
                 QStringLiteral("result"));
        out().flush();
        for (const Section& section : sections) {
            const qint64 cpu0 = processCpuUs();
            const qint64 wall0 = rig.clock().nowUs();
            const QList<Measurement> results = section.run(rig, options);
            if (!section.simulatesInProcess) {
                cpuUs += processCpuUs() - cpu0;
                wallUs += rig.clock().nowUs() - wall0;
            }
            for (const Measurement& m : results) {
                const double ratio = m.floorUs > 0 ? m.valueUs / m.floorUs : 0;
                const bool pass = m.maxRatio <= 0 || ratio <= m.maxRatio;
                allPass = allPass && pass;
                printRow(
                    section.name, m.measure, duration(m.valueUs),
                    m.floorUs > 0 ? duration(m.floorUs) : QString(),
                    m.floorUs > 0 ? QString::number(ratio, 'f', 3) : QString(),
                    m.maxRatio > 0 ? QStringLiteral("<=%1").arg(m.maxRatio, 0, 'f', 2) : QString(),
                    m.maxRatio > 0 ? verdict(pass) : QString());
                details << m.details;
            }
            out().flush();
        }
        const double share = wallUs > 0 ? 100.0 * double(cpuUs) / double(wallUs) : 0;
        const bool cpuPass = share <= 5.0;
        allPass = allPass && cpuPass;
        printRow(QStringLiteral("all above"), QStringLiteral("program CPU time / wall time"),
                 QStringLiteral("%1 %").arg(share, 0, 'f', 2), QString(), QString(),
                 QStringLiteral("<=5 %"), verdict(cpuPass));
        details << QStringLiteral("CPU: %1 of %2 wall")
                       .arg(duration(double(cpuUs)), duration(double(wallUs)));
    } catch (const kv::OperationError& e) {
        std::fprintf(stderr, "kelvaro-bench: %s\n", qPrintable(e.text()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvaro-bench: %s\n", e.what());
        return 1;
    }
    details << QStringLiteral("simulator CPU time: %1").arg(duration(double(childrenCpuUs())));

    out() << '\n';
    for (const QString& line : details) {
        out() << "  " << line << '\n';
    }
    out() << "\nall targets met: " << (allPass ? "yes" : "no") << '\n';
    return 0;
}
