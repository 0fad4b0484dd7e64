// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "cli/Subcommands.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {
namespace {

// The heads of the page's entries (the line after ".TP") under OPTIONS,
// COMMANDS and EXIT STATUS, as they read once fonts and escapes are gone.
QStringList manualEntries() {
    QFile file(QStringLiteral(KV_SOURCE_DIR "/data/man/kelvaro-cli.1.in"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    static const QRegularExpression font(QStringLiteral(R"(\\f[BIRP]|\\%)"));
    QStringList entries;
    bool listed = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String(".SH ")))
            listed =
                QStringList{".SH OPTIONS", ".SH COMMANDS", ".SH EXIT STATUS"}.contains(lines[i]);
        if (listed && lines[i - 1] == u".TP")
            entries << QString(lines[i]).remove(font).replace(QLatin1String("\\-"), "-");
    }
    return entries;
}

// The same from --help: option heads, command usages, exit codes, in order.
QStringList helpEntries() {
    QStringList entries;
    QString section;
    static const QRegularExpression gap(QStringLiteral(" {2,}"));
    for (const QString& line : cli::helpText().split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char(' '))) {
            section = line;
            continue;
        }
        const QString text = line.trimmed();
        if (section == u"Global options:" && text.startsWith(QLatin1Char('-')))
            entries << text.section(gap, 0, 0);
        else if (section == u"Commands:" && !line.startsWith(QLatin1String("   ")))
            entries << text;
        else if (section == u"Exit codes:" && text.at(0).isDigit())  // not a continuation
            entries << text.section(QLatin1Char(' '), 0, 0);
    }
    return entries;
}

// The manual page is written by hand; a command, option or exit code added to
// --help without its entry there (or left there after it went) shows up here.
TEST(CliManualPage, HasAnEntryForEachCommandOptionAndExitCodeOfTheHelp) {
    const QStringList help = helpEntries();
    ASSERT_GT(help.size(), 20);
    EXPECT_EQ(manualEntries(), help);
}

}  // namespace
}  // namespace kv::test
