// SPDX-License-Identifier: MIT
// kelvaro-sim: the simulated programmer on a pseudo-terminal, for trying the
// program without hardware. Prints "kelvaro-sim: MODEL on /dev/pts/N" first.
#include <sys/socket.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvaro-sim"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kv::kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated high-voltage AVR programmer on a pseudo-terminal.\n"
        "Open the printed path as the serial port. Commands on stdin, one per line:\n"
        "  model NAME | signature 1E9307 | loader | loaderpage N | dump | transcript\n"
        "  fault NAME VALUE (silent, lowercase, delay, trickle, pageacks, writeacks,\n"
        "                    loaderacks, hangupafter, readlimit, stuckflash, stuckeeprom,\n"
        "                    garbage, clear)\n"
        "  hangup | quit"));
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
    parser.addOptions({modelOption, linkOption, baudOption});
    if (parser.parse(app.arguments()) &&
        (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))) {
        std::fputs(kv::helpWithProgramName(parser).toUtf8().constData(), stdout);
        return 0;
    }
    parser.process(app);

    const QString model = parser.value(modelOption);
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

    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        std::signal(SIGHUP, onSignal);
    }

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
