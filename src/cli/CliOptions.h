// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include "cli/Subcommand.h"

namespace kv::cli {

// The options of the command line; the commands themselves are units of
// their own (commands/), listed in Subcommands.cpp.

// The options every command takes, in the order --help lists them; a
// description's lines are those of --help.
const QList<QCommandLineOption>& globalOptions();
// The commands' own options, each once.
const QList<QCommandLineOption>& commandOptions();
QList<QCommandLineOption> optionsOf(const Subcommand& command);

}  // namespace kv::cli
