// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "catalogue/ChipModelTable.h"

namespace {

using kv::ChipModelTable;
using kv::modelFromSignature;

TEST(ChipModelTable, MenuOrderWithAdapterSeparator) {
    const QStringList expected = {"ATMEGA8",   "ATMEGA16",   "ATMEGA32",   "ATMEGA48",
                                  "ATMEGA88",  "ATMEGA168",  "ATMEGA8535", "ATMEGA163",
                                  "ATMEGA323", "SP",         "ATMEGA8515", "ATMEGA161",
                                  "ATMEGA162", "ATTINY2313", "ATTINY26"};
    const auto entries = ChipModelTable::menuEntries();
    ASSERT_EQ(entries.size(), 15);
    for (int i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].key, expected[i]) << i;
        EXPECT_EQ(entries[i].enabled, i != 9) << i;
    }
    EXPECT_EQ(entries[9].caption, QStringLiteral("--以下需适配器--"));
    // Adapter models are exactly the ones after the separator.
    for (int i = 0; i < ChipModelTable::rows().size(); ++i) {
        EXPECT_EQ(ChipModelTable::rows()[i].needsAdapter, i >= 9) << i;
    }
}

TEST(ChipModelTable, RowsAreConsistent) {
    QSet<QString> names, signatures;
    const QRegularExpression signatureForm(QStringLiteral("^1E[0-9A-F]{4}$"));
    for (const auto& row : ChipModelTable::rows()) {
        names.insert(row.name);
        signatures.insert(row.signature);
        EXPECT_TRUE(signatureForm.match(row.signature).hasMatch()) << row.name.toStdString();
        // The FLASH holds whole pages and the largest word address fits a 16-bit spinner.
        EXPECT_EQ(row.flashSize % (row.pageWords * 2), 0) << row.name.toStdString();
        EXPECT_LE(row.flashSize - 1, 32767);
        EXPECT_EQ(modelFromSignature(row.signature), row.name);
        EXPECT_EQ(&ChipModelTable::resolve(row.name), &row);
    }
    EXPECT_EQ(names.size(), 14);
    EXPECT_EQ(signatures.size(), 14);
    const auto& tiny = ChipModelTable::resolve(QStringLiteral("ATTINY2313"));
    EXPECT_EQ(tiny.signature, "1E910A");
    EXPECT_EQ(tiny.flashSize, 2048);
    EXPECT_EQ(tiny.eepromSize, 128);
    EXPECT_EQ(tiny.pageWords, 16);
}

TEST(ChipModelTable, ModelFromSignatureIsExact) {
    EXPECT_EQ(modelFromSignature(QStringLiteral("1E930A")), "ATMEGA88");
    EXPECT_EQ(modelFromSignature(QStringLiteral("1E9205")), "ATMEGA48");
    for (const QString& text :
         {QStringLiteral("1E930a"), QStringLiteral("1E93"), QStringLiteral("1E9307!"),
          QStringLiteral(" 1E9307"), QStringLiteral("1E"), QString()}) {
        EXPECT_TRUE(modelFromSignature(text).isEmpty()) << text.toStdString();
    }
}

// Loads the table from files for one test and puts the built-in table back.
class LoadedTable : public ::testing::Test {
protected:
    void TearDown() override { ChipModelTable::load(QString(), QString()); }

    QString write(const QString& name, const QStringList& lines) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(lines.join('\n').toUtf8());
        return path;
    }

    QTemporaryDir dir;
};

TEST_F(LoadedTable, UserRowsAddAndReplaceShippedOnesAndBadRowsAreRefusedByLine) {
    const QString shipped = write(
        "shipped.txt",
        {
            "# comment line",
            "ATMEGA8    1E9307  8192  512 32 no no   # a copy of a built-in row is fine",
            "ATMEGA328P 1E950F 32768 1024 64 no yes", "ATTINY4313 1E920D  4096  256 32 yes yes",
            "ATMEGA328P 1E950F 32768 1024 64 no yes",  // 5: the same name again
            "ATMEGA16   1E9403 16384 1024 64 no no",   // 6: a change to a built-in row
        });
    // clang-format off
    const std::vector<std::pair<QString, QString>> userRows = {
        {"ATMEGA328P 1E950F 32768 1024 32 no yes", {}},  // replaces the shipped row
        {"ATMEGA644X 1E9609 32768 2048 64 no yes", {}},  // a new model
        {"ATMEGA1X   1E9999 32768 1024 64 no",           "格式不对"},
        {"atmega2x   1E9998  8192  512 32 no no",        "格式不对"},
        {"ATMEGA3X   1e9997  8192  512 32 no no",        "格式不对"},
        {"ATMEGA4X   1E9996  8192  512 32 maybe no",     "格式不对"},
        {"ATMEGA5X   1E9995 65536 2048 64 no yes",       "容量不可能"},
        {"ATMEGA6X   1E9994  8192  512 128 no no",       "容量不可能"},
        {"ATMEGA7X   1E9993  8160  512 32 no no",        "容量不可能"},
        {"ATMEGA8X   1E9992  8192    0 32 no no",        "容量不可能"},
        {"ATMEGA9X   1E9307  8192  512 32 no no",        "标识字1E9307已属于ATMEGA8"},
        {"ATMEGA10X  1E920D  8192  512 32 no no",        "标识字1E920D已属于ATTINY4313"},
        {"ATMEGA16   1E9403 16384  512 32 no no",        "内置型号ATMEGA16不能改动"},
    };
    // clang-format on
    QStringList userLines;
    for (const auto& [line, reason] : userRows)
        userLines << line;
    const QString user = write("user.txt", userLines);

    const QStringList problems = ChipModelTable::load(shipped, user);

    QStringList expected = {
        QStringLiteral("型号表%1第5行：型号ATMEGA328P在本文件中已有，此行不用。").arg(shipped),
        QStringLiteral("型号表%1第6行：内置型号ATMEGA16不能改动，此行不用。").arg(shipped)};
    for (int i = 0; i < int(userRows.size()); ++i) {
        if (!userRows[i].second.isEmpty())
            expected << QStringLiteral("型号表%1第%2行：").arg(user).arg(i + 1);
    }
    ASSERT_EQ(problems.size(), expected.size()) << problems.join('\n').toStdString();
    for (int i = 0, u = 0; i < problems.size(); ++i) {
        EXPECT_TRUE(problems[i].startsWith(expected[i])) << problems[i].toStdString();
        if (i >= 2) {
            while (userRows[u].second.isEmpty())
                ++u;
            EXPECT_TRUE(problems[i].contains(userRows[u++].second)) << problems[i].toStdString();
        }
    }
    EXPECT_EQ(ChipModelTable::loadProblems(), problems);

    // The fourteen come first and unchanged; the fallback stays ATMEGA8.
    const auto& rows = ChipModelTable::rows();
    ASSERT_EQ(rows.size(), 17);
    EXPECT_EQ(rows.mid(0, 14), ChipModelTable::builtInRows());
    EXPECT_EQ(ChipModelTable::resolve("ATMEGA644").name, "ATMEGA8");
    EXPECT_EQ(rows[14].name, "ATMEGA328P");
    EXPECT_EQ(rows[14].pageWords, 32);  // the user's row won
    EXPECT_TRUE(rows[14].extendedFuse);
    EXPECT_EQ(rows[15].name, "ATTINY4313");
    EXPECT_TRUE(rows[15].needsAdapter);
    EXPECT_EQ(rows[16].name, "ATMEGA644X");
    EXPECT_EQ(rows[16].eepromSize, 2048);
    EXPECT_EQ(modelFromSignature("1E950F"), "ATMEGA328P");
}

TEST_F(LoadedTable, ShippedTableLoadsCleanAndItsModelsFollowTheFifteenInTheMenu) {
    const QString shipped = QStringLiteral(KV_SOURCE_DIR "/data/Set/models.txt");
    EXPECT_EQ(ChipModelTable::load(shipped, dir.filePath("absent.txt")), QStringList());
    const QStringList added = {"ATMEGA48PA",  "ATMEGA88PA", "ATMEGA168PA", "ATMEGA328",
                               "ATMEGA328P",  "ATMEGA164A", "ATMEGA164PA", "ATMEGA324A",
                               "ATMEGA324PA", "ATTINY4313"};
    const auto entries = ChipModelTable::menuEntries();
    ASSERT_EQ(entries.size(), 15 + 1 + added.size());
    // The fifteen entries of old, unchanged.
    ChipModelTable::load(QString(), QString());
    const auto original = ChipModelTable::menuEntries();
    ASSERT_EQ(original.size(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(entries[i].key, original[i].key);
        EXPECT_EQ(entries[i].caption, original[i].caption);
        EXPECT_EQ(entries[i].enabled, original[i].enabled);
    }
    EXPECT_EQ(entries[15].key, ChipModelTable::kAddedHeadingKey);
    EXPECT_EQ(entries[15].caption, QStringLiteral("--以下为新增型号--"));
    EXPECT_FALSE(entries[15].enabled);
    for (int i = 0; i < added.size(); ++i) {
        const auto& entry = entries[16 + i];
        EXPECT_EQ(entry.key, added[i]);
        EXPECT_TRUE(entry.enabled);
        EXPECT_EQ(entry.caption,
                  added[i] == "ATTINY4313" ? QStringLiteral("ATTINY4313（需适配器）") : added[i]);
        // Every model of the table has its fuse definitions.
        EXPECT_TRUE(QFile::exists(QStringLiteral(KV_SOURCE_DIR "/data/Set/") + added[i] + ".FUS"));
    }
}

}  // namespace
