// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QSerialPort>
#include <QTemporaryDir>

#include "schemes/SchemeFile.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

// A bad input: its exit code, and all that may reach the programmer before
// the refusal ("" for nothing at all).
struct Refusal {
    const char* name;
    const char* model;
    QStringList arguments;  // "{pts}" and "{dir}" are filled in
    int exit;
    QByteArray sent;
    const char* simSetup = nullptr;
};

class CliEndToEndRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(CliEndToEndRefusals, ClearMessageRightCodeNothingSent) {
    const Refusal& r = GetParam();
    SimProcess sim({QStringLiteral("--model"), QString::fromLatin1(r.model)});
    ASSERT_FALSE(sim.pts().isEmpty());
    if (r.simSetup)
        sim.command(r.simSetup);
    QTemporaryDir dir;
    writeFile(dir.filePath("big.bin"), QByteArray(8193, 'x'));
    writeFile(dir.filePath("bad.hex"), ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\r\n");
    writeFile(dir.filePath("bad.SET"), "not a scheme");
    writeFile(dir.filePath("cut.elf"), readFile(testImage("fuses_m8.elf")).left(1000));
    writeFile(dir.filePath("linux.elf"), readFile(QStringLiteral("/bin/true")));
    Scheme empty;  // writes FLASH from a file without a byte
    empty.model = QStringLiteral("ATMEGA8");
    empty.options = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0};
    empty.flashPath = writeFile(dir.filePath("empty.bin"), QByteArray());
    empty.fuseBits = QString(32, u'1');
    empty.flashAddress = QStringLiteral("8191");
    empty.eepromAddress = QStringLiteral("511");
    SchemeFile::save(dir.filePath("empty.SET"), empty);
    QStringList arguments{QStringLiteral("--json")};
    for (const QString& a : r.arguments)
        arguments << QString(a).replace("{pts}", sim.pts()).replace("{dir}", dir.path());

    CliProcess cli;
    EXPECT_EQ(cli.run(arguments), r.exit) << cli.rawOutput().toStdString();
    const QJsonObject result = cli.result();
    EXPECT_EQ(cli.resultCount(), 1) << cli.rawOutput().toStdString();
    EXPECT_EQ(result["ok"], false);
    EXPECT_EQ(result["exit"], r.exit);
    EXPECT_FALSE(result["message"].toString().isEmpty());
    // One event, one report: the result says it, no warning line besides.
    for (const QJsonObject& line : cli.lines())
        EXPECT_NE(line["event"], "warning") << line["text"].toString().toStdString();
    EXPECT_EQ(sim.transcript(), r.sent);
}

const QString kM8Hex = testImage("blink_m8.hex");
const QString kM8Elf = testImage("fuses_m8.elf");

INSTANTIATE_TEST_SUITE_P(
    BadInput, CliEndToEndRefusals,
    ::testing::Values(
        Refusal{"no_such_port", "ATMEGA8", {"-p", "/dev/kelvaro-none", "detect"}, 3, ""},
        Refusal{"unknown_language", "ATMEGA8", {"-p", "{pts}", "--lang", "fr", "erase"}, 2, ""},
        Refusal{"silent_programmer",
                "ATMEGA8",
                {"-p", "{pts}", "erase"},
                3,
                "RI01#RI02#",
                "fault silent 1"},
        Refusal{"silent_programmer_fuses_read",
                "ATMEGA8",
                {"-p", "{pts}", "fuses", "read"},
                3,
                "RI01#RI02#",
                "fault silent 1"},
        Refusal{"missing_file", "ATMEGA8", {"-p", "{pts}", "write-flash", "{dir}/none.hex"}, 4, ""},
        Refusal{"malformed_hex", "ATMEGA8", {"-p", "{pts}", "write-flash", "{dir}/bad.hex"}, 4, ""},
        Refusal{"unsupported_ending",
                "ATMEGA8",
                {"-p", "{pts}", "write-flash", "{dir}/bad.SET"},
                4,
                ""},
        Refusal{"image_larger_than_model",
                "ATMEGA8",
                {"-p", "{pts}", "-m", "atmega8", "write-flash", "{dir}/big.bin"},
                4,
                ""},
        Refusal{"image_larger_than_socket",
                "ATMEGA8",
                {"-p", "{pts}", "write-flash", "{dir}/big.bin"},
                4,
                "RI01#RI02#"},
        Refusal{"elf_truncated",
                "ATMEGA8",
                {"-p", "{pts}", "program", "{dir}/cut.elf", "--fuses"},
                4,
                ""},
        Refusal{"elf_of_another_machine",
                "ATMEGA8",
                {"-p", "{pts}", "write-flash", "{dir}/linux.elf"},
                4,
                ""},
        Refusal{"elf_section_beyond_model",
                "ATTINY2313",
                {"-p", "{pts}", "-m", "attiny2313", "program", kM8Elf},
                4,
                ""},
        Refusal{"elf_section_beyond_socket",
                "ATTINY2313",
                {"-p", "{pts}", "write-eeprom", kM8Elf},
                4,
                "RI01#RI02#"},
        Refusal{"elf_fuses_beyond_socket",
                "ATMEGA8",
                {"-p", "{pts}", "write-flash", testImage("fuses_t2313.elf")},
                4,
                "RI01#RI02#"},
        Refusal{"elf_without_lock",
                "ATMEGA8",
                {"-p", "{pts}", "program", testImage("plain_m8.elf"), "--lock"},
                4,
                ""},
        Refusal{"program_without_elf", "ATMEGA8", {"-p", "{pts}", "program", kM8Hex}, 4, ""},
        Refusal{"malformed_scheme", "ATMEGA8", {"-p", "{pts}", "run", "{dir}/bad.SET"}, 4, ""},
        Refusal{"scheme_writes_an_empty_image",
                "ATMEGA8",
                {"-p", "{pts}", "run", "{dir}/empty.SET"},
                4,
                ""},
        Refusal{"unknown_model", "ATMEGA8", {"-p", "{pts}", "-m", "ATMEGA9", "detect"}, 2, ""},
        Refusal{"model_disagrees_with_socket",
                "ATMEGA8",
                {"-p", "{pts}", "-m", "ATMEGA16", "write-flash", kM8Hex},
                1,
                "RI01#RI02#"},
        Refusal{"unknown_chip",
                "ATMEGA8",
                {"-p", "{pts}", "erase"},
                1,
                "RI01#RI02#",
                "signature 1E0102"},
        Refusal{"extended_byte_model_lacks",
                "ATMEGA8",
                {"-p", "{pts}", "fuses", "write", "--ext", "FF"},
                2,
                "RI01#RI02#"},
        Refusal{"lock_bit_model_lacks",
                "ATMEGA8",
                {"-p", "{pts}", "lock", "write", "3C"},
                2,
                "RI01#RI02#"},
        Refusal{"fuses_write_without_bytes", "ATMEGA8", {"-p", "{pts}", "fuses", "write"}, 2, ""},
        Refusal{
            "option_of_another_command", "ATMEGA8", {"-p", "{pts}", "detect", "--verify"}, 2, ""},
        Refusal{"ports_with_a_port", "ATMEGA8", {"-p", "{pts}", "ports"}, 2, ""},
        Refusal{"missing_argument", "ATMEGA8", {"-p", "{pts}", "write-flash"}, 2, ""},
        Refusal{
            "bad_fuse_byte", "ATMEGA8", {"-p", "{pts}", "fuses", "write", "--low", "1FF"}, 2, ""},
        Refusal{"unknown_command", "ATMEGA8", {"-p", "{pts}", "blank-check"}, 2, ""},
        // A calibration byte the cell did not take is found by reading it back.
        Refusal{"calibration_byte_not_taken",
                "ATMEGA8",
                {"-p", "{pts}", "calibration", "write", "--slot", "8", "--to", "eeprom",
                 "--address", "10"},
                1,
                "RI01#RI02#RI80#RI81#RI82#RI83#WEA7000A#RB000A#",
                "fault stuckeeprom 10"},
        // Outside COM1..COM16 nothing opens: no fallback to COM1.
        Refusal{"com_number_too_high", "ATMEGA8", {"-p", "COM99", "erase"}, 2, ""},
        Refusal{"com_number_zero", "ATMEGA8", {"-p", "com0", "erase"}, 2, ""},
        Refusal{
            "gang_com_number_too_high", "ATMEGA8", {"gang", "--ports", "COM17", "erase"}, 2, ""},
        Refusal{"gang_port_twice", "ATMEGA8", {"gang", "--ports", "{pts},{pts}", "erase"}, 2, ""},
        // A line that does not parse still ends with its JSON result line.
        Refusal{"unknown_option_in_json", "ATMEGA8", {"-p", "{pts}", "erase", "--VERIFY"}, 2, ""},
        Refusal{"option_without_value_in_json", "ATMEGA8", {"-p", "{pts}", "--baud"}, 2, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Another program holds the port: the message says so, nothing is sent.
TEST(CliEndToEnd, RefusesABusyPort) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QSerialPort holder(sim.pts());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    CliProcess cli;
    EXPECT_EQ(cli.run({"--json", "-p", sim.pts(), "detect"}), 3);
    EXPECT_TRUE(cli.result()["message"].toString().contains(sim.pts()));
    // Busy, not lost: the gang shows it as its own state.
    EXPECT_EQ(cli.result()["portBusy"], true);
    EXPECT_FALSE(cli.result().contains("portLost"));
    holder.close();
    EXPECT_EQ(sim.transcript(), QByteArray());
}

// A chip whose FLASH does not take a byte: exit 1 with the first address
// that differs, found by the verify of the same pass.
TEST(CliEndToEnd, VerifyMismatchNamesItsAddress) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    sim.command("fault stuckflash 37");
    CliProcess cli;
    EXPECT_EQ(cli.run({"--json", "-p", sim.pts(), "write-flash", kM8Hex, "--verify"}), 1);
    EXPECT_EQ(cli.result()["address"], 37) << cli.rawOutput().toStdString();
    EXPECT_EQ(cli.result()["flashVerified"], false);

    CliProcess human;
    EXPECT_EQ(human.run({"-p", sim.pts(), "verify-flash", kM8Hex}), 1);
    EXPECT_TRUE(human.errors().contains(QStringLiteral("FLASH地址 0025")))
        << human.errors().toStdString();
    EXPECT_TRUE(human.rawOutput().isEmpty());
}

// A commented .eep is raw binary by its first line: said in a warning, and
// refused while its bytes look like text, unless --raw asks for them as they are.
TEST(CliEndToEnd, AnEepThatLooksLikeTextGoesInOnlyWithRaw) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QTemporaryDir dir;
    const QByteArray text("; line 3 calibration\r\n:0100000055AA\r\n:00000001FF\r\n");
    const QString path = dir.filePath("notes.eep");
    writeFile(path, text);
    auto warned = [&text](const CliProcess& cli) {
        for (const QJsonObject& line : cli.lines()) {
            if (line["event"] == "warning" &&
                line["text"].toString().contains(
                    QStringLiteral("按原始二进制读入，%1 字节").arg(text.size())))
                return true;
        }
        return false;
    };
    CliProcess refused;
    EXPECT_EQ(refused.run({"--json", "-p", sim.pts(), "write-eeprom", path}), 4);
    EXPECT_TRUE(warned(refused)) << refused.rawOutput().toStdString();
    EXPECT_EQ(sim.transcript(), QByteArray());

    CliProcess raw;
    EXPECT_EQ(raw.run({"--json", "-p", sim.pts(), "write-eeprom", path, "--raw"}), 0)
        << raw.rawOutput().toStdString();
    EXPECT_TRUE(warned(raw));
    EXPECT_EQ(sim.dump()["eeprom"].toString().left(2 * text.size()),
              QString::fromLatin1(text.toHex().toUpper()));
}

}  // namespace
}  // namespace kv::test
