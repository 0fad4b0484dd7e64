// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QtEndian>

#include "images/ElfReader.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestFiles.h"

using kv::ElfLimits;
using kv::ElfReader;
using kv::test::readFile;
using kv::test::testImage;
using Error = kv::ElfReader::Error;

namespace {

// avr-gcc's files against avr-objcopy's binaries of the same files; fuse and
// lock bytes as the sources declare them.
struct ToolchainCase {
    const char* name;
    ElfLimits chip;
    QByteArray fuses;
    int lock;
};

void PrintTo(const ToolchainCase& c, std::ostream* os) {
    *os << c.name;
}

class ElfFromToolchain : public testing::TestWithParam<ToolchainCase> {};

TEST_P(ElfFromToolchain, GivesObjcopysBytesAndTheSourcesFuses) {
    const ToolchainCase& c = GetParam();
    const QString base = QString::fromLatin1(c.name);
    const auto result = ElfReader::readFile(testImage(base + ".elf"), c.chip);
    ASSERT_TRUE(result.ok()) << ElfReader::describe(result).toStdString();
    const QByteArray flash = readFile(testImage(base + ".bin"));
    const QByteArray eeprom = readFile(testImage(base + ".eep.bin"));
    ASSERT_FALSE(flash.isEmpty());
    ASSERT_FALSE(eeprom.isEmpty());
    EXPECT_EQ(result.image.flash, flash);
    EXPECT_EQ(result.image.eeprom, eeprom);
    EXPECT_EQ(result.image.fuses, c.fuses);
    ASSERT_TRUE(result.image.lock.has_value());
    EXPECT_EQ(*result.image.lock, c.lock);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ElfFromToolchain,
    testing::Values(ToolchainCase{"fuses_m8", {8192, 512, 2}, QByteArray::fromHex("E4C9"), 0xFC},
                    ToolchainCase{
                        "fuses_t2313", {2048, 128, 3}, QByteArray::fromHex("E49BFE"), 0xFE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ElfFromToolchain, NamesTheFuseAndLockBytes) {
    const auto result = ElfReader::readFile(testImage("fuses_t2313.elf"), {});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.image.fuseText(), "低字节 E4，高字节 9B，扩展字节 FE；锁定位 FE");
}

// Every refusal names what is wrong and keeps nothing of the file.
struct BadCase {
    const char* what;
    QByteArray bytes;
    ElfLimits chip;
    Error error;
    const char* text;
};

QByteArray m8() {
    return readFile(testImage("fuses_m8.elf"));
}

QByteArray withMachine(QByteArray bytes, quint16 machine) {
    qToLittleEndian(machine, bytes.data() + 18);
    return bytes;
}

// A 16-bit field of the ELF header set to value.
QByteArray withHalf(QByteArray bytes, int offset, quint16 value) {
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

// The header alone, its one program header said to lie at offset 6 with
// entries of 0 bytes, and no sections.
QByteArray oddProgramTable() {
    QByteArray bytes = withHalf(withHalf(m8().left(52), 42, 0), 48, 0);
    qToLittleEndian(quint32(6), bytes.data() + 28);
    qToLittleEndian(quint32(0), bytes.data() + 32);
    return withHalf(bytes, 44, 1);
}

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.what;
}

class ElfRefused : public testing::TestWithParam<BadCase> {};

TEST_P(ElfRefused, NamesWhatIsWrong) {
    const BadCase& c = GetParam();
    const auto result = ElfReader::read(c.bytes, c.chip);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(ElfReader::describe(result), QString::fromUtf8(c.text));
    EXPECT_TRUE(result.image.flash.isEmpty());
    EXPECT_TRUE(result.image.eeprom.isEmpty());
    EXPECT_FALSE(result.image.hasFuseOrLock());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ElfRefused,
    testing::Values(
        BadCase{"hex", readFile(testImage("blink_m8.hex")), {}, Error::NotElf, "不是 ELF 文件"},
        BadCase{"inHeader", m8().left(40), {}, Error::Truncated, "ELF 文件不完整（文件被截断）"},
        BadCase{
            "inSections", m8().left(0x200), {}, Error::Truncated, "ELF 文件不完整（文件被截断）"},
        BadCase{"inSectionTable",
                m8().chopped(8),
                {},
                Error::Truncated,
                "ELF 文件不完整（文件被截断）"},
        BadCase{"linuxProgram",
                readFile("/bin/true"),
                {},
                Error::Not32Bit,
                "是 64 位 ELF 文件，不是 AVR 程序（AVR 程序是 32 位 ELF）"},
        BadCase{"i386",
                withMachine(m8(), 3),
                {},
                Error::WrongMachine,
                "是其它处理器的程序（机器号 3），不是 AVR 程序"},
        BadCase{"flashBeyondChip",
                m8(),
                {0x80, 512, 2},
                Error::FlashOverflow,
                "段 .text 超出芯片 FLASH：到 190 字节，芯片只有 128 字节"},
        BadCase{"dataBeyondChip",
                m8(),
                {0xC8, 512, 2},
                Error::FlashOverflow,
                "段 .data 超出芯片 FLASH：到 202 字节，芯片只有 200 字节"},
        BadCase{"eepromBeyondChip",
                m8(),
                {8192, 128, 2},
                Error::EepromOverflow,
                "段 .eeprom 超出芯片 EEPROM：到 175 字节，芯片只有 128 字节"},
        BadCase{"programEntriesOfNoSize",
                oddProgramTable(),
                {},
                Error::BadStructure,
                "ELF 文件结构错误：e_phentsize 0 ≠ 32"},
        BadCase{"sectionEntriesOfTheWrongSize",
                withHalf(m8(), 46, 41),
                {},
                Error::BadStructure,
                "ELF 文件结构错误：e_shentsize 41 ≠ 40"},
        BadCase{"threeFusesForTwo",
                readFile(testImage("fuses_t2313.elf")),
                {8192, 512, 2},
                Error::FuseTooLong,
                "段 .fuse 有 3 个熔丝字节，所选型号只有 2 个"}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
