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

// Saving and loading a scheme as the toolbar menu starts them, on the window's
// controller with a simulated programmer.
class SchemeThroughWorkbench : public ::testing::Test {
protected:
    SchemeThroughWorkbench() : wb(p.parts()) { wb.start(); }

    QString fileIn(const QString& name) { return p.settings.fileIn(name); }
    void menu(CommandId id, const QString& answer) {
        p.prompts.answers << answer;
        wb.runCommand(id);
    }

    ShellPlatform p;
    Workbench wb;
};

TEST_F(SchemeThroughWorkbench, ASavedSetUpComesBackWholeAndReloadsItsFiles) {
    wb.selectModelFromMenu(QStringLiteral("ATTINY2313"));
    ASSERT_EQ(wb.session().model().selectedModelName(), QStringLiteral("ATTINY2313"));
    const QString bits = wb.session().fuses().fuseBitString();
    wb.session().options().setFromText(QStringLiteral("1100010001"));
    const QString flashPath = kImages + QStringLiteral("blink_m8.hex");
    wb.session().flash().setPathText(flashPath);
    wb.session().eeprom().setPathText(QString());
    wb.session().calibration().setSelectedSlot(2);
    wb.session().calibration().setSelectedTarget(CalibrationState::kTargetEeprom);
    wb.session().model().flashCalibrationAddress().setText(QStringLiteral("100"));
    wb.session().model().eepromCalibrationAddress().setText(QStringLiteral("0"));

    const QString path = fileIn(QStringLiteral("生产.SET"));
    menu(CommandId::SaveScheme, path);
    EXPECT_EQ(test::readGbk(path),
              crlfLines({"ATTINY2313", bits, "1100010001", flashPath, "", " 2", " 1", "100", "0"}));

    // Another set-up in between.
    wb.selectModelFromMenu(QStringLiteral("ATMEGA16"));
    wb.session().options().setFromText(QStringLiteral("0000000000"));
    wb.session().flash().setPathText(QString());
    wb.session().calibration().setSelectedSlot(0);
    wb.session().calibration().setSelectedTarget(CalibrationState::kTargetFlash);
    wb.session().model().flashCalibrationAddress().setText(QStringLiteral("5"));
    ASSERT_TRUE(wb.session().flash().image().isEmpty());

    menu(CommandId::LoadScheme, path);
    EXPECT_EQ(wb.session().model().selectedModelName(), QStringLiteral("ATTINY2313"));
    EXPECT_EQ(wb.session().fuses().fuseBitString(), bits);
    EXPECT_EQ(wb.session().options().toText(), QStringLiteral("1100010001"));
    EXPECT_EQ(wb.session().flash().pathText(), flashPath);
    EXPECT_FALSE(wb.session().flash().image().isEmpty());  // "文件重载" is on
    EXPECT_EQ(wb.session().calibration().selectedSlot(), 2);
    EXPECT_EQ(wb.session().calibration().selectedTarget(), CalibrationState::kTargetEeprom);
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().text(), QStringLiteral("100"));
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().value(), -100);
    EXPECT_EQ(wb.session().model().eepromCalibrationAddress().value(), 0);
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST_F(SchemeThroughWorkbench, AnOlderEightLineFileWithALowerCaseModelNameLoadsThatModel) {
    wb.selectModelFromMenu(QStringLiteral("ATMEGA16"));
    const QString atmega16Default = wb.session().fuses().defaultFuseBits();
    QString bits = atmega16Default;
    bits[31] = bits[31] == u'1' ? u'0' : u'1';
    wb.selectModelFromMenu(QStringLiteral("ATTINY2313"));
    wb.session().calibration().setSelectedSlot(3);

    // No calibration slot was selected when it was saved: line 6 is the target.
    const QString path = fileIn(QStringLiteral("old.SET"));
    test::writeGbk(path, crlfLines({"atmega16", bits, "01", "", "", " 1", "8190", "500"}));
    menu(CommandId::LoadScheme, path);

    EXPECT_EQ(wb.session().model().selectedModelName(), QStringLiteral("ATMEGA16"));
    EXPECT_EQ(wb.session().fuses().defaultFuseBits(), atmega16Default);  // ATMEGA16.FUS
    EXPECT_EQ(wb.session().fuses().fuseBitString(), bits);
    EXPECT_EQ(wb.session().options().toText(), QStringLiteral("0100000000"));
    EXPECT_FALSE(wb.session().calibration().selectedSlot().has_value());
    EXPECT_EQ(wb.session().calibration().selectedTarget(), CalibrationState::kTargetEeprom);
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().value(), -8190);
    EXPECT_EQ(wb.session().model().eepromCalibrationAddress().value(), -500);
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST_F(SchemeThroughWorkbench, ABrokenFileChangesNothingAndSaysWhy) {
    wb.selectModelFromMenu(QStringLiteral("ATTINY2313"));
    const Scheme before = wb.schemes().currentScheme();
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
        menu(CommandId::LoadScheme, path);
        EXPECT_EQ(wb.schemes().currentScheme(), before) << named.toStdString();
        ASSERT_EQ(p.prompts.warnings.size(), 1);
        EXPECT_TRUE(p.prompts.warnings[0].second.contains(named));
    }
}

}  // namespace
}  // namespace kv::test
