// SPDX-License-Identifier: MIT
#include "cli/Subcommands.h"

#include <QCommandLineOption>

#include "cli/CliOptions.h"

namespace kv::cli {

// Each unit under commands/ defines its own.
namespace commands {
const Subcommand& ports();
const Subcommand& detect();
const Subcommand& erase();
const Subcommand& writeFlash();
const Subcommand& verifyFlash();
const Subcommand& readFlash();
const Subcommand& writeEeprom();
const Subcommand& verifyEeprom();
const Subcommand& readEeprom();
const Subcommand& program();
const Subcommand& fusesRead();
const Subcommand& fusesWrite();
const Subcommand& fusesRecover();
const Subcommand& lockWrite();
const Subcommand& calibrationRead();
const Subcommand& calibrationWrite();
const Subcommand& run();
const Subcommand& firmware();
const Subcommand& recordList();
const Subcommand& recordFlush();
const Subcommand& gang();
}  // namespace commands

namespace Subcommands {

const QList<const Subcommand*>& all() {
    using namespace commands;
    static const QList<const Subcommand*> table = {
        &ports(),        &detect(),    &erase(),           &writeFlash(),
        &verifyFlash(),  &readFlash(), &writeEeprom(),     &verifyEeprom(),
        &readEeprom(),   &program(),   &fusesRead(),       &fusesWrite(),
        &fusesRecover(), &lockWrite(), &calibrationRead(), &calibrationWrite(),
        &run(),          &firmware(),  &recordList(),      &recordFlush(),
        &gang(),
    };
    return table;
}

const Subcommand* find(const QStringList& words) {
    for (qsizetype start = 0; start < words.size(); ++start) {
        for (const Subcommand* command : all()) {
            const QStringList name = command->name.split(u' ');
            if (words.mid(start, name.size()) == name)
                return command;
        }
    }
    return nullptr;
}

}  // namespace Subcommands

namespace {

// "  -p, --port PORT    text", continuation lines in line with the text.
QString optionLines(const QList<QCommandLineOption>& options) {
    QString text;
    for (const QCommandLineOption& option : options) {
        QStringList names;
        for (const QString& name : option.names())
            names << QLatin1String(name.size() == 1 ? "-" : "--") + name;
        QString head = names.join(QStringLiteral(", "));
        if (option.names().constFirst().size() > 1)
            head.prepend(QStringLiteral("    "));  // in line with the long names after "-p, "
        if (!option.valueName().isEmpty())
            head += u' ' + option.valueName();
        const QString indent = QStringLiteral("\n%1").arg(QString(), -21);
        // A head too long for its column gets the text on the lines below it.
        if (head.size() > 18)
            head += indent.chopped(1);
        text += QStringLiteral("  %1 %2\n")
                    .arg(head, -18)
                    .arg(option.description().replace(u'\n', indent));
    }
    return text;
}

}  // namespace

QString helpText() {
    QString text = QStringLiteral(
        "Usage: kelvaro-cli [global options] COMMAND [arguments]\n"
        "       kelvaro-cli COMMAND --help\n\n"
        "Global options:\n");
    text += optionLines(globalOptions());
    text += QStringLiteral("\nCommands:\n");
    for (const Subcommand* s : Subcommands::all())
        text += QStringLiteral("  %1\n      %2\n").arg(s->usage, s->summary);
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

QString commandHelp(const Subcommand& command) {
    QString text = QStringLiteral("Usage: kelvaro-cli [global options] %1\n\n      %2\n")
                       .arg(command.usage, command.summary);
    const QList<QCommandLineOption> own = optionsOf(command);
    if (!own.isEmpty())
        text += QStringLiteral("\nOptions:\n") + optionLines(own);
    if (!command.example.isEmpty())
        text += QStringLiteral("\nExample:\n  %1\n").arg(command.example);
    text += QStringLiteral("\nkelvaro-cli --help lists the global options and the exit codes.\n");
    return text;
}

}  // namespace kv::cli
