// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

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

}  // namespace
