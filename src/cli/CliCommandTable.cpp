// SPDX-License-Identifier: MIT
#include "cli/CliCommandTable.h"

namespace kv::cli {

const QList<QCommandLineOption>& globalOptions() {
    static const QList<QCommandLineOption> list = {
        {{"p", "port"},
         "COMn as the window numbers ports, or a device path;\n"
         "default: the port stored by the window",
         "PORT"},
        {{"b", "baud"}, "default: the stored line settings (115200,n,8,1)", "N"},
        {{"m", "model"}, "a model of the table, any case; default: identify by signature", "NAME"},
        {"json", "one JSON object per line on stdout; human text goes to stderr"},
        {{"q", "quiet"}, "only errors on stderr"},
        {{"v", "verbose"}, "also every byte exchanged with the programmer, on stderr"},
        {"record",
         "the production record: sqlite:PATH or postgresql://...;\n"
         "default: KELVARO_RECORD, else the window's setting,\n"
         "else ~/.local/share/kelvaro/record.sqlite",
         "URL"},
        {"no-record", "program without a record; only where the window's setting allows it"},
        {"operator",
         "who runs the station (name or badge), for the record;\n"
         "default: the window's setting",
         "ID"},
        {"lot", "work order or lot, for the record; default: the window's setting", "LOT"},
        {"lang",
         "language of the messages; default: the window's setting, else\n"
         "English on an English desktop or in the C locale, else Chinese",
         "en|zh"},
        {"serial",
         "a serial number per chip (key=value: name, start, step, width,\n"
         "format, target, address); run also reads SCHEME.SET.serial",
         "FILE"},
        {"version", "print the version"},
        {{"h", "help"}, "this text"},
    };
    return list;
}

const QList<QCommandLineOption>& commandOptions() {
    static const QList<QCommandLineOption> list = {
        {"probe", {}},
        {"verify", {}},
        {"no-erase", {}},
        {"fuses", {}},
        {"lock", {}},
        {"erase", {}},
        {"raw", {}},
        {"low", {}, "XX"},
        {"high", {}, "XX"},
        {"ext", {}, "XX"},
        {"slot", {}, "1|2|4|8"},
        {"to", {}, "flash|eeprom"},
        {"address", {}, "A"},
        {"page-size", {}, "32|64|128"},
        {"encrypted", {}},
        {"since", {}, "DATE"},
        {"failed", {}},
        {"csv", {}},
    };
    return list;
}

QList<QCommandLineOption> optionsOf(const CliCommand& command) {
    QList<QCommandLineOption> own;
    for (const QCommandLineOption& option : commandOptions()) {
        if (command.options.contains(option.names().constFirst()))
            own << option;
    }
    return own;
}

}  // namespace kv::cli
