// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>

#include "cli/CliGang.h"
#include "cli/CliPlatform.h"
#include "cli/CliRequest.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {
namespace {

// One command line: the refusal it earns (empty: accepted), and what an
// accepted line must have put into the request.
struct Line {
    const char* name;
    QStringList arguments;
    QString error;
    std::function<void(const cli::CliRequest&)> check;
};

void PrintTo(const Line& line, std::ostream* os) {
    *os << line.name;
}

class CliArguments : public ::testing::TestWithParam<Line> {};

// "COM1,COM2,...,COMn": a gang's --ports.
QString portList(int n) {
    QStringList ports;
    for (int i = 1; i <= n; ++i)
        ports << QStringLiteral("COM%1").arg(i);
    return ports.join(u',');
}

TEST_P(CliArguments, RequestOrRefusal) {
    const Line& line = GetParam();
    // As kelvaro-cli reads a line: a gang line first, any other line alone.
    const auto gang = cli::parseGangArguments(line.arguments);
    const cli::ParsedArguments parsed = gang ? *gang : cli::parseArguments(line.arguments);
    EXPECT_EQ(parsed.error, line.error);
    if (line.check && parsed.error.isEmpty())
        line.check(parsed.request);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliArguments,
    ::testing::Values(
        // Global options may follow the command and its arguments.
        Line{"global_options_after_the_command",
             {"write-flash", "a.hex", "--verify", "-p", "COM3", "--json", "-q"},
             {},
             [](const cli::CliRequest& r) {
                 EXPECT_EQ(r.command, "write-flash");
                 EXPECT_EQ(r.file, "a.hex");
                 EXPECT_TRUE(r.verify && r.json && r.quiet);
                 EXPECT_FALSE(r.noErase);
                 EXPECT_EQ(r.port, "COM3");
             }},
        Line{"values_after_equals_and_model_in_any_case",
             {"--port=/dev/ttyUSB0", "--baud=0x2580", "-m", "atmega16", "detect"},
             {},
             [](const cli::CliRequest& r) {
                 EXPECT_EQ(r.port, "/dev/ttyUSB0");
                 EXPECT_EQ(r.baud, "9600");
                 EXPECT_EQ(r.model, "ATMEGA16");
             }},
        // A command's own option with a value, before the command's name.
        Line{"command_option_before_the_command",
             {"--low", "0xe1", "fuses", "write", "--ext=FF"},
             {},
             [](const cli::CliRequest& r) {
                 EXPECT_EQ(r.command, "fuses write");
                 EXPECT_EQ(r.low, 0xE1);
                 EXPECT_EQ(r.high, std::nullopt);
                 EXPECT_EQ(r.ext, 0xFF);
             }},
        Line{"command_option_between_the_words_of_its_name",
             {"fuses", "--high", "D9", "write"},
             {},
             [](const cli::CliRequest& r) {
                 EXPECT_EQ(r.command, "fuses write");
                 EXPECT_EQ(r.high, 0xD9);
             }},
        Line{"argument_of_a_two_word_command",
             {"lock", "write", "FC"},
             {},
             [](const cli::CliRequest& r) { EXPECT_EQ(r.lockByte, 0xFC); }},
        Line{"date_alone_counts_from_midnight",
             {"record", "list", "--since", "2026-03-02", "--failed"},
             {},
             [](const cli::CliRequest& r) {
                 EXPECT_EQ(r.since, QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
                 EXPECT_TRUE(r.failedOnly);
             }},
        Line{"help_before_any_check",
             {"--help", "blank-check", "--verify"},
             {},
             [](const cli::CliRequest& r) { EXPECT_TRUE(r.help); }},
        // A command's own help, even before its missing argument is noticed.
        Line{"help_of_a_command",
             {"-p", "COM3", "write-flash", "--help"},
             {},
             [](const cli::CliRequest& r) {
                 ASSERT_TRUE(r.help && r.unit);
                 EXPECT_EQ(r.unit->name, "write-flash");
             }},
        Line{"unknown_programmer_kind",
             {"--programmer", "stk500", "detect"},
             QStringLiteral("编程器类型“stk500”未知（可用：serial）"),
             nullptr},
        Line{"language",
             {"--lang", "en", "detect"},
             {},
             [](const cli::CliRequest& r) { EXPECT_EQ(r.language, "en"); }},
        Line{"language_with_one_dash_and_the_last_one_wins",
             {"-lang", "zh", "detect", "--lang", "en"},
             {},
             [](const cli::CliRequest& r) { EXPECT_EQ(r.language, "en"); }},
        Line{"no_language_given",
             {"detect"},
             {},
             [](const cli::CliRequest& r) { EXPECT_EQ(r.language, QString()); }},
        Line{
            "language_unknown", {"--lang", "fr", "detect"}, "--lang 应为 en 或 zh，而不是“fr”", {}},
        Line{"option_of_another_command",
             {"detect", "--verify"},
             "命令 detect 不接受选项 --verify",
             {}},
        Line{"unknown_option", {"detect", "--frob"}, "未知选项 --frob", {}},
        Line{"unknown_option_even_with_a_command_option",
             {"--slot", "8", "--frob", "detect"},
             "未知选项 --frob",
             {}},
        Line{"value_missing_at_the_end", {"detect", "-p"}, "选项 -p 缺少值", {}},
        Line{"no_command", {"-p", "COM1"}, "缺少命令", {}},
        Line{"unknown_command", {"blank", "check"}, "未知命令“blank check”", {}},
        Line{"word_before_the_command", {"now", "detect"}, "未知命令“now detect”", {}},
        Line{"argument_missing",
             {"write-flash", "--verify"},
             "用法：kelvaro-cli write-flash FILE [--verify] [--no-erase]",
             {}},
        Line{"argument_too_many", {"erase", "a.hex"}, "用法：kelvaro-cli erase", {}},
        Line{"bad_value_of_a_command_option",
             {"calibration", "write", "--slot", "3", "--to", "flash"},
             "--slot 应为 1、2、4 或 8（MHz），而不是“3”",
             {}},
        Line{"options_that_do_not_fit_together",
             {"record", "list", "--csv", "--json"},
             "--csv 与 --json 不能同时使用",
             {}},
        Line{"portless_command_with_a_port",
             {"ports", "--baud", "9600"},
             "ports 列出全部端口，不接受 --port 或 --baud",
             {}},
        Line{"gang_of_sixteen_ports",
             {"gang", "--ports", portList(16), "run", "a.SET"},
             {},
             [](const cli::CliRequest& r) {
                 EXPECT_EQ(r.command, "gang");
                 EXPECT_EQ(r.gangCommand, QStringList({"run", "a.SET"}));
             }},
        Line{"gang_of_seventeen_ports",
             {"gang", "--ports=" + portList(17), "run", "a.SET"},
             "--ports 列出 17 个端口，量产最多 16 个插座",
             {}},
        // A password reaches no command line: the gang's own is overwritten once
        // read, and its sockets' processes get the address in their environment.
        Line{"gang_keeps_the_record_password_off_command_lines",
             {"--record", "postgresql://op:s3cret@db/line?password=s3cret", "gang", "--ports",
              "COM1", "erase"},
             {},
             [](const cli::CliRequest& r) {
                 const QString url =
                     QStringLiteral("postgresql://op:s3cret@db/line?password=s3cret");
                 EXPECT_EQ(r.recordUrl, url);
                 EXPECT_FALSE(cli::CliGang::childOptions(r).join(u' ').contains(u"s3cret"));
                 EXPECT_EQ(
                     cli::CliGang::childEnvironment(r, {}).value(GangRunner::recordVariable()),
                     url);
                 QByteArray own[] = {"kelvaro-cli", "--record", url.toUtf8(),
                                     "--record=postgresql:///l?host=/s&password=s3cret&user=op"};
                 char* argv[] = {own[0].data(), own[1].data(), own[2].data(), own[3].data()};
                 cli::hidePasswordsInArguments(4, argv);
                 EXPECT_STREQ(argv[2], "postgresql://op:******@db/line?password=******");
                 EXPECT_STREQ(argv[3], "--record=postgresql:///l?host=/s&password=******&user=op");
             }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
