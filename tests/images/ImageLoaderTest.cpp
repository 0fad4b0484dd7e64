// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>

#include "ImageRig.h"

using kv::LoadStatus;
using kv::MemoryImage;
using kv::test::hexEnd;
using kv::test::hexRecord;
using kv::test::ImageRig;
using kv::test::readFile;
using kv::test::testImage;

namespace {

const QByteArray k16 = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");

// --- Files written by the AVR toolchain and by srec_cat -------------------

struct RealFile {
    const char* file;
    const char* binary;
    bool eeprom;
};

class RealToolchainFile : public ::testing::TestWithParam<RealFile> {};

TEST_P(RealToolchainFile, LoadsExactlyTheBytesOfTheBinary) {
    ImageRig rig;
    const RealFile f = GetParam();
    QString path = testImage(QString::fromLatin1(f.file));
    const QByteArray expected = readFile(testImage(QString::fromLatin1(f.binary)));
    ASSERT_FALSE(expected.isEmpty());
    kv::ImageSlot& slot = f.eeprom ? rig.eeprom : rig.flash;
    const LoadStatus status =
        rig.load(f.eeprom ? kv::MemoryKind::Eeprom : kv::MemoryKind::Flash, path).status;
    ASSERT_EQ(status, LoadStatus::Loaded) << rig.log.join(u'\n').toStdString();
    EXPECT_EQ(slot.image().toBytes(), expected);
    EXPECT_EQ(slot.viewText(), kv::hexViewText(slot.image()));
    EXPECT_EQ(slot.panelText(), (f.eeprom ? QStringLiteral("EEPROM:") : QStringLiteral("FLASH:")) +
                                    QString::number(expected.size()) + QStringLiteral("字节"));
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Images, RealToolchainFile,
                         ::testing::Values(RealFile{"blink_m8.hex", "blink_m8.bin", false},
                                           RealFile{"table_m32.hex", "table_m32.bin", false},
                                           RealFile{"table_m32_rec32.hex", "table_m32.bin", false},
                                           RealFile{"table_m32_ela.hex", "table_m32.bin", false},
                                           RealFile{"table_m32.bin", "table_m32.bin", false},
                                           RealFile{"blink_m8.eep", "blink_m8.eep.bin", true},
                                           RealFile{"blink_m8_esa.eep", "blink_m8.eep.bin", true},
                                           RealFile{"table_m32.eep", "table_m32.eep.bin", true},
                                           RealFile{"table_m32.hex", "table_m32.bin", true},
                                           RealFile{"table_m32.eep.bin", "table_m32.eep.bin",
                                                    true}));

TEST(IntelHexLoader, RefusesDataThatAnExtendedAddressPutsBeyond64KiB) {
    ImageRig rig;
    QString path = testImage(QStringLiteral("blink_m8_high.hex"));
    EXPECT_EQ(rig.load(kv::MemoryKind::Flash, path), LoadStatus::Failed);
    EXPECT_TRUE(rig.flash.image().isEmpty());
    ASSERT_EQ(rig.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.prompts.warnings[0].second,
              QStringLiteral("FLASH文件读取错误！\nblink_m8_high.hex 第 1 行：地址超出范围"));
}

TEST(IntelHexLoader, AnEepromFileLeftAtTheToolchainsEepromAddressLoadsFromZero) {
    ImageRig rig;
    // What avr-objcopy writes for .eeprom without moving the section to 0.
    const QByteArray content = hexRecord(0, 4, QByteArray("\x00\x81", 2)) + hexRecord(0, 0, k16) +
                               hexRecord(0x10, 0, k16) + hexEnd();
    QString eep = rig.write(QStringLiteral("m8.eep"), content);
    ASSERT_EQ(rig.load(kv::MemoryKind::Eeprom, eep), LoadStatus::Loaded);
    EXPECT_EQ(rig.eeprom.image().toBytes(), k16 + k16);
    // FLASH has no such window: the data lies beyond any chip.
    QString hex = rig.write(QStringLiteral("m8.hex"), content);
    EXPECT_EQ(rig.load(kv::MemoryKind::Flash, hex), LoadStatus::Failed);
    EXPECT_TRUE(rig.flash.image().isEmpty());
}

// --- Placement of records -------------------------------------------------

TEST(IntelHexLoader, FillsAGapWithFFAndYieldsOncePerLine) {
    ImageRig rig;
    QString path = rig.write(QStringLiteral("gap.hex"),
                             hexRecord(0x0000, 0, k16) + hexRecord(0x0020, 0, k16) + hexEnd());
    ASSERT_EQ(rig.load(kv::MemoryKind::Flash, path), LoadStatus::Loaded);
    const QByteArray bytes = rig.flash.image().toBytes();
    ASSERT_EQ(bytes.size(), 48);
    EXPECT_EQ(bytes.mid(16, 16), QByteArray(16, char(0xFF)));
    EXPECT_EQ(bytes.mid(32), k16);
    EXPECT_EQ(rig.pump.yields, 3);
    EXPECT_EQ(rig.flash.panelText(), QStringLiteral("FLASH:48字节"));
}

TEST(IntelHexLoader, KeepsLowerCaseDigitsAsTheyStand) {
    ImageRig rig;
    QString path =
        rig.write(QStringLiteral("lower.hex"), hexRecord(0, 0, k16).toLower() + hexEnd());
    ASSERT_EQ(rig.load(kv::MemoryKind::Flash, path), LoadStatus::Loaded);
    EXPECT_EQ(rig.flash.image().text(), QString::fromLatin1(k16.toHex()));
    EXPECT_TRUE(rig.flash.viewText().contains(QString::fromLatin1(k16.toHex())));
}

struct Placement {
    const char* name;
    QByteArray content;
    QByteArray bytes;
    const char* file = "placed.hex";  // .eep: loaded into EEPROM
};

class HexPlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(HexPlacement, LoadsEachRecordAtItsAddress) {
    ImageRig rig;
    const Placement& p = GetParam();
    QString path = rig.write(QString::fromLatin1(p.file), p.content);
    const bool eeprom = path.endsWith(QLatin1String(".eep"));
    ASSERT_EQ(rig.load(eeprom ? kv::MemoryKind::Eeprom : kv::MemoryKind::Flash, path),
              LoadStatus::Loaded)
        << rig.log.join(u'\n').toStdString();
    EXPECT_EQ((eeprom ? rig.eeprom : rig.flash).image().toBytes(), p.bytes);
}

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

INSTANTIATE_TEST_SUITE_P(
    Records, HexPlacement,
    ::testing::Values(
        Placement{"stopsAtTheEndRecord", hexRecord(0, 0, k16) + hexEnd() + hexRecord(0x10, 0, k16),
                  k16},
        Placement{"stopsAtALowerCaseEndRecord",
                  hexRecord(0, 0, k16) + ":00000001ff\n" + hexRecord(0x10, 0, k16), k16},
        Placement{"withoutEndRecordReadsToTheEnd",
                  hexRecord(0, 0, k16) + "\r\n" + hexRecord(0x10, 0, k16), k16 + k16},
        Placement{"skipsStartAddressRecords",
                  hexRecord(0, 4, QByteArray(2, '\0')) + hexRecord(0, 0, k16) +
                      hexRecord(0, 3, QByteArray(4, '\0')) + hexRecord(0, 5, QByteArray(4, '\0')) +
                      hexEnd(),
                  k16},
        Placement{"emptyDataRecordsChangeNothing",
                  hexRecord(0, 0, k16) + hexRecord(0x40, 0, {}) + hexRecord(0, 0, {}) + hexEnd(),
                  k16},
        Placement{"upTo32KiB", hexRecord(0x7FF0, 0, k16) + hexEnd(),
                  QByteArray(0x7FF0, char(0xFF)) + k16},
        Placement{"byteOrderMarkBeforeTheFirstRecord", kByteOrderMark + hexRecord(0, 0, k16), k16},
        Placement{"eepAfterByteOrderMarkBlankLinesAndSpaces",
                  kByteOrderMark + "\r\n  \n\t " + hexRecord(0, 0, k16) + hexEnd(), k16,
                  "placed.eep"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Broken files: refused, nothing of them kept ---------------------------

struct BrokenFile {
    const char* name;
    QByteArray content;
    int line;                         // 0: no line is named
    const char* why;                  // after "第 N 行："
    const char* file = "broken.hex";  // .eep: loaded into EEPROM
};

class BrokenHexFile : public ::testing::TestWithParam<BrokenFile> {};

// Whatever the ending promised, a file that is not what it says is refused
// whole, with its line and the reason in the log and in the box.
TEST_P(BrokenHexFile, FailsWithTheLineAndReasonAndLeavesTheImageEmpty) {
    ImageRig rig;
    const BrokenFile& f = GetParam();
    QString path = rig.write(QString::fromLatin1(f.file), f.content);
    const bool eeprom = path.endsWith(QLatin1String(".eep"));
    kv::ImageSlot& slot = eeprom ? rig.eeprom : rig.flash;
    slot.setPanelText(QStringLiteral("FLASH:7字节"));
    slot.showImage(MemoryImage(QStringLiteral("0102")));
    EXPECT_EQ(rig.load(eeprom ? kv::MemoryKind::Eeprom : kv::MemoryKind::Flash, path),
              LoadStatus::Failed);
    EXPECT_TRUE(slot.image().isEmpty());
    EXPECT_TRUE(slot.viewText().isEmpty());
    EXPECT_EQ(slot.panelText(), QStringLiteral("FLASH:7字节"));
    const QString detail = QString::fromLatin1(f.file) + u' ' +
                           (f.line ? QStringLiteral("第 %1 行：").arg(f.line) : QString()) +
                           QString::fromUtf8(f.why);
    EXPECT_EQ(rig.log.value(rig.log.size() - 1), detail);
    ASSERT_EQ(rig.prompts.warnings.size(), 1);
    const QString box = (eeprom ? QStringLiteral("EEPROM文件读取错误！\n")
                                : QStringLiteral("FLASH文件读取错误！\n")) +
                        detail;
    EXPECT_EQ(rig.prompts.warnings[0], qMakePair(rig.settings.applicationName(), box));
}

QByteArray withChecksumOff(QByteArray record) {
    record[record.size() - 3] = record[record.size() - 3] == '0' ? '1' : '0';
    return record;
}

const char* const kOutOfRange = "地址超出范围";

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenHexFile,
    ::testing::Values(
        BrokenFile{"empty", QByteArray(), 1, "文件为空"},
        BrokenFile{"checksum", hexRecord(0, 0, k16) + withChecksumOff(hexRecord(0x10, 0, k16)), 2,
                   "校验和错误"},
        BrokenFile{"nonHexDigit", QByteArray(hexRecord(0, 0, k16)).replace(12, 1, "G"), 1,
                   "含有非十六进制字符"},
        BrokenFile{"noColon", hexRecord(0, 0, k16).mid(1), 1, "不以“:”开头，不是 Intel HEX 记录"},
        BrokenFile{"binaryBytesInAHexFile", QByteArray::fromHex("0C942A060C9434060D0A"), 1,
                   "不以“:”开头，不是 Intel HEX 记录"},
        BrokenFile{"lengthDisagrees", kv::test::hexLine(QByteArray::fromHex("0F000000") + k16), 1,
                   "记录长度与行长不符"},
        BrokenFile{"truncatedLine", hexRecord(0, 0, k16).left(20) + "\r\n", 1,
                   "记录长度与行长不符"},
        BrokenFile{"carriageReturnOnly",
                   QByteArray(hexRecord(0, 0, k16) + hexRecord(0x10, 0, k16)).replace("\r\n", "\r"),
                   1, "行尾只有 CR，没有 LF"},
        BrokenFile{"addressRecordOfWrongLength",
                   hexRecord(0, 4, QByteArray(1, '\0')) + hexRecord(0, 0, k16), 1,
                   "类型 04 的记录长度错误"},
        BrokenFile{"segmentRecordOfWrongLength",
                   hexRecord(0, 0, k16) + hexRecord(0, 2, QByteArray(3, '\0')), 2,
                   "类型 02 的记录长度错误"},
        BrokenFile{"endRecordWithData", hexRecord(0, 0, k16) + hexRecord(0, 1, k16), 2,
                   "类型 01 的记录长度错误"},
        BrokenFile{"unknownType06", hexRecord(0, 0, k16) + hexRecord(0, 6, QByteArray(2, '\0')), 2,
                   "未知的记录类型 06"},
        BrokenFile{"unknownTypeFF", hexRecord(0, 0xFF, {}) + hexRecord(0, 0, k16), 1,
                   "未知的记录类型 FF"},
        BrokenFile{"linearBaseBeyondTheChip",
                   hexRecord(0, 4, QByteArray("\x00\x01", 2)) + hexRecord(0, 0, k16), 1,
                   kOutOfRange},
        BrokenFile{"segmentBaseBeyondTheChip",
                   hexRecord(0, 2, QByteArray("\x08\x00", 2)) + hexRecord(0, 0, k16), 1,
                   kOutOfRange},
        BrokenFile{"outOfOrder", hexRecord(0x10, 0, k16) + hexRecord(0x00, 0, k16), 2,
                   "地址顺序错误"},
        BrokenFile{"overlap", hexRecord(0x00, 0, k16) + hexRecord(0x08, 0, k16), 2, "地址顺序错误"},
        BrokenFile{"identicalOverlap", hexRecord(0x00, 0, k16) + hexRecord(0x00, 0, k16), 2,
                   "地址顺序错误"},
        BrokenFile{"from0x8000", hexRecord(0x8000, 0, k16) + hexEnd(), 1, kOutOfRange},
        BrokenFile{"runningPast0x8000", hexRecord(0x7FF8, 0, k16) + hexEnd(), 1, kOutOfRange},
        BrokenFile{"eepAfterByteOrderMarkWithABadChecksum",
                   kByteOrderMark + hexRecord(0, 0, k16) + withChecksumOff(hexRecord(0x10, 0, k16)),
                   2, "校验和错误", "broken.eep"},
        BrokenFile{"eepAfterBlankLinesWithAnUnknownType",
                   "\r\n \r\n" + hexRecord(0, 6, QByteArray(2, '\0')), 3, "未知的记录类型 06",
                   "broken.eep"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Paths, endings, binary files ----------------------------------------

TEST(ImageLoader, MissingFileLogsAndSaysNotFoundLeavingTheSlotAlone) {
    ImageRig rig;
    rig.eeprom.showImage(MemoryImage(QStringLiteral("AB")));
    rig.eeprom.setPanelText(QStringLiteral("EEPROM:1字节"));
    QString missing = rig.dir.filePath(QStringLiteral("none.eep"));
    EXPECT_EQ(rig.load(kv::MemoryKind::Eeprom, missing), LoadStatus::NotFound);
    QString empty;
    EXPECT_EQ(rig.load(kv::MemoryKind::Flash, empty), LoadStatus::NotFound);
    EXPECT_EQ(rig.log, (QStringList{QStringLiteral("EEPROM文件没找到!"),
                                    QStringLiteral("FLASH文件没找到!")}));
    EXPECT_EQ(rig.eeprom.image().text(), QStringLiteral("AB"));
    EXPECT_EQ(rig.eeprom.panelText(), QStringLiteral("EEPROM:1字节"));
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
}

TEST(ImageLoader, LowerCaseEndingsLoad) {
    ImageRig rig;
    QString path = rig.write(QStringLiteral("prog.bin"), QByteArray("\x12\xab", 2));
    ASSERT_EQ(rig.load(kv::MemoryKind::Flash, path), LoadStatus::Loaded);
    EXPECT_EQ(rig.flash.image().text(), QStringLiteral("12AB"));

    QString hex = rig.write(QStringLiteral("Prog.Hex"), hexRecord(0, 0, k16) + hexEnd());
    EXPECT_EQ(rig.load(kv::MemoryKind::Eeprom, hex), LoadStatus::Loaded);
    EXPECT_EQ(rig.eeprom.image().toBytes(), k16);
}

TEST(ImageLoader, OtherEndingsEmptyImageAndViewSilently) {
    ImageRig rig;
    rig.flash.showImage(MemoryImage(QStringLiteral("0102")));
    rig.flash.setPanelText(QStringLiteral("FLASH:2字节"));
    QString path = rig.write(QStringLiteral("notes.txt"), "hello");
    EXPECT_EQ(rig.load(kv::MemoryKind::Flash, path), LoadStatus::Unsupported);
    EXPECT_TRUE(rig.flash.image().isEmpty());
    EXPECT_TRUE(rig.flash.viewText().isEmpty());
    EXPECT_EQ(rig.flash.panelText(), QStringLiteral("FLASH:2字节"));
    // EEP is an EEPROM ending only.
    QString eep = rig.write(QStringLiteral("data.eep"), "\x01\x02");
    EXPECT_EQ(rig.load(kv::MemoryKind::Flash, eep), LoadStatus::Unsupported);
    EXPECT_TRUE(rig.log.isEmpty());
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
}

TEST(ImageLoader, EepFileIsHexWhenItStartsWithAColonAndBinaryOtherwise) {
    ImageRig rig;
    QString hex = rig.write(QStringLiteral("a.eep"), hexRecord(0, 0, k16) + hexEnd());
    kv::LoadOutcome loaded = rig.load(kv::MemoryKind::Eeprom, hex);
    ASSERT_EQ(loaded, LoadStatus::Loaded);
    EXPECT_FALSE(loaded.raw);
    EXPECT_EQ(rig.eeprom.image().toBytes(), k16);

    const QByteArray raw("\x3A\x00:\r\n\xFF", 6);  // ':' only in the middle
    QString binary = rig.write(QStringLiteral("b.eep"), QByteArray("x") + raw);
    rig.log.clear();
    loaded = rig.load(kv::MemoryKind::Eeprom, binary);
    ASSERT_EQ(loaded, LoadStatus::Loaded);
    EXPECT_EQ(rig.eeprom.image().toBytes(), QByteArray("x") + raw);
    ASSERT_TRUE(loaded.raw);
    EXPECT_EQ(loaded.raw->bytes, 7);
    EXPECT_FALSE(loaded.raw->looksLikeText);
    // One line says how the file was taken.
    EXPECT_EQ(rig.log,
              QStringList{QStringLiteral("b.eep 不是 Intel HEX 文件，按原始二进制读入，7 字节")});

    QString empty = rig.write(QStringLiteral("c.eep"), QByteArray());
    ASSERT_EQ(rig.load(kv::MemoryKind::Eeprom, empty), LoadStatus::Loaded);
    EXPECT_TRUE(rig.eeprom.image().isEmpty());
}

// Text that would go into EEPROM as its characters: a comment before the
// records, a UTF-16 or UTF-8 file. Still loaded, as the rule has it; flagged.
TEST(ImageLoader, EepFileReadAsRawSaysWhenItLooksLikeText) {
    ImageRig rig;
    const struct {
        QByteArray bytes;
        bool text;
    } rows[] = {
        {"; EEPROM of the line 3 board\r\n:0100000055AA\r\n:00000001FF\r\n", true},
        {QByteArray("\xFF\xFE;\0 \0", 6), true},
        {QByteArray("\xFE\xFF\0;", 4), true},
        {"\xEF\xBB\xBFtable\tvalues\n", true},
        {"\x01\x02\x03\x04", false},
        {"calibration \xB0"
         "C",
         false},  // one byte beyond ASCII is data
    };
    for (const auto& row : rows) {
        const kv::LoadOutcome loaded =
            rig.load(kv::MemoryKind::Eeprom, rig.write(QStringLiteral("t.eep"), row.bytes));
        ASSERT_EQ(loaded, LoadStatus::Loaded);
        EXPECT_EQ(rig.eeprom.image().toBytes(), row.bytes);
        ASSERT_TRUE(loaded.raw);
        EXPECT_EQ(loaded.raw->looksLikeText, row.text) << row.bytes.toHex().toStdString();
    }
}

TEST(ImageLoader, EmptyAndLargeBinaryFiles) {
    ImageRig rig;
    QString empty = rig.write(QStringLiteral("e.bin"), QByteArray());
    ASSERT_EQ(rig.load(kv::MemoryKind::Flash, empty), LoadStatus::Loaded);
    EXPECT_TRUE(rig.flash.image().isEmpty());
    EXPECT_TRUE(rig.flash.viewText().isEmpty());
    EXPECT_EQ(rig.flash.panelText(), QStringLiteral("FLASH:0字节"));

    QByteArray big(70000, char(0x33));
    big[69999] = char(0xC4);
    QString large = rig.write(QStringLiteral("big.bin"), big);
    ASSERT_EQ(rig.load(kv::MemoryKind::Flash, large), LoadStatus::Loaded);
    EXPECT_EQ(rig.flash.image().toBytes(), big);
    EXPECT_TRUE(rig.flash.viewText().endsWith(QStringLiteral(" 11160") + QChar(0x3000) +
                                              QStringLiteral("33").repeated(15) + "C4\r"));
    EXPECT_EQ(rig.flash.panelText(), QStringLiteral("FLASH:70000字节"));
}

// --- Files far larger than any image -------------------------------------

struct HugeFile {
    const char* name;
    bool eeprom;
};

class HugeImageFile : public ::testing::TestWithParam<HugeFile> {};

// Sparse files: refused by their size, before the reader takes a line; the
// image loaded before is gone, as after any failed load. A file of exactly
// the limit is read (a binary one loads; these HEX ones are malformed).
TEST_P(HugeImageFile, IsRefusedUnreadWithAMessageThatSaysSo) {
    ImageRig rig;
    const HugeFile f = GetParam();
    kv::ImageSlot& slot = f.eeprom ? rig.eeprom : rig.flash;
    auto load = [&](QString path) {
        return f.eeprom ? rig.load(kv::MemoryKind::Eeprom, path)
                        : rig.load(kv::MemoryKind::Flash, path);
    };
    const QString path = rig.dir.filePath(QString::fromLatin1(f.name));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(":");  // an EEP file that would be read as Intel HEX
    ASSERT_TRUE(file.resize(kv::ImageFiles::kMaxFileBytes));
    file.close();
    ASSERT_EQ(load(rig.write(QStringLiteral("small.bin"), k16)), LoadStatus::Loaded);
    for (const qint64 size : {kv::ImageFiles::kMaxFileBytes + 1, qint64(16) << 20}) {
        ASSERT_TRUE(QFile::resize(path, size));
        rig.pump.yields = 0;
        rig.prompts.warnings.clear();
        EXPECT_EQ(load(path), LoadStatus::Failed) << size;
        EXPECT_EQ(rig.pump.yields, 0);
        EXPECT_TRUE(slot.image().isEmpty());
        EXPECT_TRUE(slot.viewText().isEmpty());
        ASSERT_EQ(rig.prompts.warnings.size(), 1);
        const QString text = rig.prompts.warnings[0].second;
        EXPECT_TRUE(text.startsWith(f.eeprom ? QStringLiteral("EEPROM文件读取错误！\n")
                                             : QStringLiteral("FLASH文件读取错误！\n")));
        EXPECT_TRUE(text.contains(QStringLiteral("文件太大"))) << text.toStdString();
        EXPECT_TRUE(rig.log.last().contains(QStringLiteral("文件太大")));
    }
    ASSERT_TRUE(QFile::resize(path, kv::ImageFiles::kMaxFileBytes));
    rig.log.clear();
    rig.prompts.warnings.clear();
    const LoadStatus atLimit = load(path).status;
    EXPECT_FALSE(rig.log.join(u'\n').contains(QStringLiteral("文件太大")));
    EXPECT_FALSE(rig.prompts.texts().join(u'\n').contains(QStringLiteral("文件太大")));
    if (QString::fromLatin1(f.name).endsWith(QLatin1String(".bin"))) {
        EXPECT_EQ(atLimit, LoadStatus::Loaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, HugeImageFile,
                         ::testing::Values(HugeFile{"huge.bin", false}, HugeFile{"huge.hex", false},
                                           HugeFile{"huge.eep", true}));

TEST(ImageLoader, ADirectoryIsNotAFile) {
    ImageRig rig;
    QString path = rig.dir.path();
    EXPECT_EQ(rig.load(kv::MemoryKind::Flash, path), LoadStatus::NotFound);
}

}  // namespace
