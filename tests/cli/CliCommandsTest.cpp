// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <functional>

#include "schemes/SchemeFile.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

QString image(const char* name) {
    return testImage(QString::fromLatin1(name));
}

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// What reached the simulated programmer, as text.
QByteArray transcript(SimProcess& sim) {
    return sim.transcript();
}

struct Case {
    const char* name;
    const char* model;  // in the simulator's socket
    QStringList arguments;
    QJsonObject expected;  // fields the result must carry
    // What the simulator must show afterwards (chip dump, transcript) and
    // files the command wrote.
    std::function<void(SimProcess&, const QJsonObject& chip, const QString& folder,
                       const QJsonObject& result)>
        check;
};

class CliEndToEndCommands : public ::testing::TestWithParam<Case> {};

TEST_P(CliEndToEndCommands, ExitCodeResultAndChip) {
    const Case& c = GetParam();
    SimProcess sim({QStringLiteral("--model"), QString::fromLatin1(c.model)});
    ASSERT_TRUE(sim.pts().startsWith(QStringLiteral("/dev/")));
    QTemporaryDir folder;
    QStringList arguments{QStringLiteral("--json"), QStringLiteral("-p"), sim.pts()};
    for (const QString& a : c.arguments)
        arguments << QString(a).replace(QStringLiteral("{dir}"), folder.path());

    CliProcess cli;
    const int exit = cli.run(arguments);
    const QJsonObject result = cli.result();
    EXPECT_EQ(exit, 0) << cli.rawOutput().toStdString() << cli.errors().toStdString();
    EXPECT_EQ(cli.resultCount(), 1);
    EXPECT_EQ(cli.lines().last(), result) << "the result is the last line";
    EXPECT_EQ(result.value("ok"), true);
    EXPECT_EQ(result.value("exit"), 0);
    for (auto it = c.expected.begin(); it != c.expected.end(); ++it)
        EXPECT_EQ(result.value(it.key()), it.value()) << it.key().toStdString();
    if (c.check)
        c.check(sim, sim.dump(), folder.path(), result);
}

const QString kFlashHex = image("blink_m8.hex");
const QByteArray kFlashBytes = readFile(image("blink_m8.bin"));

// The chip's memory holds the bytes, the rest still erased.
void expectHolds(const QJsonObject& chip, const char* memory, const QByteArray& bytes) {
    const QString held = chip.value(QLatin1String(memory)).toString();
    EXPECT_EQ(held.left(2 * bytes.size()), hexOf(bytes)) << memory;
    EXPECT_EQ(held.mid(2 * bytes.size()), QString(held.size() - 2 * bytes.size(), u'F')) << memory;
}

// An ELF file's FLASH and EEPROM as avr-objcopy extracted them, and the
// fuse and lock bytes its source sets.
void expectHoldsElf(const QJsonObject& chip, const char* name, const QJsonObject& fuses) {
    const QString base = image(name);
    expectHolds(chip, "flash", readFile(base + ".bin"));
    expectHolds(chip, "eeprom", readFile(base + ".eep.bin"));
    EXPECT_EQ(chip["fuses"].toObject(), fuses);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliEndToEndCommands,
    ::testing::Values(
        Case{"detect",
             "ATMEGA16",
             {"detect"},
             {{"signature", "1E9403"}, {"model", "ATMEGA16"}},
             [](SimProcess& sim, const QJsonObject&, const QString&, const QJsonObject&) {
                 EXPECT_EQ(transcript(sim), QByteArray("RI01#RI02#"));
             }},
        Case{"write_flash_verify",
             "ATMEGA8",
             {"write-flash", kFlashHex, "--verify"},
             {{"flashVerified", true}, {"bytes", int(kFlashBytes.size())}},
             [](SimProcess& sim, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 const QString flash = chip.value("flash").toString();
                 EXPECT_EQ(flash.left(2 * kFlashBytes.size()), hexOf(kFlashBytes));
                 EXPECT_EQ(flash.mid(2 * kFlashBytes.size()).count('F'),
                           flash.size() - 2 * kFlashBytes.size());
                 const QByteArray wire = transcript(sim);
                 EXPECT_TRUE(wire.startsWith("RI01#RI02#EM#WF#")) << wire.left(40).toStdString();
                 EXPECT_TRUE(wire.endsWith("RF008E#"));
             }},
        Case{"write_eeprom_verify",
             "ATMEGA32",
             {"write-eeprom", image("table_m32.eep"), "--verify"},
             {{"eepromVerified", true}},
             [](SimProcess&, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 const QByteArray bytes = readFile(image("table_m32.eep.bin"));
                 EXPECT_EQ(chip.value("eeprom").toString().left(2 * bytes.size()), hexOf(bytes));
             }},
        Case{"program_elf_m8",
             "ATMEGA8",
             {"program", image("fuses_m8.elf"), "--fuses", "--lock", "--verify", "--erase"},
             {{"flashVerified", true},
              {"eepromVerified", true},
              {"low", "E4"},
              {"high", "C9"},
              {"lock", "FC"},
              {"written", QJsonArray{"flash", "eeprom", "fuses", "lock"}}},
             [](SimProcess& sim, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 expectHoldsElf(
                     chip, "fuses_m8",
                     {{"low", "E4"}, {"high", "C9"}, {"extended", "FF"}, {"lock", "FC"}});
                 // Erase first, the lock byte last, after the verifies and the fuses.
                 const QByteArray wire = transcript(sim);
                 EXPECT_TRUE(wire.startsWith("RI01#RI02#RS#EM#WF#")) << wire.left(40).toStdString();
                 // One read-back confirms the fuses for the command and the record.
                 EXPECT_TRUE(wire.endsWith("WS..C9E4#WLFC#RS#")) << wire.right(40).toStdString();
                 EXPECT_LT(wire.lastIndexOf("RF"), wire.indexOf("WS"));
             }},
        Case{"program_elf_t2313_three_fuse_bytes",
             "ATTINY2313",
             {"program", image("fuses_t2313.elf"), "--fuses", "--lock", "--verify"},
             {{"flashVerified", true}, {"eepromVerified", true}, {"ext", "FE"}, {"lock", "FE"}},
             [](SimProcess& sim, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 expectHoldsElf(
                     chip, "fuses_t2313",
                     {{"low", "E4"}, {"high", "9B"}, {"extended", "FE"}, {"lock", "FE"}});
                 EXPECT_FALSE(transcript(sim).contains("EM#"));
             }},
        Case{"program_elf_memories_only",
             "ATMEGA8",
             {"program", image("fuses_m8.elf")},
             {{"written", QJsonArray{"flash", "eeprom"}}},
             [](SimProcess& sim, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 expectHoldsElf(
                     chip, "fuses_m8",
                     {{"low", "E1"}, {"high", "D9"}, {"extended", "FF"}, {"lock", "FF"}});
                 EXPECT_FALSE(transcript(sim).contains("RS#"));
             }},
        Case{"write_flash_elf",
             "ATTINY2313",
             {"write-flash", image("fuses_t2313.elf"), "--verify"},
             {{"flashVerified", true}},
             [](SimProcess& sim, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 expectHolds(chip, "flash", readFile(image("fuses_t2313.bin")));
                 EXPECT_FALSE(transcript(sim).contains("WS"));
             }},
        Case{"read_flash_hex",
             "ATMEGA8",
             {"read-flash", "{dir}/chip.hex"},
             {{"bytes", 8192}},
             [](SimProcess&, const QJsonObject&, const QString& dir, const QJsonObject&) {
                 const QList<QByteArray> records = readFile(dir + "/chip.hex").split('\n');
                 EXPECT_EQ(records.first(), ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\r");
                 EXPECT_EQ(records.size(), 8192 / 16 + 2);  // data, end record, final break
                 EXPECT_EQ(records.at(records.size() - 2), ":00000001FF\r");
             }},
        Case{"read_eeprom_bin",
             "ATMEGA8",
             {"read-eeprom", "{dir}/ee.bin"},
             {{"bytes", 512}},
             [](SimProcess&, const QJsonObject&, const QString& dir, const QJsonObject&) {
                 EXPECT_EQ(readFile(dir + "/ee.bin"), QByteArray(512, char(0xFF)));
             }},
        Case{"fuses_read",
             "ATMEGA88",
             {"fuses", "read"},
             {{"low", "62"}, {"high", "DF"}, {"ext", "F9"}, {"lock", "FF"}},
             nullptr},
        Case{"fuses_write_keeps_unnamed_bytes",
             "ATMEGA8",
             {"fuses", "write", "--low", "E4"},
             {{"low", "E4"}, {"high", "D9"}},
             [](SimProcess&, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 EXPECT_EQ(chip["fuses"].toObject()["low"], "E4");
                 EXPECT_EQ(chip["fuses"].toObject()["high"], "D9");
             }},
        Case{"lock_write",
             "ATMEGA8",
             {"lock", "write", "FC"},
             {{"lock", "FC"}},
             [](SimProcess&, const QJsonObject& chip, const QString&, const QJsonObject&) {
                 EXPECT_EQ(chip["fuses"].toObject()["lock"], "FC");
             }},
        Case{"fuses_recover",
             "ATMEGA8",
             {"fuses", "recover"},
             {{"low", "E1"}, {"high", "D9"}},
             [](SimProcess& sim, const QJsonObject&, const QString&, const QJsonObject&) {
                 EXPECT_TRUE(transcript(sim).contains("SS..D9E1#"));
             }},
        Case{"erase",
             "ATMEGA8",
             {"erase"},
             {},
             [](SimProcess& sim, const QJsonObject&, const QString&, const QJsonObject&) {
                 // The erase is not acknowledged: the record reads the signature after it.
                 EXPECT_EQ(transcript(sim), QByteArray("RI01#RI02#EM#RI01#RI02#"));
             }},
        Case{"calibration_read",
             "ATMEGA8",
             {"calibration", "read"},
             {},
             [](SimProcess&, const QJsonObject& chip, const QString&, const QJsonObject& result) {
                 const QString bytes = chip["calibration"].toString();  // 1, 2, 4, 8 MHz
                 const QJsonObject found = result["calibration"].toObject();
                 EXPECT_EQ(found["1MHz"], bytes.mid(0, 2));
                 EXPECT_EQ(found["8MHz"], bytes.mid(6, 2));
                 EXPECT_EQ(found.size(), 4);
             }},
        Case{"calibration_write",
             "ATMEGA8",
             {"calibration", "write", "--slot", "8", "--to", "eeprom", "--address", "10"},
             {{"address", 10}, {"target", "eeprom"}},
             [](SimProcess&, const QJsonObject& chip, const QString&, const QJsonObject& result) {
                 EXPECT_EQ(result["value"], chip["calibration"].toString().mid(6, 2));
                 EXPECT_EQ(chip["eeprom"].toString().mid(20, 2), result["value"].toString());
             }}),
    [](const auto& info) { return std::string(info.param.name); });

// The scheme goes through the window's own load and pass: its options decide
// the steps, its files the content, its fuse bits the fuses.
TEST(CliEndToEnd, RunsASchemeAsTheWindowWould) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QTemporaryDir folder;
    Scheme scheme;
    scheme.model = QStringLiteral("ATMEGA8");
    // Cells 31 to 0: lock FF, extended FF, high D9, low E0.
    scheme.fuseBits = QStringLiteral(
        "11111111"
        "11111111"
        "11011001"
        "11100000");
    // Signature check, erase, reload, FLASH, EEPROM, both verifies, fuses.
    scheme.options = {1, 1, 1, 1, 0, 1, 1, 0, 1, 1};
    scheme.flashPath = image("blink_m8.hex");
    scheme.eepromPath = image("blink_m8.eep");
    scheme.flashAddress = QStringLiteral("8191");
    scheme.eepromAddress = QStringLiteral("511");
    const QString path = folder.filePath(QStringLiteral("line.SET"));
    SchemeFile::save(path, scheme);

    CliProcess cli;
    const int exit = cli.run({"--json", "--port", sim.pts(), "run", path});
    EXPECT_EQ(exit, 0) << cli.rawOutput().toStdString();
    const QJsonObject result = cli.result();
    EXPECT_EQ(result["flashVerified"], true);
    EXPECT_EQ(result["eepromVerified"], true);
    const QJsonObject chip = sim.dump();
    EXPECT_EQ(chip["flash"].toString().left(2 * kFlashBytes.size()), hexOf(kFlashBytes));
    EXPECT_EQ(chip["fuses"].toObject()["low"], "E0");
    // The pass's own order, from its first signature read to the fuses.
    const QByteArray wire = transcript(sim);
    EXPECT_TRUE(wire.startsWith("RI00#RI01#RI02#EM#WF#")) << wire.left(30).toStdString();
    // The record reads the fuses back after writing them.
    EXPECT_TRUE(wire.endsWith("WS..D9E0#RS#"));
    EXPECT_TRUE(cli.logTexts().contains(QStringLiteral("校验FLASH通过。")));
    int progress = 0;
    for (const QJsonObject& line : cli.lines())
        progress += line["event"] == "progress" && line["total"] == 100;
    EXPECT_GT(progress, 2);
}

// Port, line settings and model default to the window's; the window's file
// stays exactly as it was, whatever the run stored meanwhile.
TEST(CliEndToEnd, UsesTheWindowsSettingsAndLeavesThemAlone) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    CliProcess cli;
    SettingsStore window = cli.windowSettings();
    ASSERT_TRUE(window.write(QStringLiteral("端口映射"), QStringLiteral("COM3"), sim.pts()));
    ASSERT_TRUE(
        window.write(QStringLiteral("属性"), QStringLiteral("通信端口"), QStringLiteral("3")));
    ASSERT_TRUE(window.write(QStringLiteral("FLASH"), QStringLiteral("文件"), kFlashHex));
    const QByteArray before = readFile(window.filePath());

    EXPECT_EQ(cli.run({"--json", "fuses", "write", "--high", "D8"}), 0)
        << cli.rawOutput().toStdString();
    EXPECT_EQ(sim.dump()["fuses"].toObject()["high"], "D8");
    EXPECT_EQ(readFile(window.filePath()), before);
    EXPECT_EQ(QDir(cli.configFolder() + "/kelvaro").entryList(QDir::Files).size(), 1);

    CliProcess probe;
    SettingsStore same = probe.windowSettings();
    ASSERT_TRUE(same.write(QStringLiteral("端口映射"), QStringLiteral("COM3"), sim.pts()));
    EXPECT_EQ(probe.run({"--json", "ports", "--probe"}), 0) << probe.rawOutput().toStdString();
    const QJsonArray ports = probe.result()["ports"].toArray();
    ASSERT_EQ(ports.size(), 16);
    EXPECT_EQ(ports[2].toObject()["device"], sim.pts());
    EXPECT_EQ(ports[2].toObject()["answers"], true);
}

// A part from the shipped model table, not the built-in one: found by its
// signature, named in any case with -m, a whole FLASH written and verified,
// and its three fuse bytes read, told in either language.
TEST(CliEndToEnd, IdentifiesWritesVerifiesAndReadsTheFusesOfAnAtmega328p) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA328P")});
    const QStringList port{QStringLiteral("--json"), QStringLiteral("-p"), sim.pts()};
    QTemporaryDir folder;
    QByteArray image(32768, 0);
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 7 + i / 251) & 0xFF);
    const QString imageFile = folder.filePath(QStringLiteral("full.bin"));
    writeFile(imageFile, image);

    CliProcess detect;
    ASSERT_EQ(detect.run(port + QStringList{"detect"}), 0) << detect.rawOutput().toStdString();
    EXPECT_EQ(detect.result()["model"], "ATMEGA328P");
    EXPECT_EQ(detect.result()["signature"], "1E950F");

    CliProcess write;
    EXPECT_EQ(
        write.run(port + QStringList{"-m", "atmega328p", "write-flash", imageFile, "--verify"}), 0)
        << write.rawOutput().toStdString();
    EXPECT_EQ(write.result()["flashVerified"], true);
    EXPECT_EQ(write.result()["bytes"], 32768);
    EXPECT_EQ(sim.dump()["flash"].toString(), hexOf(image));

    for (const auto& [lang, logged] : {std::pair{"zh", "读熔丝位:FFD962 锁定位:FF"},
                                       std::pair{"en", "Fuse bits read: FFD962 lock bits: FF"}}) {
        CliProcess read;
        EXPECT_EQ(read.run(port + QStringList{"--lang", lang, "fuses", "read"}), 0)
            << read.rawOutput().toStdString();
        const QJsonObject result = read.result();
        EXPECT_EQ(result["low"], "62");
        EXPECT_EQ(result["high"], "D9");
        EXPECT_EQ(result["ext"], "FF");
        EXPECT_EQ(result["lock"], "FF");
        EXPECT_TRUE(read.logTexts().contains(QString::fromUtf8(logged)))
            << read.logTexts().join('\n').toStdString();
    }
}

// The loader is started once the command waits for it, as a user would
// restart the programmer when told to.
TEST(CliEndToEnd, UpdatesTheProgrammersFirmware) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QTemporaryDir folder;
    QByteArray firmware;
    for (int i = 0; i < 100; ++i)
        firmware += char(i * 7);
    const QString file = writeFile(folder.filePath("fw.bin"), firmware);
    sim.command("loaderpage 32");
    CliProcess cli;
    cli.start({"--json", "-p", sim.pts(), "firmware", file, "--page-size", "32"});
    ASSERT_TRUE(cli.waitForLine([](const QJsonObject& l) { return l["event"] == "note"; }));
    sim.command("loader");
    EXPECT_EQ(cli.finish(), 0) << cli.rawOutput().toStdString();
    const QJsonObject chip = sim.dump();
    EXPECT_EQ(chip["loaderMode"], "D");
    EXPECT_EQ(chip["loaderFirmware"].toString().left(200), hexOf(firmware));
}

// Build servers and scripts often run without a locale: there kelvaro-cli
// speaks English, the programmer's replies included, without --lang.
TEST(CliEndToEndLanguage, WithoutALocaleEverythingIsEnglish) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    const QList<QPair<QString, QString>> locales[] = {
        {{"LANG", "C"}}, {{"LC_ALL", "POSIX"}, {"LANG", "zh_CN.UTF-8"}}, {}};
    for (const auto& locale : locales) {
        CliProcess cli;
        cli.setLocale(locale);
        EXPECT_EQ(cli.run({"-p", sim.pts(), "erase"}), 0) << cli.errors().toStdString();
        const QString said = cli.errors();
        EXPECT_TRUE(said.contains(u'!')) << "the programmer's reply: " << said.toStdString();
        for (const QChar c : said)
            ASSERT_FALSE(c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF) << said.toStdString();
    }
}

}  // namespace
}  // namespace kv::test
