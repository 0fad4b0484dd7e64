// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "core/OperationError.h"
#include "schemes/SchemeFile.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ThrownText.h"

namespace kv {
namespace {

Scheme schemeWithPaths(const QString& flash, const QString& eeprom) {
    return {.model = QStringLiteral("ATTINY2313"),
            .fuseBits = QStringLiteral("11111111111111111101111111100100"),
            .options = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0},
            .flashPath = flash,
            .eepromPath = eeprom,
            .calibrationSlot = 3,
            .calibrationTarget = 0,
            .flashAddress = QStringLiteral("2047"),
            .eepromAddress = QStringLiteral("127")};
}

TEST(SchemeFile, ChinesePathsAreWrittenInGbkAndSurvive) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("方案"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/生产.SET");
    const Scheme s = schemeWithPaths(QStringLiteral("/home/技术员/程序/主板.HEX"),
                                     QStringLiteral("/home/技术员/数据.EEP"));
    SchemeFile::save(path, s);

    const QByteArray bytes = test::readFile(path);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(bytes);
    EXPECT_FALSE(gbk.hasError());
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n/home/技术员/程序/主板.HEX\r\n")));
    EXPECT_TRUE(bytes.endsWith("\r\n2047\r\n127\r\n"));
    EXPECT_EQ(SchemeFile::load(path), s);
}

TEST(SchemeFile, PathOutsideGbkFallsBackToUtf8WithMark) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.SET"));
    // Hangul and an emoji have no GBK form.
    const Scheme s =
        schemeWithPaths(QStringLiteral("/data/한국/😀.hex"), QStringLiteral("/数据.eep"));
    SchemeFile::save(path, s);
    EXPECT_TRUE(test::readFile(path).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(SchemeFile::load(path), s);
}

TEST(SchemeFile, FailedSaveLeavesThePreviousFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.SET"));
    SchemeFile::save(path, schemeWithPaths(QString(), QString()));
    const QByteArray before = test::readFile(path);

    Scheme bad = schemeWithPaths(QStringLiteral("new.hex"), QString());
    bad.eepromAddress = QStringLiteral("-5");
    EXPECT_THROW(SchemeFile::save(path, bad), OperationError);
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.SET"});

    EXPECT_THROW(SchemeFile::save(dir.filePath(QStringLiteral("no/such/dir.SET")),
                                  schemeWithPaths(QString(), QString())),
                 OperationError);
}

TEST(SchemeFile, RefusesUnreadableAndForeignFiles) {
    QTemporaryDir dir;
    EXPECT_THROW(SchemeFile::load(dir.filePath(QStringLiteral("missing.SET"))), OperationError);

    const QString binary = dir.filePath(QStringLiteral("image.SET"));
    test::writeFile(binary, QByteArray("\x0C\x94\x2A\x00\xFF\x80\x81\n", 8));
    EXPECT_TRUE(test::thrownText([&] {
                    SchemeFile::load(binary);
                }).startsWith(QStringLiteral("方案文件格式错误")));
}

}  // namespace
}  // namespace kv
