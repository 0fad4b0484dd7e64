// SPDX-License-Identifier: MIT
// kelvaro-sim: the simulated programmer on a pseudo-terminal, for trying the
// program without hardware. Prints "kelvaro-sim: MODEL on /dev/pts/N" first.
#include <sys/socket.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "avr/FirmwareConsole.h"
#include "avr/FirmwareHost.h"
#include "avr/ProgrammerBoard.h"
#include "core/CommandLineHelp.h"
#include "core/Version.h"
#include "sim/PtyServer.h"
#include "sim/SimChip.h"
#include "sim/SimConsole.h"
#include "sim/SimulatedProgrammer.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

void say(const QString& line) {
    std::fputs(("kelvaro-sim: " + line + '\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void catchSignals(QCoreApplication& app) {
    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        std::signal(SIGHUP, onSignal);
    }
}

// The programmer's firmware on a simulated board, served on the terminal in
// real time.
int runFirmware(QCoreApplication& app, const QString& firmware, const QString& loader,
                const QString& model, const QString& link, int baud) {
    using namespace kv::sim::avr;
    if (!HvppChip::isKnown(model)) {
        std::fprintf(stderr, "kelvaro-sim: unknown model \"%s\"\n", qPrintable(model));
        return 2;
    }
    if (baud < 0) {
        std::fprintf(stderr, "kelvaro-sim: bad baud rate\n");
        return 2;
    }
    auto board = std::make_unique<ProgrammerBoard>(model);
    QString error;
    if (!board->loadFirmware(firmware, &error) ||
        (!loader.isEmpty() && !board->loadExtra(loader, &error))) {
        std::fprintf(stderr, "kelvaro-sim: %s\n", qPrintable(error));
        return 1;
    }
    FirmwareHost host(std::move(board));
    host.setFixedBaud(baud);
    if (!host.start(&error)) {
        std::fprintf(stderr, "kelvaro-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(host.slavePath(), link)) {
            std::fprintf(stderr, "kelvaro-sim: cannot create link %s\n", qPrintable(link));
            return 1;
        }
    }
    catchSignals(app);
    FirmwareConsole console(host);
    QObject::connect(&console, &FirmwareConsole::quitRequested, &app, &QCoreApplication::quit);
    console.listen(STDIN_FILENO);
    // A firmware that crashes ends the simulator with its reason.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (host.stopped()) {
            say(QStringLiteral("firmware stopped: ") + host.stopReason());
            app.exit(3);
        }
    });
    watch.start(200);
    say(QStringLiteral("%1 (firmware %2) on %3")
            .arg(model.trimmed().toUpper(), QFileInfo(firmware).fileName(), host.slavePath()));
    const int result = app.exec();
    host.stop();
    if (!link.isEmpty())
        QFile::remove(link);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvaro-sim"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kv::kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated high-voltage AVR programmer on a pseudo-terminal.\n"
        "Open the printed path as the serial port. Commands on stdin, one per line:\n"
        "  model NAME | fuses LOW HIGH EXT LOCK (hex, \"..\" keeps one) | signature 1E9307\n"
        "  loader | loaderpage N | dump | transcript\n"
        "  fault NAME VALUE (silent, lowercase, delay, trickle, pageacks, writeacks,\n"
        "                    loaderacks, hangupafter, readlimit, stuckflash, stuckeeprom,\n"
        "                    garbage, clear)\n"
        "  hangup | quit\n"
        "With --firmware the programmer's own firmware runs on a simulated ATmega2560\n"
        "(16 MHz, in real time) with a chip modelled from its datasheet in the socket;\n"
        "its commands: model, fuses, dump, transcript, violations (the chip's timing\n"
        "findings), loader (the board's reset button), rail MV, hangup, quit."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Chip in the socket (default ATMEGA8)."),
                                         QStringLiteral("NAME"), QStringLiteral("ATMEGA8"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"), QStringLiteral("Also make PATH a symbolic link to the port."),
        QStringLiteral("PATH"));
    const QCommandLineOption baudOption(
        QStringLiteral("baud"), QStringLiteral("Pace the line at N baud whatever the client sets."),
        QStringLiteral("N"));
    const QCommandLineOption firmwareOption(
        QStringLiteral("firmware"),
        QStringLiteral("Run the programmer firmware FILE (ELF or Intel HEX) in simavr instead of "
                       "the built-in simulator."),
        QStringLiteral("FILE"));
    const QCommandLineOption loaderOption(
        QStringLiteral("loader"),
        QStringLiteral("With --firmware: a boot-section loader image of its own to load too."),
        QStringLiteral("FILE"));
    parser.addOptions({modelOption, linkOption, baudOption, firmwareOption, loaderOption});
    if (parser.parse(app.arguments()) &&
        (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))) {
        std::fputs(kv::helpWithProgramName(parser).toUtf8().constData(), stdout);
        return 0;
    }
    parser.process(app);

    const QString model = parser.value(modelOption);
    if (parser.isSet(firmwareOption)) {
        return runFirmware(app, parser.value(firmwareOption), parser.value(loaderOption), model,
                           parser.value(linkOption),
                           parser.isSet(baudOption) ? parser.value(baudOption).toInt() : 0);
    }
    if (!kv::sim::SimChip::find(model)) {
        std::fprintf(stderr, "kelvaro-sim: unknown model \"%s\"\n", qPrintable(model));
        return 2;
    }
    kv::sim::SimulatedProgrammer device(model);
    kv::sim::PtyServer server(device);
    if (parser.isSet(baudOption)) {
        const int baud = parser.value(baudOption).toInt();
        if (baud <= 0) {
            std::fprintf(stderr, "kelvaro-sim: bad baud rate\n");
            return 2;
        }
        server.setFixedBaud(baud);
    }
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "kelvaro-sim: %s\n", qPrintable(error));
        return 1;
    }
    const QString link = parser.value(linkOption);
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(server.slavePath(), link)) {
            std::fprintf(stderr, "kelvaro-sim: cannot create link %s\n", qPrintable(link));
            return 1;
        }
    }

    catchSignals(app);

    kv::sim::SimConsole console(device, &server);
    QObject::connect(&console, &kv::sim::SimConsole::quitRequested, &app, &QCoreApplication::quit);
    QObject::connect(&server, &kv::sim::PtyServer::hungUp, &app,
                     [] { say(QStringLiteral("line hung up")); });
    console.listen(STDIN_FILENO);

    say(device.model() + " on " + server.slavePath());
    const int result = app.exec();
    if (!link.isEmpty()) {
        QFile::remove(link);
    }
    return result;
}
