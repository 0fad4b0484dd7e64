// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/CommandTable.h"

namespace kv::cli {

// The commands themselves, their names, arguments and --help lines, are
// rows of the program's command table (app/CommandTable); here are the
// options they take.

// The options every command takes, in the order --help lists them; a
// description's lines are those of --help.
const QList<QCommandLineOption>& globalOptions();
// The commands' own options, each once.
const QList<QCommandLineOption>& commandOptions();
QList<QCommandLineOption> optionsOf(const CliCommand& command);

}  // namespace kv::cli
