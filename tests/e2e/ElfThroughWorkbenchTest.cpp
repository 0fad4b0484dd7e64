// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/Workbench.h"
#include "tests/app/ShellFakes.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

const QString kImages = QStringLiteral(KV_TEST_DATA "/images/");

// The window's controller on a simulated programmer with `model` in the socket
// and selected.
struct ElfBench {
    explicit ElfBench(const QString& model) : wb((p.device.setModel(model), p.parts())) {
        wb.start();
        wb.selectModelFromMenu(model);
        p.device.clearTranscript();
        p.prompts.warnings.clear();
    }
    void open(bool flash, const QString& path) {
        p.prompts.answers << path;
        flash ? wb.runCommand(CommandId::OpenFlashFile) : wb.runCommand(CommandId::OpenEepromFile);
    }

    ShellPlatform p;
    Workbench wb;
};

struct ElfCase {
    const char* base;
    const char* model;
    std::array<int, 4> fuses;  // low, high, extended (-1: the file has none), lock
    const char* announced;
};

void PrintTo(const ElfCase& c, std::ostream* os) {
    *os << c.base;
}

class ElfThroughWorkbench : public testing::TestWithParam<ElfCase> {};

// Loaded into both image slots, its fuses applied by the menu entry, the
// programming pass leaves the chip holding exactly the file: its program, its
// EEPROM data, its fuse and lock bytes. Nothing reaches the chip before the
// pass, and the cells change only through the explicit entry.
TEST_P(ElfThroughWorkbench, LoadedAppliedAndProgrammedTheChipHoldsTheFile) {
    const ElfCase& c = GetParam();
    ElfBench bench(QString::fromLatin1(c.model));
    Workbench& wb = bench.wb;
    sim::SimulatedProgrammer& chip = bench.p.device;
    const QString elf = kImages + c.base + ".elf";
    const QByteArray flash = readFile(kImages + c.base + ".bin");
    const QByteArray eeprom = readFile(kImages + c.base + ".eep.bin");

    const QString cells = wb.session().fuses().fuseBitString();
    bench.open(true, elf);
    bench.open(false, elf);
    EXPECT_EQ(wb.session().flash().image().toBytes(), flash);
    EXPECT_EQ(wb.session().eeprom().image().toBytes(), eeprom);
    EXPECT_EQ(wb.session().flash().panelText(), QStringLiteral("FLASH:%1字节").arg(flash.size()));
    EXPECT_EQ(wb.session().platform().settings.read("FLASH", "文件"), elf);
    EXPECT_TRUE(wb.session().log().text().contains(QString::fromUtf8(c.announced)))
        << wb.session().log().text().toStdString();
    EXPECT_EQ(wb.session().fuses().fuseBitString(), cells);

    wb.runCommand(CommandId::FileFuses);
    EXPECT_EQ(wb.session().fuses().fuseLow(), c.fuses[0]);
    EXPECT_EQ(wb.session().fuses().fuseHigh(), c.fuses[1]);
    if (c.fuses[2] >= 0) {
        EXPECT_EQ(wb.session().fuses().fuseExtended(), c.fuses[2]);
    }
    EXPECT_EQ(wb.session().fuses().lockByte(), c.fuses[3]);
    EXPECT_EQ(chip.transcript(), "");

    // Erase, FLASH, EEPROM, fuses, lock, reload files, both verifies.
    wb.session().options().setFromText("1111110011");
    wb.runCommand(CommandId::RunPass);
    EXPECT_TRUE(bench.p.prompts.warnings.isEmpty())
        << bench.p.prompts.lines().join('\n').toStdString();
    EXPECT_EQ(chip.flash().left(flash.size()), flash);
    EXPECT_EQ(chip.flash().mid(flash.size()),
              QByteArray(chip.flash().size() - flash.size(), '\xFF'));
    EXPECT_EQ(chip.eeprom().left(eeprom.size()), eeprom);
    EXPECT_EQ(chip.eeprom().mid(eeprom.size()),
              QByteArray(chip.eeprom().size() - eeprom.size(), '\xFF'));
    EXPECT_EQ(chip.low, c.fuses[0]);
    EXPECT_EQ(chip.high, c.fuses[1]);
    EXPECT_EQ(chip.extended, c.fuses[2] >= 0 ? c.fuses[2] : 0xFF);
    EXPECT_EQ(chip.lock, c.fuses[3]);
    for (const char* text : {"校验FLASH通过。", "校验EEPROM通过。", "熔丝位写入成功!"})
        EXPECT_TRUE(wb.session().log().text().contains(QString::fromUtf8(text))) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ElfThroughWorkbench,
    testing::Values(ElfCase{"fuses_m8",
                            "ATMEGA8",
                            {0xE4, 0xC9, -1, 0xFC},
                            "fuses_m8.elf 带有熔丝/锁定位：低字节 E4，高字节 C9；锁定位 FC"},
                    ElfCase{"fuses_t2313",
                            "ATTINY2313",
                            {0xE4, 0x9B, 0xFE, 0xFE},
                            "低字节 E4，高字节 9B，扩展字节 FE；锁定位 FE"}),
    [](const auto& info) { return std::string(info.param.base); });

// The bytes belong to the file now loaded, and to a model that has as many.
TEST(ElfThroughWorkbench, FileFusesGoWithTheirFileAndFitTheModel) {
    ElfBench bench("ATTINY2313");
    Workbench& wb = bench.wb;
    bench.open(true, kImages + "fuses_t2313.elf");
    wb.selectModelFromMenu(QStringLiteral("ATMEGA8"));
    const QString cells = wb.session().fuses().fuseBitString();
    wb.runCommand(CommandId::FileFuses);
    ASSERT_EQ(bench.p.prompts.warnings.size(), 1);
    EXPECT_EQ(bench.p.prompts.warnings[0].second,
              "fuses_t2313.elf 有 3 个熔丝字节，ATMEGA8 只有 2 个，没有调入文件熔丝位。");
    EXPECT_EQ(wb.session().fuses().fuseBitString(), cells);

    bench.open(true, kImages + "blink_m8.hex");
    wb.runCommand(CommandId::FileFuses);
    EXPECT_TRUE(wb.session().log().text().contains(
        "载入的文件没有熔丝位和锁定位（只有 ELF 文件带有），熔丝位未改变。"))
        << wb.session().log().text().toStdString();
    EXPECT_EQ(wb.session().fuses().fuseBitString(), cells);
    EXPECT_EQ(bench.p.device.transcript(), "");
}

// A scheme keeps an ELF path like any other and reloads both images from it.
TEST(ElfThroughWorkbench, ASchemeReloadsItsElfFile) {
    ElfBench bench("ATMEGA8");
    Workbench& wb = bench.wb;
    const QString elf = kImages + "fuses_m8.elf";
    wb.session().flash().setPathText(elf);
    wb.session().eeprom().setPathText(elf);
    wb.session().options().setFromText("0000010000");  // files reloaded
    const QString scheme = bench.p.settings.fileIn("elf.SET");
    bench.p.prompts.answers << scheme;
    wb.runCommand(CommandId::SaveScheme);
    wb.session().flash().setPathText(QString());
    wb.session().eeprom().setPathText(QString());

    bench.p.prompts.answers << scheme;
    wb.runCommand(CommandId::LoadScheme);
    EXPECT_EQ(wb.session().flash().pathText(), elf);
    EXPECT_EQ(wb.session().flash().image().toBytes(), readFile(kImages + "fuses_m8.bin"));
    EXPECT_EQ(wb.session().eeprom().image().toBytes(), readFile(kImages + "fuses_m8.eep.bin"));
    ASSERT_TRUE(wb.session().files().fileFuses().has_value());
    EXPECT_EQ(wb.session().files().fileFuses()->fuses, QByteArray::fromHex("E4C9"));
    EXPECT_TRUE(bench.p.prompts.warnings.isEmpty())
        << bench.p.prompts.lines().join('\n').toStdString();
}

// A file the chip cannot take is refused by name in the warning box, also when
// the pass reloads it, and nothing at all is sent.
TEST(ElfThroughWorkbench, RefusedFilesSendNothing) {
    QTemporaryDir dir;
    const QByteArray m8 = readFile(kImages + "fuses_m8.elf");
    const QString cut = writeFile(dir.filePath("cut.elf"), m8.left(m8.size() / 2));
    const QString foreign = writeFile(dir.filePath("true.elf"), readFile("/bin/true"));
    const struct {
        QString path;
        const char* named;
    } cases[] = {
        {kImages + "fuses_m8.elf", "段 .eeprom 超出芯片 EEPROM：到 175 字节，芯片只有 128 字节"},
        {kImages + "fuses_t2313.elf", "段 .fuse 有 3 个熔丝字节，所选型号只有 2 个"},
        {cut, "ELF 文件不完整（文件被截断）"},
        {foreign, "是 64 位 ELF 文件，不是 AVR 程序"},
    };
    for (const auto& c : cases) {
        // The tiny's EEPROM is too small for the m8 file; the ATtiny26 takes
        // two fuse bytes, not the three of the tiny2313 file.
        ElfBench bench(c.path.contains("t2313") ? "ATTINY26" : "ATTINY2313");
        bench.wb.session().flash().setPathText(c.path);
        bench.wb.session().eeprom().setPathText(c.path);
        bench.wb.session().options().setFromText("0110010000");
        bench.wb.runCommand(CommandId::RunPass);
        const QString shown = bench.p.prompts.lines().join('\n');
        ASSERT_EQ(bench.p.prompts.warnings.size(), 2) << shown.toStdString();
        EXPECT_TRUE(bench.p.prompts.warnings[0].second.contains(QString::fromUtf8(c.named)))
            << shown.toStdString();
        EXPECT_TRUE(bench.wb.session().flash().image().isEmpty());
        EXPECT_TRUE(bench.wb.session().eeprom().image().isEmpty());
        EXPECT_FALSE(bench.wb.session().files().fileFuses().has_value());
        EXPECT_EQ(bench.p.device.transcript(), "") << shown.toStdString();
    }
}

}  // namespace
}  // namespace kv::test
