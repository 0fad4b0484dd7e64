// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QStringList>

#include "cli/Subcommand.h"

namespace kv::cli {

// The command table: every command of kelvaro-cli in the order --help lists
// them. Adding a command is its unit under commands/ and one line here.
namespace Subcommands {

const QList<const Subcommand*>& all();
// The command named by the first run of words that names one; null for none.
const Subcommand* find(const QStringList& words);

}  // namespace Subcommands

// kelvaro-cli --help: options, commands, exit codes.
QString helpText();
// kelvaro-cli COMMAND --help: its usage, what it does, its options, an example.
QString commandHelp(const Subcommand& command);

}  // namespace kv::cli
