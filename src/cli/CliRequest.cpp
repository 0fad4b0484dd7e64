// SPDX-License-Identifier: MIT
#include "cli/CliRequest.h"

#include <QRegularExpression>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>

#include "catalogue/ChipModelTable.h"
#include "cli/CliCommandTable.h"

namespace kv::cli {

namespace {

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

// Applies one option with its value (name: the long name, as --help spells
// it); the error text, or empty.
QString applyValue(CliRequest& r, const QString& name, const QString& value) {
    if (name == u"--port") {
        r.port = value;
    } else if (name == u"--baud") {
        const auto n = parseNumber(value);
        if (!n || *n <= 0)
            return QCoreApplication::translate("CliRequest", "波特率“%1”无效").arg(value);
        r.baud = QString::number(*n);
    } else if (name == u"--model") {
        r.model = canonicalModel(value);
        if (r.model.isEmpty())
            return QCoreApplication::translate("CliRequest", "型号“%1”不在型号表中").arg(value);
    } else if (name == u"--low" || name == u"--high" || name == u"--ext") {
        const auto byte = parseHexByte(value);
        if (!byte)
            return QCoreApplication::translate("CliRequest",
                                               "%1 需要一个十六进制字节（如 E1），而不是“%2”")
                .arg(name, value);
        (name == u"--low" ? r.low : name == u"--high" ? r.high : r.ext) = *byte;
    } else if (name == u"--slot") {
        const auto n = parseNumber(value);
        if (!n || (*n != 1 && *n != 2 && *n != 4 && *n != 8))
            return QCoreApplication::translate("CliRequest",
                                               "--slot 应为 1、2、4 或 8（MHz），而不是“%1”")
                .arg(value);
        r.slotMhz = *n;
    } else if (name == u"--to") {
        r.target = value.toLower();
        if (r.target != u"flash" && r.target != u"eeprom")
            return QCoreApplication::translate("CliRequest",
                                               "--to 应为 flash 或 eeprom，而不是“%1”")
                .arg(value);
    } else if (name == u"--address") {
        r.address = parseNumber(value);
        if (!r.address)
            return QCoreApplication::translate("CliRequest", "地址“%1”无效").arg(value);
    } else if (name == u"--page-size") {
        const auto n = parseNumber(value);
        if (!n || (*n != 32 && *n != 64 && *n != 128))
            return QCoreApplication::translate("CliRequest",
                                               "--page-size 应为 32、64 或 128，而不是“%1”")
                .arg(value);
        r.pageSize = *n;
    } else if (name == u"--record") {
        r.recordUrl = value;
    } else if (name == u"--operator") {
        r.operatorName = value.trimmed();
    } else if (name == u"--lot") {
        r.lot = value.trimmed();
    } else if (name == u"--serial") {
        r.serialFile = value;
    } else if (name == u"--lang") {
        r.language = value.trimmed().toLower();
        if (r.language != u"en" && r.language != u"zh")
            return QCoreApplication::translate("CliRequest", "--lang 应为 en 或 zh，而不是“%1”")
                .arg(value);
    } else if (name == u"--since") {
        // A day alone counts from its midnight, local time.
        r.since = QDateTime::fromString(value, Qt::ISODate);
        if (!r.since.isValid())
            r.since = QDate::fromString(value, Qt::ISODate).startOfDay();
        if (!r.since.isValid())
            return QCoreApplication::translate(
                       "CliRequest",
                       "--since 应为日期（如 2026-03-02 或 2026-03-02T08:00），而不是“%1”")
                .arg(value);
    }
    return {};
}

void applyFlag(CliRequest& r, const QString& name) {
    static const QHash<QString, bool CliRequest::*> flags = {
        {"--json", &CliRequest::json},           {"--quiet", &CliRequest::quiet},
        {"--verbose", &CliRequest::verbose},     {"--help", &CliRequest::help},
        {"--version", &CliRequest::version},     {"--verify", &CliRequest::verify},
        {"--no-erase", &CliRequest::noErase},    {"--probe", &CliRequest::probe},
        {"--encrypted", &CliRequest::encrypted}, {"--no-record", &CliRequest::noRecord},
        {"--failed", &CliRequest::failedOnly},   {"--csv", &CliRequest::csv},
        {"--fuses", &CliRequest::fuses},         {"--lock", &CliRequest::lock},
        {"--erase", &CliRequest::erase}};
    if (const auto member = flags.value(name))
        r.*member = true;
}

QString longName(const QCommandLineOption& option) {
    return QStringLiteral("--") + option.names().constLast();
}

// An option as the line spelled it, for a message: "-p" or "--port", without
// a value after "=".
QString spelled(const QString& name, const QStringList& arguments) {
    for (const QString& argument : arguments) {
        const QString head = argument.section(u'=', 0, 0);
        if (head == QLatin1Char('-') + name || head == QLatin1String("--") + name)
            return head;
    }
    return QLatin1String(name.size() == 1 ? "-" : "--") + name;
}

bool isCommandOption(const QString& name) {
    for (const QCommandLineOption& option : commandOptions()) {
        if (option.names().contains(name))
            return true;
    }
    return false;
}

// What the second pass found wrong with the options themselves: an option no
// command knows, a value missing at the end of the line, or a value given to
// a flag; empty when none. Options of another command are gathered in
// misplaced, since that refusal names the command.
QString optionError(const QCommandLineParser& parser, const QList<QCommandLineOption>& known,
                    const QStringList& arguments, QStringList& misplaced) {
    for (const QString& name : parser.unknownOptionNames()) {
        if (!isCommandOption(name))
            return QCoreApplication::translate("CliRequest", "未知选项 %1")
                .arg(spelled(name, arguments));
        misplaced << spelled(name, arguments);
    }
    for (const QCommandLineOption& option : known) {
        if (option.valueName().isEmpty()) {
            for (const QString& name : option.names()) {
                const QString head = spelled(name, arguments);
                for (const QString& argument : arguments) {
                    if (argument.startsWith(head + u'='))
                        return QCoreApplication::translate("CliRequest", "未知选项 %1")
                            .arg(argument);
                }
            }
            continue;
        }
        // A value option last on the line is named but has no value.
        qsizetype named = 0;
        for (const QString& found : parser.optionNames())
            named += option.names().contains(found);
        if (named > parser.values(option).size())
            return QCoreApplication::translate("CliRequest", "选项 %1 缺少值")
                .arg(arguments.constLast());
    }
    return {};
}

// The combinations that make no sense, once the command is known.
QString checkCombination(const CliRequest& r) {
    const bool portless = r.id == CommandId::ListPorts;
    if (const QString problem = portProblem(r.port); !problem.isEmpty())
        return problem;
    if (portless && (!r.port.isEmpty() || !r.baud.isEmpty()))
        return QCoreApplication::translate("CliRequest",
                                           "ports 列出全部端口，不接受 --port 或 --baud");
    if ((portless || r.id == CommandId::FirmwareUpdate) && !r.model.isEmpty())
        return QCoreApplication::translate("CliRequest", "命令 %1 不涉及芯片，不接受 --model")
            .arg(r.command);
    if (!r.recordUrl.isEmpty() && r.noRecord)
        return QCoreApplication::translate("CliRequest", "--record 与 --no-record 不能同时使用");
    if (!r.serialFile.isEmpty() && r.noRecord)
        return QCoreApplication::translate(
            "CliRequest", "序列号取自生产记录，--serial 与 --no-record 不能同时使用");
    if (r.quiet && r.verbose)
        return QCoreApplication::translate("CliRequest", "--quiet 与 --verbose 不能同时使用");
    if (r.csv && r.json)
        return QCoreApplication::translate("CliRequest", "--csv 与 --json 不能同时使用");
    if (r.id == CommandId::WriteFuses && !r.low && !r.high && !r.ext)
        return QCoreApplication::translate("CliRequest",
                                           "fuses write 至少需要 --low、--high 或 --ext 之一");
    if (r.id == CommandId::WriteCalibration && (!r.slotMhz || r.target.isEmpty()))
        return QCoreApplication::translate("CliRequest", "calibration write 需要 --slot 和 --to");
    return {};
}

// Applies the options in the order of the line, so that a later one wins and
// the first bad value is the one refused.
QString applyOptions(CliRequest& r, const QCommandLineParser& parser,
                     const QList<QCommandLineOption>& known) {
    QHash<QString, qsizetype> taken;  // values used so far, per option
    for (const QString& found : parser.optionNames()) {
        for (const QCommandLineOption& option : known) {
            if (!option.names().contains(found))
                continue;
            const QString name = longName(option);
            if (option.valueName().isEmpty()) {
                applyFlag(r, name);
            } else {
                const QStringList values = parser.values(option);
                const qsizetype index = taken[name]++;
                if (index < values.size()) {
                    const QString error = applyValue(r, name, values.at(index));
                    if (!error.isEmpty())
                        return error;
                }
            }
        }
    }
    return {};
}

void prepare(QCommandLineParser& parser) {
    // "-port" as "--port"; no bundles of one-letter options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(globalOptions());
}

// A value of the command's own option may stand between the words of its
// name ("fuses --high D9 write"): each command is tried with its options.
const CommandInfo* commandAmongItsOptions(const QStringList& line) {
    for (const CommandInfo* entry : CommandTable::cliCommands()) {
        QCommandLineParser trial;
        prepare(trial);
        trial.addOptions(optionsOf(*entry->cli));
        trial.parse(line);
        if (CommandTable::findCli(trial.positionalArguments()) == entry)
            return entry;
    }
    return nullptr;
}

}  // namespace

bool CliRequest::needsChip() const {
    return id && *id != CommandId::ListPorts && *id != CommandId::FirmwareUpdate &&
           *id != CommandId::RunPass && *id != CommandId::RecordList &&
           *id != CommandId::RecordFlush;
}

bool CliRequest::changesChip() const {
    // A verify runs the pass, which keeps a record like the writes.
    return id && (CommandTable::info(*id).kind == CommandKind::Recorded ||
                  *id == CommandId::VerifyFlashFile || *id == CommandId::VerifyEepromFile);
}

QString portProblem(const QString& port) {
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(port.trimmed());
    if (!match.hasMatch())
        return {};
    bool ok = false;
    const int number = match.captured(1).toInt(&ok);
    // Anything else would fall back to COM1: a chip on another port would be programmed.
    if (ok && number >= 1 && number <= 16)
        return {};
    return QCoreApplication::translate("CliRequest", "端口%1无效：应为 COM1 到 COM16 或设备路径")
        .arg(port.trimmed());
}

bool jsonAsked(const QStringList& arguments) {
    for (const QString& word : arguments) {
        if (word == u"--")
            break;
        if (word == u"--json" || word == u"-json")
            return true;
    }
    return false;
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
    const QStringList line = QStringList{QStringLiteral("kelvaro-cli")} + arguments;
    QCommandLineParser parser;
    prepare(parser);
    QList<QCommandLineOption> known = globalOptions();

    // First pass: the global options, to find the command. The command's own
    // options are not known yet, so the value of one given before the
    // command's name still stands among the words: the command is the first
    // run of words that names one.
    parser.parse(line);
    const CommandInfo* command = CommandTable::findCli(parser.positionalArguments());
    if (!command)
        command = commandAmongItsOptions(line);

    // Second pass: the command's own options too.
    if (command) {
        known += optionsOf(*command->cli);
        parser.addOptions(optionsOf(*command->cli));
    }
    QStringList misplaced;
    if (!parser.parse(line))
        parsed.error = optionError(parser, known, arguments, misplaced);
    if (parsed.error.isEmpty())
        parsed.error = applyOptions(r, parser, known);
    if (!parsed.error.isEmpty() || r.help || r.version)
        return parsed;

    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        parsed.error = QCoreApplication::translate("CliRequest", "缺少命令");
        return parsed;
    }
    if (command && !misplaced.isEmpty()) {
        parsed.error = QCoreApplication::translate("CliRequest", "命令 %1 不接受选项 %2")
                           .arg(command->cli->name, misplaced.first());
        return parsed;
    }
    const QStringList nameWords = command ? command->cli->name.split(u' ') : QStringList();
    if (!command || words.mid(0, nameWords.size()) != nameWords) {
        parsed.error =
            QCoreApplication::translate("CliRequest", "未知命令“%1”").arg(words.join(u' '));
        return parsed;
    }
    r.command = command->cli->name;
    r.id = command->id;
    words = words.mid(nameWords.size());
    if (words.size() != command->cli->arguments) {
        parsed.error = QCoreApplication::translate("CliRequest", "用法：kelvaro-cli %1")
                           .arg(command->cli->usage);
        return parsed;
    }
    if (command->cli->arguments == 1)
        r.file = words.first();
    if (r.id == CommandId::WriteLock) {
        r.lockByte = parseHexByte(r.file);
        if (!r.lockByte) {
            parsed.error = QCoreApplication::translate(
                               "CliRequest", "锁定位应为一个十六进制字节（如 FC），而不是“%1”")
                               .arg(r.file);
            return parsed;
        }
    }
    parsed.error = checkCombination(r);
    return parsed;
}

QString helpText() {
    QString text = QStringLiteral(
        "Usage: kelvaro-cli [global options] COMMAND [arguments]\n\n"
        "Global options:\n");
    for (const QCommandLineOption& option : globalOptions()) {
        QStringList names;
        for (const QString& name : option.names())
            names << QLatin1String(name.size() == 1 ? "-" : "--") + name;
        QString head = names.join(QStringLiteral(", "));
        if (option.names().constFirst().size() > 1)
            head.prepend(QStringLiteral("    "));  // in line with the long names after "-p, "
        if (!option.valueName().isEmpty())
            head += u' ' + option.valueName();
        const QString indent = QStringLiteral("\n%1").arg(QString(), -21);
        text += QStringLiteral("  %1 %2\n")
                    .arg(head, -18)
                    .arg(option.description().replace(u'\n', indent));
    }
    text += QStringLiteral("\nCommands:\n");
    for (const CommandInfo* s : CommandTable::cliCommands())
        text += QStringLiteral("  %1\n      %2\n").arg(s->cli->usage, s->cli->summary);
    text += QStringLiteral(
        "\nExit codes:\n"
        "  0    done\n"
        "  1    the chip disagrees (verify mismatch, wrong signature, fuses not confirmed)\n"
        "  2    usage (unknown command or model, options that do not fit together)\n"
        "  3    programmer or port problem (cannot open, no answer, line hung up)\n"
        "  4    file problem (missing, unreadable, malformed, larger than the chip)\n"
        "  5    the production record cannot be kept (unreachable, read-only, newer, disk full);\n"
        "       nothing was sent to the chip\n"
        "  6    the chip is done, its record pending: the database was lost during the pass;\n"
        "       the record waits in the spool until the next run or \"record flush\"\n"
        "  7    the chip is written, its record lost: neither the database nor the spool could\n"
        "       be written; the serial number and pass id are on stderr and in the JSON result\n"
        "  130  stopped by Ctrl-C (143 SIGTERM, 129 SIGHUP)\n");
    return text;
}

}  // namespace kv::cli
