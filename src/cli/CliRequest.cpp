// SPDX-License-Identifier: MIT
#include "cli/CliRequest.h"

#include <QHash>

#include "app/Language.h"
#include "catalogue/ChipModelTable.h"

namespace kv::cli {

namespace {

struct CommandEntry {
    QString name;
    int arguments;  // positional arguments after the name
    QStringList options;
    QString usage;
    QString summary;
};

const QList<CommandEntry>& commands() {
    static const QList<CommandEntry> list = {
        {"ports",
         0,
         {"--probe"},
         "ports [--probe]",
         "COM1..COM16 with the device behind each; --probe asks each for a programmer"},
        {"detect", 0, {}, "detect", "read the signature; print signature and model"},
        {"erase", 0, {}, "erase", "erase the chip"},
        {"write-flash",
         1,
         {"--verify", "--no-erase"},
         "write-flash FILE [--verify] [--no-erase]",
         "erase, then write FLASH from Intel HEX, raw binary (.bin) or ELF (.elf)"},
        {"verify-flash", 1, {}, "verify-flash FILE", "compare FLASH with the file"},
        {"read-flash", 1, {}, "read-flash FILE", "read FLASH; .hex writes Intel HEX, else binary"},
        {"write-eeprom",
         1,
         {"--verify"},
         "write-eeprom FILE [--verify]",
         "write EEPROM from .eep/.hex/.bin, or an ELF file's .eeprom section"},
        {"verify-eeprom", 1, {}, "verify-eeprom FILE", "compare EEPROM with the file"},
        {"read-eeprom", 1, {}, "read-eeprom FILE", "read EEPROM; .hex/.eep write Intel HEX"},
        {"program",
         1,
         {"--fuses", "--lock", "--verify", "--erase"},
         "program FILE.elf [--fuses] [--lock] [--verify] [--erase]",
         "write what the ELF file holds: erase, FLASH, EEPROM, verify, fuses, lock last;\n"
         "      fuse and lock bytes only when asked, confirmed by read-back"},
        {"fuses read", 0, {}, "fuses read", "read fuse and lock bytes"},
        {"fuses write",
         0,
         {"--low", "--high", "--ext"},
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
         {"--slot", "--to", "--address"},
         "calibration write --slot 1|2|4|8 --to flash|eeprom [--address A]",
         "store the calibration byte of that MHz in the chip's FLASH or EEPROM"},
        {"run", 1, {}, "run SCHEME.SET", "the programming pass exactly as the window runs it"},
        {"firmware",
         1,
         {"--page-size", "--encrypted"},
         "firmware FILE [--page-size 32|64|128] [--encrypted]",
         "update the programmer's firmware through its loader"},
        {"record list",
         0,
         {"--since", "--failed", "--csv"},
         "record list [--since DATE] [--failed] [--csv]",
         "the production record, newest first; --csv prints every column as CSV"},
    };
    return list;
}

const QStringList kValueOptions = {"-p",       "--port",    "-b",          "--baud",   "-m",
                                   "--model",  "--low",     "--high",      "--ext",    "--slot",
                                   "--to",     "--address", "--page-size", "--record", "--since",
                                   "--serial", "--lang"};
const QStringList kFlags = {"--json",  "-q",          "--quiet",     "-h",
                            "--help",  "--version",   "--verify",    "--no-erase",
                            "--probe", "--encrypted", "--no-record", "--failed",
                            "--csv",   "--fuses",     "--lock",      "--erase"};

std::optional<int> parseHexByte(QString text) {
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const int value = text.toInt(&ok, 16);
    if (!ok || text.isEmpty() || text.size() > 2 || value < 0)
        return std::nullopt;
    return value;
}

std::optional<int> parseNumber(const QString& text) {
    bool ok = false;
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                          ? text.mid(2).toInt(&ok, 16)
                          : text.toInt(&ok, 10);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

// Applies one option with its value; the error text, or empty.
QString applyValue(CliRequest& r, const QString& name, const QString& value) {
    if (name == u"-p" || name == u"--port") {
        r.port = value;
    } else if (name == u"-b" || name == u"--baud") {
        const auto n = parseNumber(value);
        if (!n || *n <= 0)
            return QStringLiteral("波特率“%1”无效").arg(value);
        r.baud = QString::number(*n);
    } else if (name == u"-m" || name == u"--model") {
        r.model = canonicalModel(value);
        if (r.model.isEmpty())
            return QStringLiteral("型号“%1”不在型号表中").arg(value);
    } else if (name == u"--low" || name == u"--high" || name == u"--ext") {
        const auto byte = parseHexByte(value);
        if (!byte)
            return QStringLiteral("%1 需要一个十六进制字节（如 E1），而不是“%2”").arg(name, value);
        (name == u"--low" ? r.low : name == u"--high" ? r.high : r.ext) = *byte;
    } else if (name == u"--slot") {
        const auto n = parseNumber(value);
        if (!n || (*n != 1 && *n != 2 && *n != 4 && *n != 8))
            return QStringLiteral("--slot 应为 1、2、4 或 8（MHz），而不是“%1”").arg(value);
        r.slotMhz = *n;
    } else if (name == u"--to") {
        r.target = value.toLower();
        if (r.target != u"flash" && r.target != u"eeprom")
            return QStringLiteral("--to 应为 flash 或 eeprom，而不是“%1”").arg(value);
    } else if (name == u"--address") {
        r.address = parseNumber(value);
        if (!r.address)
            return QStringLiteral("地址“%1”无效").arg(value);
    } else if (name == u"--page-size") {
        const auto n = parseNumber(value);
        if (!n || (*n != 32 && *n != 64 && *n != 128))
            return QStringLiteral("--page-size 应为 32、64 或 128，而不是“%1”").arg(value);
        r.pageSize = *n;
    } else if (name == u"--record") {
        r.recordUrl = value;
    } else if (name == u"--lang") {
        if (!languageFromCode(value))
            return badLanguageText(value);
    } else if (name == u"--serial") {
        r.serialFile = value;
    } else if (name == u"--since") {
        // A day alone counts from its midnight, local time.
        r.since = QDateTime::fromString(value, Qt::ISODate);
        if (!r.since.isValid())
            r.since = QDate::fromString(value, Qt::ISODate).startOfDay();
        if (!r.since.isValid())
            return QStringLiteral(
                       "--since 应为日期（如 2026-03-02 或 2026-03-02T08:00），而不是“%1”")
                .arg(value);
    }
    return {};
}

void applyFlag(CliRequest& r, const QString& name) {
    if (name == u"--json")
        r.json = true;
    else if (name == u"-q" || name == u"--quiet")
        r.quiet = true;
    else if (name == u"-h" || name == u"--help")
        r.help = true;
    else if (name == u"--version")
        r.version = true;
    else if (name == u"--verify")
        r.verify = true;
    else if (name == u"--no-erase")
        r.noErase = true;
    else if (name == u"--probe")
        r.probe = true;
    else if (name == u"--encrypted")
        r.encrypted = true;
    else if (name == u"--no-record")
        r.noRecord = true;
    else if (name == u"--failed")
        r.failedOnly = true;
    else if (name == u"--csv")
        r.csv = true;
    else if (name == u"--fuses")
        r.fuses = true;
    else if (name == u"--lock")
        r.lock = true;
    else if (name == u"--erase")
        r.erase = true;
}

// The options a command does not take, among those given.
QString checkCombination(const CliRequest& r, const CommandEntry& command,
                         const QStringList& given) {
    static const QStringList global = {"-p",      "--port",   "-b",          "--baud",
                                       "-m",      "--model",  "--json",      "-q",
                                       "--quiet", "--record", "--no-record", "--lang"};
    for (const QString& option : given) {
        if (!global.contains(option) && !command.options.contains(option))
            return QStringLiteral("命令 %1 不接受选项 %2").arg(command.name, option);
    }
    const bool portless = command.name == u"ports";
    if (portless && (!r.port.isEmpty() || !r.baud.isEmpty()))
        return QStringLiteral("ports 列出全部端口，不接受 --port 或 --baud");
    if ((portless || command.name == u"firmware") && !r.model.isEmpty())
        return QStringLiteral("命令 %1 不涉及芯片，不接受 --model").arg(command.name);
    if (!r.recordUrl.isEmpty() && r.noRecord)
        return QStringLiteral("--record 与 --no-record 不能同时使用");
    if (!r.serialFile.isEmpty() && r.noRecord)
        return QStringLiteral("序列号取自生产记录，--serial 与 --no-record 不能同时使用");
    if (r.csv && r.json)
        return QStringLiteral("--csv 与 --json 不能同时使用");
    if (command.name == u"fuses write" && !r.low && !r.high && !r.ext)
        return QStringLiteral("fuses write 至少需要 --low、--high 或 --ext 之一");
    if (command.name == u"calibration write" && (!r.slotMhz || r.target.isEmpty()))
        return QStringLiteral("calibration write 需要 --slot 和 --to");
    return {};
}

}  // namespace

bool CliRequest::needsChip() const {
    return command != u"ports" && command != u"firmware" && command != u"run" &&
           command != u"record list";
}

bool CliRequest::changesChip() const {
    static const QStringList changing = {
        "erase",       "write-flash",   "verify-flash", "write-eeprom",      "verify-eeprom",
        "fuses write", "fuses recover", "lock write",   "calibration write", "run"};
    return changing.contains(command);
}

QString canonicalModel(const QString& name) {
    for (const ChipModel& row : ChipModelTable::rows()) {
        if (row.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return row.name;
    }
    return {};
}

ParsedArguments parseArguments(const QStringList& arguments) {
    ParsedArguments parsed;
    CliRequest& r = parsed.request;
    QStringList words, given;
    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        QString value;
        bool hasValue = false;
        if (name.startsWith(QLatin1String("--")) && name.contains(u'=')) {
            value = name.section(u'=', 1);
            name = name.section(u'=', 0, 0);
            hasValue = true;
        }
        if (kValueOptions.contains(name)) {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) {
                    parsed.error = QStringLiteral("选项 %1 缺少值").arg(name);
                    return parsed;
                }
                value = arguments.at(++i);
            }
            given << name;
            parsed.error = applyValue(r, name, value);
            if (!parsed.error.isEmpty())
                return parsed;
        } else if (kFlags.contains(name) && !hasValue) {
            given << name;
            applyFlag(r, name);
        } else if (name.startsWith(u'-') && name.size() > 1) {
            parsed.error = QStringLiteral("未知选项 %1").arg(arguments.at(i));
            return parsed;
        } else {
            words << arguments.at(i);
        }
    }
    if (r.help || r.version)
        return parsed;
    if (words.isEmpty()) {
        parsed.error = QStringLiteral("缺少命令（kelvaro-cli --help 列出全部命令）");
        return parsed;
    }
    const CommandEntry* command = nullptr;
    for (const CommandEntry& s : commands()) {
        const int nameWords = int(s.name.count(u' ')) + 1;
        if (words.mid(0, nameWords).join(u' ') == s.name) {
            command = &s;
            words = words.mid(nameWords);
            break;
        }
    }
    if (!command) {
        parsed.error = QStringLiteral("未知命令“%1”").arg(words.join(u' '));
        return parsed;
    }
    r.command = command->name;
    if (words.size() != command->arguments) {
        parsed.error = QStringLiteral("用法：kelvaro-cli %1").arg(command->usage);
        return parsed;
    }
    if (command->arguments == 1)
        r.file = words.first();
    if (r.command == u"lock write") {
        r.lockByte = parseHexByte(r.file);
        if (!r.lockByte) {
            parsed.error =
                QStringLiteral("锁定位应为一个十六进制字节（如 FC），而不是“%1”").arg(r.file);
            return parsed;
        }
    }
    parsed.error = checkCombination(r, *command, given);
    return parsed;
}

QString helpText() {
    QString text = QStringLiteral(
        "Usage: kelvaro-cli [global options] COMMAND [arguments]\n\n"
        "Global options:\n"
        "  -p, --port PORT    COMn as the window numbers ports, or a device path;\n"
        "                     default: the port stored by the window\n"
        "  -b, --baud N       default: the stored line settings (115200,n,8,1)\n"
        "  -m, --model NAME   a model of the table, any case; default: identify by signature\n"
        "      --json         one JSON object per line on stdout; human text goes to stderr\n"
        "  -q, --quiet        only errors on stderr\n"
        "      --record URL   the production record: sqlite:PATH or postgresql://...;\n"
        "                     default: the window's setting (the SQLite file in the data folder)\n"
        "      --no-record    program without a record; only where the window's setting allows it\n"
        "      --lang en|zh   language of the messages; default: the window's setting, else\n"
        "                     English on an English desktop, else Chinese\n"
        "      --serial FILE  a serial number per chip (key=value: name, start, step, width,\n"
        "                     format, target, address); run also reads SCHEME.SET.serial\n"
        "      --version      print the version\n"
        "  -h, --help         this text\n\n"
        "Commands:\n");
    for (const CommandEntry& s : commands())
        text += QStringLiteral("  %1\n      %2\n").arg(s.usage, s.summary);
    text += QStringLiteral(
        "\nExit codes:\n"
        "  0    done\n"
        "  1    the chip disagrees (verify mismatch, wrong signature, fuses not confirmed)\n"
        "  2    usage (unknown command or model, options that do not fit together)\n"
        "  3    programmer or port problem (cannot open, no answer, line hung up)\n"
        "  4    file problem (missing, unreadable, malformed, larger than the chip)\n"
        "  5    the production record cannot be kept (unreachable, read-only, newer, disk full);\n"
        "       nothing was sent to the chip\n"
        "  130  stopped by Ctrl-C\n");
    return text;
}

}  // namespace kv::cli
