#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "link/OperationError.h"
#include "schemes/SchemeFile.h"

namespace kv {
namespace {

Scheme schemeWithPaths(const QString& flash, const QString& eeprom) {
    Scheme s;
    s.model = QStringLiteral("ATTINY2313");
    s.fuseBits = QStringLiteral("11111111111111111101111111100100");
    s.options = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    s.flashPath = flash;
    s.eepromPath = eeprom;
    s.calibrationSlot = 3;
    s.calibrationTarget = 0;
    s.flashAddress = QStringLiteral("2047");
    s.eepromAddress = QStringLiteral("127");
    return s;
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

TEST(SchemeFile, ChinesePathsAreWrittenInGbkAndSurvive) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("方案"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/生产.SET");
    const Scheme s = schemeWithPaths(QStringLiteral("/home/技术员/程序/主板.HEX"),
                                     QStringLiteral("/home/技术员/数据.EEP"));
    SchemeFile::save(path, s);

    const QByteArray bytes = readBytes(path);
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
    EXPECT_TRUE(readBytes(path).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(SchemeFile::load(path), s);
}

TEST(SchemeFile, FailedSaveLeavesThePreviousFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.SET"));
    SchemeFile::save(path, schemeWithPaths(QString(), QString()));
    const QByteArray before = readBytes(path);

    Scheme bad = schemeWithPaths(QStringLiteral("new.hex"), QString());
    bad.eepromAddress = QStringLiteral("-5");
    EXPECT_THROW(SchemeFile::save(path, bad), OperationError);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.SET"});

    EXPECT_THROW(SchemeFile::save(dir.filePath(QStringLiteral("no/such/dir.SET")),
                                  schemeWithPaths(QString(), QString())),
                 OperationError);
}

TEST(SchemeFile, RefusesUnreadableAndForeignFiles) {
    QTemporaryDir dir;
    EXPECT_THROW(SchemeFile::load(dir.filePath(QStringLiteral("missing.SET"))), OperationError);

    const QString binary = dir.filePath(QStringLiteral("image.SET"));
    QFile f(binary);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x0C\x94\x2A\x00\xFF\x80\x81\n", 8));
    f.close();
    try {
        SchemeFile::load(binary);
        FAIL() << "a binary file loaded as a scheme";
    } catch (const OperationError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("方案文件格式错误")));
    }
}

}  // namespace
}  // namespace kv
