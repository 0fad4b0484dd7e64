// SPDX-License-Identifier: MIT
// kelvaro-bench-window: how fast the main window comes up with a populated
// set-up (settings, model, fuse bits, both image files reloaded, port opened on
// kelvaro-sim), and the longest time the window handles no events while it
// writes and verifies a 32 KiB FLASH image and reads it back, and what the
// gang window and its runner cost per socket while four sockets wait. Targets are
// reported as PASS or FAIL; the exit code is 0 unless the run itself failed.
//
//   kelvaro-bench-window [--runs N] [--sim PATH]
//
// Without a display the window runs on the offscreen platform.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "GangWindowBench.h"
#include "WindowBench.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "core/UserPrompts.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"

namespace {

constexpr double kStartTargetMs = 400;
constexpr double kGapTargetMs = 100;

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

// The program's own start-up pieces on a settings folder.
struct Program {
    explicit Program(const QString& settingsFolder)
        : settings(kv::ShellTexts::appTitle(), settingsFolder),
          portMap(&settings),
          port(portMap),
          pump(clock),
          window({port, clock, pump, prompts, settings, QCoreApplication::applicationDirPath(),
                  &portMap}) {}

    kv::SettingsStore settings;
    kv::PortMap portMap;
    kv::QtSerialControl port;
    kv::SystemClock clock;
    kv::QtEventPump pump;
    kv::bench::CollectingPrompts prompts;
    kv::ui::MainWindow window;
};

// Runs when started with --child: builds and shows the window like the
// program, prints "shown" at the first paint and ends.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_done = false;
};

int runChild(const QString& settingsFolder) {
    Program program(settingsFolder);
    FirstPaint paint;
    program.window.installEventFilter(&paint);
    program.window.load();
    program.window.show();
    const int result = QApplication::exec();
    if (!program.prompts.warnings.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(program.prompts.warnings.join(u'\n')));
    return result;
}

// Process start to first paint, as the parent sees it.
double startUpMs(const QString& settingsFolder) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), settingsFolder});
    while (!child.canReadLine() && child.waitForReadyRead(10000)) {
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    const QByteArray line = child.readLine().trimmed();
    child.waitForFinished(10000);
    if (line != "shown")
        throw std::runtime_error("the window did not show");
    return ms;
}

void row(const QString& measure, const QString& value, const QString& target, bool pass) {
    out() << measure.leftJustified(52) << value.rightJustified(12) << target.rightJustified(10)
          << "  " << (pass ? "PASS" : "FAIL") << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption childOption(QStringLiteral("child"), QStringLiteral("(internal)"),
                                         QStringLiteral("settings"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Start-ups to time (7)."),
                                        QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption simOption(
        QStringLiteral("sim"),
        QStringLiteral("Path of kelvaro-sim (default: beside this program)."),
        QStringLiteral("path"),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kelvaro-sim")));
    parser.addOptions({childOption, runsOption, simOption});
    parser.process(app);
    if (parser.isSet(childOption))
        return runChild(parser.value(childOption));

    try {
        kv::bench::WindowSetup setup(parser.value(simOption));
        out() << "kelvaro-bench-window on the " << QGuiApplication::platformName()
              << " platform\n\n";

        QList<double> starts;
        for (int i = 0; i < std::max(1, parser.value(runsOption).toInt()); ++i)
            starts << startUpMs(setup.settingsFolder());
        std::sort(starts.begin(), starts.end());
        const double median = starts[starts.size() / 2];
        row(QStringLiteral("start-up to first paint, median of %1").arg(starts.size()),
            QStringLiteral("%1 ms").arg(median, 0, 'f', 1), QStringLiteral("< 400 ms"),
            median < kStartTargetMs);
        row(QStringLiteral("start-up to first paint, slowest"),
            QStringLiteral("%1 ms").arg(starts.last(), 0, 'f', 1), QString(), true);

        Program program(setup.settingsFolder());
        program.window.load();
        program.window.show();
        kv::Workbench& wb = program.window.workbench();
        if (!program.port.isOpen())
            throw std::runtime_error("the port did not open");
        if (wb.session().flash().image().byteCount() != kv::bench::WindowSetup::kFlashBytes)
            throw std::runtime_error("the FLASH file was not reloaded");

        // A heartbeat every 2 ms stands for the window's own events: the gap
        // between two beats is how long no event was handled.
        QElapsedTimer clock;
        clock.start();
        qint64 last = -1, longest = 0;
        int beats = 0, over = 0;
        // The operation that held the window longest, by its last log message.
        QString lastMessage, longestDuring;
        QObject::connect(&wb.session().log(), &kv::MessageLog::changed, [&] {
            const QStringList lines =
                wb.session().log().text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            for (qsizetype i = lines.size() - 1; i >= 0; --i) {
                if (!lines[i].startsWith(u'[')) {
                    lastMessage = lines[i];
                    break;
                }
            }
        });
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        heartbeat.setInterval(2);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0) {
                if (now - last > longest)
                    longestDuring = lastMessage;
                longest = std::max(longest, now - last);
                if (now - last > qint64(kGapTargetMs * 1e6))
                    ++over;
            }
            last = now;
            ++beats;
        });
        wb.session().options().setFromText(QStringLiteral("0100000010"));  // write and verify FLASH
        heartbeat.start();
        const qint64 start = clock.nsecsElapsed();
        wb.runCommand(kv::CommandId::RunPass);
        wb.runCommand(kv::CommandId::ReadFlash);
        const double totalMs = (clock.nsecsElapsed() - start) / 1e6;
        heartbeat.stop();

        const bool verified = wb.session().log().text().contains(QStringLiteral("校验FLASH通过。"));
        const bool readBack =
            wb.session().flash().image().byteCount() == kv::bench::WindowSetup::kFlashBytes;
        row(QStringLiteral("FLASH 32 KiB write + verify + read, total"),
            QStringLiteral("%1 s").arg(totalMs / 1e3, 0, 'f', 2), QString(), verified && readBack);
        row(QStringLiteral("longest time without handling events"),
            QStringLiteral("%1 ms").arg(longest / 1e6, 0, 'f', 1), QStringLiteral("< 100 ms"),
            longest < qint64(kGapTargetMs * 1e6));
        out() << "\nlongest gap during: " << longestDuring << '\n';
        out() << beats << " heartbeats, " << over << " gaps over 100 ms; verify "
              << (verified ? "passed" : "did not pass") << ", read back "
              << (readBack ? "complete" : "incomplete") << '\n';
        if (!program.prompts.warnings.isEmpty())
            out() << "warnings: " << program.prompts.warnings.join(QStringLiteral(" | ")) << '\n';

        const kv::bench::GangWindowIdle idle = kv::bench::gangWindowIdle(
            parser.value(simOption),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kelvaro-cli")));
        out() << '\n';
        row(QStringLiteral("gang window + runner CPU per socket, %1 waiting").arg(idle.sockets),
            QStringLiteral("%1 %").arg(idle.percentPerSocket, 0, 'f', 2), QStringLiteral("<= 2 %"),
            idle.percentPerSocket <= 2.0 && idle.stillWaiting == idle.sockets);
        out() << idle.stillWaiting << " of " << idle.sockets << " children still waiting after "
              << idle.spanS << " s\n";
        if (!idle.endedEarly.isEmpty())
            out() << "a child ended early: " << idle.endedEarly << '\n';
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvaro-bench-window: %s\n", e.what());
        return 1;
    }
    return 0;
}
