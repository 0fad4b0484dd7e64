// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::cli {

// One command of kelvaro-cli. A new command is one entry here, its own
// options in commandOptions(), and its values in the request.
struct CommandEntry {
    QString name;         // one or two words: "detect", "fuses write"
    int arguments;        // positional arguments after the name
    QStringList options;  // long names of its own options, besides the global ones
    QString usage;
    QString summary;
};

// In the order --help lists them.
const QList<CommandEntry>& commandTable();

// The options every command takes, in the order --help lists them; a
// description's lines are those of --help.
const QList<QCommandLineOption>& globalOptions();
// The commands' own options, each once.
const QList<QCommandLineOption>& commandOptions();
QList<QCommandLineOption> optionsOf(const CommandEntry& command);

// The command named by the first run of words that names one; null for none.
const CommandEntry* findCommand(const QStringList& words);

}  // namespace kv::cli
