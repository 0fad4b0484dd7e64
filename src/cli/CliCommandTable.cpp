// SPDX-License-Identifier: MIT
#include "cli/CliCommandTable.h"

namespace kv::cli {

const QList<CommandEntry>& commandTable() {
    static const QList<CommandEntry> list = {
        {"ports",
         0,
         {"probe"},
         "ports [--probe]",
         "COM1..COM16 with the device behind each; --probe asks each for a programmer"},
        {"detect", 0, {}, "detect", "read the signature; print signature and model"},
        {"erase", 0, {}, "erase", "erase the chip"},
        {"write-flash",
         1,
         {"verify", "no-erase"},
         "write-flash FILE [--verify] [--no-erase]",
         "erase, then write FLASH from Intel HEX, raw binary (.bin) or ELF (.elf)"},
        {"verify-flash", 1, {}, "verify-flash FILE", "compare FLASH with the file"},
        {"read-flash", 1, {}, "read-flash FILE", "read FLASH; .hex writes Intel HEX, else binary"},
        {"write-eeprom",
         1,
         {"verify"},
         "write-eeprom FILE [--verify]",
         "write EEPROM from .eep/.hex/.bin, or an ELF file's .eeprom section"},
        {"verify-eeprom", 1, {}, "verify-eeprom FILE", "compare EEPROM with the file"},
        {"read-eeprom", 1, {}, "read-eeprom FILE", "read EEPROM; .hex/.eep write Intel HEX"},
        {"program",
         1,
         {"fuses", "lock", "verify", "erase"},
         "program FILE.elf [--fuses] [--lock] [--verify] [--erase]",
         "write what the ELF file holds: erase, FLASH, EEPROM, verify, fuses, lock last;\n"
         "      fuse and lock bytes only when asked, confirmed by read-back"},
        {"fuses read", 0, {}, "fuses read", "read fuse and lock bytes"},
        {"fuses write",
         0,
         {"low", "high", "ext"},
         "fuses write [--low XX] [--high XX] [--ext XX]",
         "write fuse bytes (others kept), confirmed by read-back"},
        {"fuses recover",
         0,
         {},
         "fuses recover",
         "the model's factory fuses, confirmed by read-back"},
        {"lock write", 1, {}, "lock write XX", "write the lock byte, confirmed by read-back"},
        {"calibration read", 0, {}, "calibration read", "read the oscillator calibration bytes"},
        {"calibration write",
         0,
         {"slot", "to", "address"},
         "calibration write --slot 1|2|4|8 --to flash|eeprom [--address A]",
         "store the calibration byte of that MHz in the chip's FLASH or EEPROM"},
        {"run", 1, {}, "run SCHEME.SET", "the programming pass exactly as the window runs it"},
        {"firmware",
         1,
         {"page-size", "encrypted"},
         "firmware FILE [--page-size 32|64|128] [--encrypted]",
         "update the programmer's firmware through its loader"},
        {"record list",
         0,
         {"since", "failed", "csv"},
         "record list [--since DATE] [--failed] [--csv]",
         "the production record, newest first; --csv prints every column as CSV"},
        // Its words after the ports are a command line of their own (CliGangArguments.cpp).
        {"gang",
         -1,
         {},
         "gang [--ports PORT,PORT,...] COMMAND [arguments]",
         "the command on every socket at once, each programmer in a process of its own;\n"
         "      default: the sockets stored by the window; exit 0 when every socket passed,\n"
         "      else the code of the first socket that did not"},
    };
    return list;
}

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
        {"record",
         "the production record: sqlite:PATH or postgresql://...;\n"
         "default: the window's setting (the SQLite file in the data folder)",
         "URL"},
        {"no-record", "program without a record; only where the window's setting allows it"},
        {"lang",
         "language of the messages; default: the window's setting, else\n"
         "English on an English desktop, else Chinese",
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

QList<QCommandLineOption> optionsOf(const CommandEntry& command) {
    QList<QCommandLineOption> own;
    for (const QCommandLineOption& option : commandOptions()) {
        if (command.options.contains(option.names().constFirst()))
            own << option;
    }
    return own;
}

const CommandEntry* findCommand(const QStringList& words) {
    for (qsizetype at = 0; at < words.size(); ++at) {
        for (const CommandEntry& entry : commandTable()) {
            const QStringList name = entry.name.split(u' ');
            if (words.mid(at, name.size()) == name)
                return &entry;
        }
    }
    return nullptr;
}

}  // namespace kv::cli
