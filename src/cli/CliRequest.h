// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>

#include <QStringList>
#include <optional>

#include "cli/Subcommand.h"

namespace kv::cli {

// The exit codes scripts rely on; --help and the README list them.
enum ExitCode {
    kExitDone = 0,
    kExitChipDisagrees = 1,  // verify mismatch, wrong signature, fuses not confirmed
    kExitUsage = 2,
    kExitProgrammer = 3,     // cannot open the port, no answer, line hung up
    kExitFile = 4,           // missing, unreadable, malformed, larger than the chip
    kExitRecord = 5,         // the production record cannot be kept; nothing was sent
    kExitRecordPending = 6,  // the chip is done; its record waits in the spool
    kExitRecordLost = 7,     // the chip is written; neither the record nor the spool took its row
    kExitInterrupted = 130,
};

// One command line, parsed and checked for combinations that make sense.
struct CliRequest {
    // Global options.
    QString port;   // "COMn" or a device path; empty: the stored port
    QString baud;   // empty: the stored line settings
    QString model;  // the table's spelling; empty: identify by signature
    bool json = false;
    bool quiet = false;
    bool verbose = false;  // also the line's traffic
    bool help = false;
    bool version = false;
    QString recordUrl;  // --record; empty: the window's setting
    bool noRecord = false;
    QString serialFile;  // --serial; run also finds SCHEME.SET.serial by itself
    // --operator, --lot: for the record; not given: the window's settings.
    std::optional<QString> operatorName;
    std::optional<QString> lot;
    QString language;    // --lang: "en" or "zh"; empty: not given
    QString programmer;  // --programmer: a registered kind; the default one unless given
    // gang: the sockets' ports ("COM1,COM2"; empty: the stored sockets) and
    // the command every socket runs ("run", "line3.SET").
    QString gangPorts;
    QStringList gangCommand;

    // The command ("fuses write") and its arguments.
    const Subcommand* unit = nullptr;
    QString command;  // its name, for messages and the JSON result
    QString file;     // FILE, SCHEME.SET, or the lock byte's digits
    bool verify = false;
    bool noErase = false;
    bool probe = false;
    bool encrypted = false;
    bool fuses = false;  // program: the file's fuse bytes too
    bool lock = false;   // program: the file's lock byte too
    bool erase = false;  // program: erase the chip first
    bool raw = false;    // an .eep that looks like text goes in as its bytes all the same
    std::optional<int> low, high, ext;
    std::optional<int> lockByte;
    std::optional<int> slotMhz;  // 1, 2, 4 or 8
    QString target;              // "flash" or "eeprom"
    std::optional<int> address;
    std::optional<int> pageSize;  // 32, 64 or 128
    QDateTime since;              // record list
    bool failedOnly = false;
    bool csv = false;

    // Commands that talk to a chip in the socket (and so identify it first).
    bool needsChip() const { return unit && unit->reach == Reach::Chip; }
    // Commands that change the chip, and so keep a record.
    bool changesChip() const { return unit && unit->changesChip; }
    bool is(const Subcommand& other) const { return unit == &other; }
};

struct ParsedArguments {
    CliRequest request;
    QString error;  // empty when the line is usable
};

// arguments: without the program name.
ParsedArguments parseArguments(const QStringList& arguments);
// The model's name as the table spells it, matched case-insensitively; empty
// for a name the table lacks.
QString canonicalModel(const QString& name);
// Why a port as given is refused: a COM number outside COM1..COM16; empty
// when it is usable (a device path, or a COM number in range).
QString portProblem(const QString& port);
// A byte in hex ("E1", "0xE1"); nullopt for anything else.
std::optional<int> parseHexByte(QString text);
// Whether the line asks for --json, even when it fails to parse.
bool jsonAsked(const QStringList& arguments);

}  // namespace kv::cli
