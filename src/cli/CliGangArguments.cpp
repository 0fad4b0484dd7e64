// SPDX-License-Identifier: MIT
// "gang [--ports P1,P2,...] COMMAND [arguments]": the words after "gang" are
// one command line of its own, checked by the same parser, run on every socket.
#include <QCoreApplication>

#include "cli/CliGang.h"
#include "cli/Subcommands.h"

namespace kv::cli {

namespace {

// The global options that take the next word as their value.
bool takesValue(const QString& word) {
    static const QStringList valued = {"-p",           "--port",     "-b",       "--baud",  "-m",
                                       "--model",      "--record",   "--serial", "--lang",  "-port",
                                       "-baud",        "-model",     "-record",  "-serial", "-lang",
                                       "--programmer", "-programmer"};
    return valued.contains(word);
}

}  // namespace

std::optional<ParsedArguments> parseGangArguments(const QStringList& arguments) {
    qsizetype at = -1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == u"gang") {
            at = i;
            break;
        }
        if (!word.startsWith(u'-'))
            return std::nullopt;  // another command's words
        if (takesValue(word))
            ++i;
    }
    if (at < 0)
        return std::nullopt;
    QStringList rest = arguments.mid(at + 1);
    QString ports;
    bool portsGiven = false;
    if (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--ports="))) {
        ports = rest.takeFirst().mid(8);
        portsGiven = true;
    } else if (!rest.isEmpty() && rest.first() == u"--ports") {
        rest.removeFirst();
        portsGiven = true;
        if (!rest.isEmpty())
            ports = rest.takeFirst();
    }
    ParsedArguments parsed;
    const qsizetype portCount = GangSockets::fromPortList(ports).size();
    if (portsGiven && portCount == 0) {
        parsed.error = QCoreApplication::translate("CliGang", "--ports 需要端口列表，如 COM1,COM2");
        return parsed;
    }
    if (portCount > GangSockets::kMaxSockets) {
        parsed.error =
            QCoreApplication::translate("CliGang", "--ports 列出 %1 个端口，量产最多 %2 个插座")
                .arg(portCount)
                .arg(GangSockets::kMaxSockets);
        return parsed;
    }
    QStringList seen;
    for (const GangSocket& socket : GangSockets::fromPortList(ports)) {
        if (const QString problem = portProblem(socket.port); !problem.isEmpty()) {
            parsed.error = problem;
            return parsed;
        }
        // Two sockets on one programmer would fight over its line.
        if (seen.contains(socket.port, Qt::CaseInsensitive)) {
            parsed.error = QCoreApplication::translate("CliGang", "--ports 中端口%1出现了两次")
                               .arg(socket.port);
            return parsed;
        }
        seen << socket.port;
    }
    if (rest.isEmpty()) {
        parsed.error = QCoreApplication::translate(
            "CliGang", "gang 需要每个插座执行的命令，如 run SCHEME.SET");
        return parsed;
    }
    // The command as one socket would run it, with the global options.
    parsed = parseArguments(arguments.mid(0, at) + rest);
    CliRequest& r = parsed.request;
    if (!parsed.error.isEmpty() || r.help || r.version)
        return parsed;
    if (!r.port.isEmpty()) {
        parsed.error = QCoreApplication::translate(
            "CliGang", "gang 的端口由 --ports 或保存的插座给出，不接受 --port");
        return parsed;
    }
    if (!r.unit->onGang) {
        parsed.error =
            QCoreApplication::translate("CliGang", "gang 不能执行命令 %1").arg(r.command);
        return parsed;
    }
    r.gangPorts = ports;
    r.gangCommand = rest;
    r.command = QStringLiteral("gang");
    r.unit = Subcommands::find({QStringLiteral("gang")});
    return parsed;
}

}  // namespace kv::cli
