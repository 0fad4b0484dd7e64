// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kv::cli {

class CommandRun;
struct CliRequest;

// What a command reaches before its own work begins.
enum class Reach {
    Nothing,  // no programmer: a listing, the record, the gang
    Port,     // opens the port, but there is no chip to identify (firmware, run)
    Chip,     // identifies the chip in the socket first
};

// One kelvaro-cli command: a unit of its own under commands/, listed once in
// the command table (Subcommands.cpp). Its name, arguments, options and help
// are all here, so --help, COMMAND --help, the parser and the gang read them.
struct Subcommand {
    QString name;         // one or two words: "detect", "fuses write"
    int arguments = 0;    // positional arguments after the name; -1: the rest is its own line
    QStringList options;  // long names of its own options, besides the global ones
    QString usage;
    QString summary;  // --help's line; a second line starts with six blanks
    QString example;  // for COMMAND --help
    Reach reach = Reach::Chip;
    bool changesChip = false;  // keeps a production record
    bool onGang = false;       // may run on every socket of a gang
    // Its own checks of a parsed line, after the common ones (it may take
    // its argument apart into the request): the refusal, or empty.
    QString (*check)(CliRequest& request) = nullptr;
    // Does the work; returns when it is done and throws CommandEnd (or an
    // OperationError) when it ends otherwise.
    void (*invoke)(CommandRun& run) = nullptr;
};

}  // namespace kv::cli
