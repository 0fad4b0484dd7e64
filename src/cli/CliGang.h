// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonArray>
#include <QProcessEnvironment>
#include <QStringList>
#include <optional>

#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "core/SystemClock.h"
#include "gang/GangRunner.h"

namespace kv::cli {

class StopSignal;

// The line when it is a gang command ("gang" after the global options);
// nullopt for any other. The socket's command is checked as one line of its own.
std::optional<ParsedArguments> parseGangArguments(const QStringList& arguments);

// "gang --ports COM1,COM2 run SCHEME.SET": the same command on every socket,
// each in a kelvaro-cli process of its own. With --json the children's lines
// come tagged with their port, then one "socket" line per socket and the
// summary as the result; exit 0 only when every socket passed.
class CliGang {
public:
    // settingsFolder: the window's settings folder; empty: the user's.
    CliGang(const CliRequest& request, CliReport& report, const QString& settingsFolder);

    // stop: the process's Ctrl-C, which stops every socket between exchanges.
    int run(StopSignal& stop);

    // A child's JSON line with "port" after its event (or first, without one).
    static QByteArray tagged(const QByteArray& line, const QString& port);
    // The global options each socket's process gets, and its environment: the
    // record's address goes there, since a command line is anyone's to read.
    static QStringList childOptions(const CliRequest& request);
    static QProcessEnvironment childEnvironment(const CliRequest& request,
                                                QProcessEnvironment environment);

private:
    int prepareRecord();
    void forward(int index, const QJsonObject& line, const QByteArray& raw);
    void reportSocket(int index);

    CliRequest m_request;
    CliReport& m_report;
    QString m_settingsFolder;
    SystemClock m_clock;
    GangRunner m_runner;
    QJsonArray m_sockets;
    int m_passed = 0;
    int m_firstFailure = 0;
};

}  // namespace kv::cli
