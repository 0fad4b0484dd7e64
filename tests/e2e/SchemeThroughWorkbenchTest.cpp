// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/Workbench.h"
#include "tests/app/ShellFakes.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

const QString kImages = QStringLiteral(KV_TEST_DATA "/images/");

QString crlfLines(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// "SaveSet" and "LoadSet" as the toolbar menu starts them, on the window's
// controller with a simulated programmer.
class SchemeThroughWorkbench : public ::testing::Test {
protected:
    SchemeThroughWorkbench() : wb(p.parts()) { wb.start(); }

    QString fileIn(const QString& name) { return p.settings.fileIn(name); }
    void menu(const QString& key, const QString& answer) {
        p.prompts.answers << answer;
        wb.onToolbarMenuItem(key);
    }

    ShellPlatform p;
    Workbench wb;
};

TEST_F(SchemeThroughWorkbench, ASavedSetUpComesBackWholeAndReloadsItsFiles) {
    wb.onToolbarMenuItem(QStringLiteral("ATTINY2313"));
    ASSERT_EQ(wb.model().selectedModelName(), QStringLiteral("ATTINY2313"));
    const QString bits = wb.fuses().fuseBitString();
    wb.options().setFromText(QStringLiteral("1100010001"));
    const QString flashPath = kImages + QStringLiteral("blink_m8.hex");
    wb.flash().setPathText(flashPath);
    wb.eeprom().setPathText(QString());
    wb.calibration().setSelectedSlot(2);
    wb.calibration().setSelectedTarget(CalibrationState::kTargetEeprom);
    wb.model().flashCalibrationAddress().setText(QStringLiteral("100"));
    wb.model().eepromCalibrationAddress().setText(QStringLiteral("0"));

    const QString path = fileIn(QStringLiteral("生产.SET"));
    menu(QStringLiteral("SaveSet"), path);
    EXPECT_EQ(test::readGbk(path),
              crlfLines({"ATTINY2313", bits, "1100010001", flashPath, "", " 2", " 1", "100", "0"}));

    // Another set-up in between.
    wb.onToolbarMenuItem(QStringLiteral("ATMEGA16"));
    wb.options().setFromText(QStringLiteral("0000000000"));
    wb.flash().setPathText(QString());
    wb.calibration().setSelectedSlot(0);
    wb.calibration().setSelectedTarget(CalibrationState::kTargetFlash);
    wb.model().flashCalibrationAddress().setText(QStringLiteral("5"));
    ASSERT_TRUE(wb.flash().image().isEmpty());

    menu(QStringLiteral("LoadSet"), path);
    EXPECT_EQ(wb.model().selectedModelName(), QStringLiteral("ATTINY2313"));
    EXPECT_EQ(wb.fuses().fuseBitString(), bits);
    EXPECT_EQ(wb.options().toText(), QStringLiteral("1100010001"));
    EXPECT_EQ(wb.flash().pathText(), flashPath);
    EXPECT_FALSE(wb.flash().image().isEmpty());  // "文件重载" is on
    EXPECT_EQ(wb.calibration().selectedSlot(), 2);
    EXPECT_EQ(wb.calibration().selectedTarget(), CalibrationState::kTargetEeprom);
    EXPECT_EQ(wb.model().flashCalibrationAddress().text(), QStringLiteral("100"));
    EXPECT_EQ(wb.model().flashCalibrationAddress().value(), -100);
    EXPECT_EQ(wb.model().eepromCalibrationAddress().value(), 0);
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST_F(SchemeThroughWorkbench, AnOlderEightLineFileWithALowerCaseModelNameLoadsThatModel) {
    wb.onToolbarMenuItem(QStringLiteral("ATMEGA16"));
    const QString atmega16Default = wb.fuses().defaultFuseBits();
    QString bits = atmega16Default;
    bits[31] = bits[31] == u'1' ? u'0' : u'1';
    wb.onToolbarMenuItem(QStringLiteral("ATTINY2313"));
    wb.calibration().setSelectedSlot(3);

    // No calibration slot was selected when it was saved: line 6 is the target.
    const QString path = fileIn(QStringLiteral("old.SET"));
    test::writeGbk(path, crlfLines({"atmega16", bits, "01", "", "", " 1", "8190", "500"}));
    menu(QStringLiteral("LoadSet"), path);

    EXPECT_EQ(wb.model().selectedModelName(), QStringLiteral("ATMEGA16"));
    EXPECT_EQ(wb.fuses().defaultFuseBits(), atmega16Default);  // ATMEGA16.FUS
    EXPECT_EQ(wb.fuses().fuseBitString(), bits);
    EXPECT_EQ(wb.options().toText(), QStringLiteral("0100000000"));
    EXPECT_FALSE(wb.calibration().selectedSlot().has_value());
    EXPECT_EQ(wb.calibration().selectedTarget(), CalibrationState::kTargetEeprom);
    EXPECT_EQ(wb.model().flashCalibrationAddress().value(), -8190);
    EXPECT_EQ(wb.model().eepromCalibrationAddress().value(), -500);
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST_F(SchemeThroughWorkbench, ABrokenFileChangesNothingAndSaysWhy) {
    wb.onToolbarMenuItem(QStringLiteral("ATTINY2313"));
    const Scheme before = wb.currentScheme();
    const QString path = fileIn(QStringLiteral("broken.SET"));
    const QString atmega16Line = QStringLiteral(
        "********10011001"
        "1110"
        "0000"
        "1111****");
    // A bad fuse line, and a model the table does not know: the ATmega16 fuse
    // line must not reach the fallback model.
    const std::pair<QStringList, QString> files[] = {
        {{"ATMEGA16", QString(31, u'1'), "1111111111", "", "", " 0", " 0", "0", "0"}, "第2行"},
        {{"ATmega16x", atmega16Line, "1111111111", "", "", " 0", " 0", "0", "0"}, "第1行"},
    };
    for (const auto& [lines, named] : files) {
        p.prompts.warnings.clear();
        test::writeGbk(path, crlfLines(lines));
        menu(QStringLiteral("LoadSet"), path);
        EXPECT_EQ(wb.currentScheme(), before) << named.toStdString();
        ASSERT_EQ(p.prompts.warnings.size(), 1);
        EXPECT_TRUE(p.prompts.warnings[0].second.contains(named));
    }
}

}  // namespace
}  // namespace kv::test
