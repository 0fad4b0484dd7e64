// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"

namespace kv::cli::commands {

// The gang has its own parser (CliGangArguments) and runner (CliGang);
// main starts it, with the process's stop signal.
const Subcommand& gang() {
    static const Subcommand command{
        .name = QStringLiteral("gang"),
        .arguments = -1,
        .usage = QStringLiteral("gang [--ports PORT,PORT,...] COMMAND [arguments]"),
        .summary = QStringLiteral(
            "the command on every socket at once, each programmer in a process of its own;\n"
            "      default: the sockets stored by the window; exit 0 when every socket passed,\n"
            "      else the code of the first socket that did not"),
        .example = QStringLiteral("kelvaro-cli --json gang --ports COM3,COM4,COM5 run LINE3.SET"),
        .reach = Reach::Nothing,
    };
    return command;
}

}  // namespace kv::cli::commands
