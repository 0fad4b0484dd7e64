// SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include "pass/ProgrammerKinds.h"

namespace kv::cli {

namespace {

QString programmerHelp() {
    QStringList names;
    for (const ProgrammerKind& kind : programmerKinds())
        names << kind.name;
    return QStringLiteral("the kind of programmer on the port: %1;\ndefault: %2")
        .arg(names.join(QStringLiteral(", ")), names.value(0));
}

}  // namespace

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
        {"programmer", programmerHelp(), "KIND"},
        {"version", "print the version"},
        {{"h", "help"}, "this text"},
    };
    return list;
}

const QList<QCommandLineOption>& commandOptions() {
    static const QList<QCommandLineOption> list = {
        {"probe", "ask each port for a programmer"},
        {"verify", "read the memory back and compare it with the file"},
        {"no-erase", "write over what FLASH holds, without erasing first"},
        {"fuses", "also write the file's fuse bytes (.fuse section)"},
        {"lock", "also write the file's lock byte (.lock section), last"},
        {"erase", "erase the chip first"},
        {"raw", "take an .eep that looks like text as its raw bytes all the same"},
        {"low", "the fuse low byte, in hex", "XX"},
        {"high", "the fuse high byte, in hex", "XX"},
        {"ext", "the extended fuse byte, in hex", "XX"},
        {"slot", "the calibration byte of that many MHz", "1|2|4|8"},
        {"to", "the memory that keeps it", "flash|eeprom"},
        {"address", "the byte address it goes to; default: the window's", "A"},
        {"page-size", "the loader's page size in bytes; default 64", "32|64|128"},
        {"encrypted", "the file is encrypted for the loader"},
        {"since", "only records from that day or time on", "DATE"},
        {"failed", "only the records that failed"},
        {"csv", "every column, as CSV"},
    };
    return list;
}

QList<QCommandLineOption> optionsOf(const Subcommand& command) {
    QList<QCommandLineOption> own;
    for (const QCommandLineOption& option : commandOptions()) {
        if (command.options.contains(option.names().constFirst()))
            own << option;
    }
    return own;
}

}  // namespace kv::cli
