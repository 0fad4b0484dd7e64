// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "tests/support/TestFiles.h"
#include "tests/ui/WindowRig.h"
#include "ui/ClickableLabel.h"
#include "ui/FuseFrame.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/ProgramOptionsBox.h"

namespace kv::test {
namespace {

// The way screen readers, on-screen keyboards and input tools put text into
// a box: through its accessibility interface, without a key event.
void setByAccessibility(QLineEdit* box, const QString& text) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(face, nullptr);
    face->setText(QAccessible::Value, text);
    ASSERT_EQ(box->text(), text);
}

// Every box's text counts, however it got there: the commands send it, the
// pass loads the files it names, and the exit stores it.
TEST(BoxText, TextPutInWithoutKeyPressesIsWhatCommandsAndExitUse) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::OtherTab* o = w.otherTab();

    setByAccessibility(o->address[0], "20");
    setByAccessibility(o->data[0], "ABCD");
    o->address[1]->setText("7");
    o->data[1]->setText("5a");
    rig.p.device.clearTranscript();
    click(o->writeData[0]);
    click(o->writeData[1]);
    EXPECT_EQ(rig.p.device.transcript(), "WWABCD0014#WE5A0007#");
    EXPECT_EQ(rig.p.device.flash().mid(40, 2), QByteArray("\xAB\xCD", 2));
    EXPECT_EQ(rig.p.device.eeprom().at(7), char(0x5A));
    EXPECT_TRUE(rig.p.prompts.warnings.isEmpty());

    // The pass's reload takes the files the path boxes name.
    const QString flash = testImage(QStringLiteral("blink_m8.hex"));
    const QString eeprom = testImage(QStringLiteral("blink_m8.eep"));
    setByAccessibility(w.fileNameText(0), flash);
    w.fileNameText(1)->setText(eeprom);
    rig.wb().session().options().setFromText(QStringLiteral("0000010000"));  // "文件重载" only
    click(w.optionsBox()->programButton());
    EXPECT_EQ(rig.wb().session().flash().image().toBytes(),
              readFile(testImage(QStringLiteral("blink_m8.bin"))));
    EXPECT_EQ(rig.wb().session().eeprom().image().toBytes(),
              readFile(testImage(QStringLiteral("blink_m8.eep.bin"))));

    setByAccessibility(o->flashAddress, "100");
    o->eepromAddress->setText("200");
    EXPECT_EQ(o->vScroll1->value(), -100);
    EXPECT_EQ(o->vScroll2->value(), -200);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(rig.p.read("校准", "FLASH"), "100");
    EXPECT_EQ(rig.p.read("校准", "EEPROM"), "200");
}

// A click refused while the pass runs leaves the boxes showing the state.
TEST(BusyWindow, OptionAndFuseClicksDuringAPassShowTheStateAgain) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::OptionTree* tree = w.optionTree();
    ASSERT_GT(tree->count(), 0);
    const bool entryChecked = tree->isChecked(1);
    const QString cells = rig.wb().session().fuses().fuseBitString();
    bool tried = false;
    rig.p.pump.onYield = [&] {
        if (tried || !rig.wb().session().programPass().isRunning())
            return;
        tried = true;
        w.optionsBox()->option(9)->click();
        tree->entry(1)->setCheckState(0, entryChecked ? Qt::Unchecked : Qt::Checked);
        click(w.fuseFrame(0)->cell(0));
    };
    click(w.optionsBox()->programButton());
    ASSERT_TRUE(tried);
    EXPECT_EQ(w.optionsBox()->option(9)->checkState(), Qt::Unchecked);
    EXPECT_EQ(rig.wb().session().options().optionValue(9), 0);
    EXPECT_EQ(tree->isChecked(1), entryChecked);
    EXPECT_EQ(rig.wb().session().fuses().fuseBitString(), cells);
    EXPECT_EQ(rig.wb().session().log().text().count(CommandRunner::busyText()), 3);
}

}  // namespace
}  // namespace kv::test
