// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "tests/ui/WindowRig.h"
#include "ui/ClickableLabel.h"
#include "ui/FuseFrame.h"
#include "ui/HelpWindow.h"
#include "ui/ImageTab.h"
#include "ui/MainToolbar.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/ProgramOptionsBox.h"
#include "ui/StatusPanels.h"
#include "ui/Tones.h"

namespace kv::test {
namespace {

const QString kIdeo2(2, QChar(0x3000));

QStringList checkedOptions(ui::MainWindow& w) {
    QStringList on;
    for (int i = 0; i < 10; ++i)
        if (w.optionsBox()->option(i)->checkState() == Qt::Checked)
            on << QString::number(i);
    return on;
}

QString cellCaptions(ui::MainWindow& w) {
    QString bits;
    for (int i = 31; i >= 0; --i)
        bits += w.fuseFrame(i / 8)->cell(i)->text();
    return bits;
}

TEST(MainWindow, FirstStartWithEmptySettings) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    EXPECT_EQ(w.windowTitle(), ShellTexts::appTitle());
    EXPECT_EQ(w.statusPanels()->panelText("COMStatus"), kIdeo2 + "COM1:115200,N,8,1");
    EXPECT_EQ(w.statusPanels()->panelText("MCUtypes"),
              QStringLiteral(" ATMEGA8　FLASH:8192　EEPROM:512　ID:1E9307"));
    EXPECT_EQ(w.otherTab()->selectedModel->text(), "ATMEGA8");
    EXPECT_EQ(checkedOptions(w), QStringList{"0"});
    EXPECT_EQ(cellCaptions(w), rig.wb().session().fuses().defaultFuseBits());
    EXPECT_GT(w.optionTree()->count(), 0);
    EXPECT_TRUE(w.fileNameText(0)->text().isEmpty());
    EXPECT_EQ(w.otherTab()->flashAddress->text(), "8191");
    EXPECT_EQ(w.otherTab()->eepromAddress->text(), "511");
    EXPECT_EQ(w.otherTab()->vScroll1->value(), -8191);
    EXPECT_EQ(w.otherTab()->vScroll1->minimum(), -8191);
    EXPECT_TRUE(w.otherTab()->selOa[0]->isChecked());
    EXPECT_TRUE(w.otherTab()->selFe[0]->isChecked());
    // Both bars start full, as after a complete write.
    EXPECT_EQ(w.progressBar(0)->value(), 100);
    EXPECT_EQ(w.progressBar(1)->value(), 100);
    EXPECT_EQ(w.linkLabel()->text(), ShellTexts::linkCaption());
    EXPECT_TRUE(
        w.logView()->toPlainText().startsWith(rig.wb().session().log().logBanner().left(10)));
}

TEST(MainWindow, StoredOptionAndFuseTextsOfEachLength) {
    const QString bits32 =
        "11111111"
        "11111111"
        "11011001"
        "11100001";
    struct Case {
        QString options, fuses;
        QStringList checked;
        bool fusesApplied;
    };
    const Case cases[] = {{"1100000000", bits32, {"0", "1"}, true},
                          {"11111", bits32.left(31), {"0"}, false},
                          {"01000000001", bits32 + "0000", {"0"}, true}};
    for (const Case& c : cases) {
        WindowRig rig;
        rig.store("编程选项", "设置", c.options);
        rig.store("熔丝", "设置", c.fuses);
        ui::MainWindow& w = rig.start();
        EXPECT_EQ(checkedOptions(w), c.checked) << c.options.toStdString();
        EXPECT_EQ(cellCaptions(w),
                  c.fusesApplied ? bits32 : rig.wb().session().fuses().defaultFuseBits());
        if (c.fusesApplied) {
            EXPECT_EQ(w.fuseFrame(0)->title(), "熔丝低字节[E1]");
            EXPECT_EQ(w.fuseFrame(1)->title(), "熔丝高字节[D9]");
            // The programmed red, as dark as plain text needs on this palette.
            const QPalette& cell = w.fuseFrame(0)->cell(1)->palette();
            const QColor red = cell.color(QPalette::WindowText);
            EXPECT_EQ(red.hslHue(), QColor(240, 0, 0).hslHue());
            EXPECT_GE(ui::contrastRatio(red, cell.color(QPalette::Window)), 4.5);
            EXPECT_EQ(w.fuseFrame(0)->cell(0)->palette().color(QPalette::WindowText),
                      QColor(Qt::black));
        }
    }
}

TEST(MainWindow, StoredCalibrationSlot) {
    WindowRig three;
    three.store("校准", "HZ", " 3");
    EXPECT_TRUE(three.start().otherTab()->selOa[3]->isChecked());
    WindowRig seven;
    seven.store("校准", "HZ", " 7");
    EXPECT_EQ(seven.start().otherTab()->oaGroup->checkedButton(), nullptr);
}

// With the port closed the seven governed toolbar buttons and the nine window
// buttons are disabled; everything else stays usable.
void expectDeviceControls(ui::MainWindow& w, bool enabled) {
    for (const char* key : {"ReadFuse", "WriteFuse", "WriteLock", "RecoverFuse", "EraserFlash",
                            "ProgramMCU", "CheckCOM"})
        EXPECT_EQ(w.toolbar()->button(key)->isEnabled(), enabled) << key;
    for (const char* name :
         {"ProCommand", "ReadFlash", "ReadEEPROM", "ReadSIG", "ReadOA", "R_DataCommand_0",
          "R_DataCommand_1", "W_DataCommand_0", "W_DataCommand_1"})
        EXPECT_EQ(w.findChild<QWidget*>(name)->isEnabled(), enabled) << name;
    for (const char* key : {"SelectMCU", "SetFuseDefault", "SetCOM", "slSET", "About"})
        EXPECT_TRUE(w.toolbar()->button(key)->isEnabled()) << key;
    for (QWidget* other :
         {static_cast<QWidget*>(w.openFileButton(0)), static_cast<QWidget*>(w.openFileButton(1)),
          static_cast<QWidget*>(w.flashTab()->saveButton()),
          static_cast<QWidget*>(w.eepromTab()->saveButton())})
        EXPECT_TRUE(other->isEnabled()) << other->objectName().toStdString();
}

TEST(MainWindow, PortToggleOnAFreeAndOnABusyPort) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::StatusPanels* status = w.statusPanels();
    ASSERT_TRUE(status->connectedInFront());
    expectDeviceControls(w, true);
    EXPECT_TRUE(w.toolbar()->menuEntry("CloseCOM")->isEnabled());
    EXPECT_FALSE(w.toolbar()->menuEntry("OpenCOM")->isEnabled());

    // WriteOA_Command follows the calibration read, not the port.
    QPushButton* writeOa = w.otherTab()->writeOa;
    ASSERT_FALSE(writeOa->isEnabled());
    EXPECT_EQ(writeOa->toolTip(), "暂不可用");
    click(w.otherTab()->readOa);
    ASSERT_TRUE(writeOa->isEnabled());
    EXPECT_TRUE(writeOa->toolTip().isEmpty());

    click(status->picConnected());
    EXPECT_TRUE(writeOa->isEnabled());
    EXPECT_FALSE(rig.p.port.isOpen());
    EXPECT_FALSE(status->connectedInFront());
    EXPECT_FALSE(w.toolbar()->menuEntry("CloseCOM")->isEnabled());
    EXPECT_TRUE(w.toolbar()->menuEntry("OpenCOM")->isEnabled());
    EXPECT_EQ(status->panelText("COMStatus"), kIdeo2 + "COM1:115200,N,8,1");
    expectDeviceControls(w, false);

    rig.p.port.setBusy(1);
    click(status->picNotConnected());
    ASSERT_EQ(rig.p.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.p.prompts.warnings[0].first, "警告提示" + QString(5, QChar(0x3000)));
    EXPECT_FALSE(status->connectedInFront());
    EXPECT_TRUE(w.toolbar()->menuEntry("OpenCOM")->isEnabled());
    expectDeviceControls(w, false);

    rig.p.port.setBusy(1, false);
    w.toolbar()->menuEntry("OpenCOM")->trigger();
    EXPECT_TRUE(rig.p.port.isOpen());
    EXPECT_TRUE(status->connectedInFront());
    expectDeviceControls(w, true);
}

TEST(MainWindow, SelectMcuWithoutReplyAndWithAnAtmega8InTheSocket) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    w.toolbar()->menuEntry("ATMEGA16")->trigger();
    ASSERT_EQ(w.otherTab()->selectedModel->text(), "ATMEGA16");
    const QString atmega16Cells = cellCaptions(w);

    rig.p.device.faults().silent = true;
    click(w.toolbar()->button("SelectMCU"));
    EXPECT_EQ(w.otherTab()->sigLabel->text(), "1E");
    ASSERT_EQ(rig.p.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.p.prompts.warnings[0].second, "无目标芯片或不支持!");
    EXPECT_EQ(cellCaptions(w), atmega16Cells);

    rig.p.device.faults().silent = false;
    rig.p.device.signature() = {0x1E, 0x93, 0x07};
    click(w.toolbar()->button("SelectMCU"));
    EXPECT_EQ(w.otherTab()->sigLabel->text(), "1E9307");
    EXPECT_EQ(w.otherTab()->currentModel->text(), "ATMEGA8");
    EXPECT_EQ(w.otherTab()->selectedModel->text(), "ATMEGA8");
    EXPECT_TRUE(w.statusPanels()->panelText("MCUtypes").startsWith(" ATMEGA8"));
    EXPECT_EQ(cellCaptions(w), rig.wb().session().fuses().defaultFuseBits());
    EXPECT_NE(cellCaptions(w), atmega16Cells);
    EXPECT_EQ(w.optionTree()->count(), rig.wb().session().fuses().options().size());
}

TEST(MainWindow, ChoosingTheSelectedModelKeepsTheCells) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    click(w.fuseFrame(0)->cell(0));
    const QString edited = cellCaptions(w);
    ASSERT_NE(edited, rig.wb().session().fuses().defaultFuseBits());
    w.toolbar()->menuEntry("ATMEGA8")->trigger();
    EXPECT_EQ(cellCaptions(w), edited);
    w.toolbar()->menuEntry("ProgramFLASH")->trigger();
    EXPECT_EQ(cellCaptions(w), edited);
    EXPECT_EQ(w.otherTab()->selectedModel->text(), "ATMEGA8");
}

TEST(MainWindow, FirmwareWithThePortClosedAndCheckComWithASilentProgrammer) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    rig.p.device.faults().silent = true;
    click(w.toolbar()->button("CheckCOM"));
    EXPECT_TRUE(w.logView()->toPlainText().contains("编程器无反应!"));

    w.toolbar()->menuEntry("CloseCOM")->trigger();
    EXPECT_FALSE(w.toolbar()->button("CheckCOM")->isEnabled());
    EXPECT_TRUE(w.toolbar()->menuEntry("FIRMWARE")->isEnabled());
    w.toolbar()->menuEntry("FIRMWARE")->trigger();
    ASSERT_EQ(rig.p.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.p.prompts.warnings[0].first, w.windowTitle());
    EXPECT_TRUE(w.isVisible());
}

TEST(MainWindow, BitCellsFramesAndOptionListStayInStep) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    FuseEditor& fuses = rig.wb().session().fuses();
    ui::ClickableLabel* cell0 = w.fuseFrame(0)->cell(0);
    const QString before = cell0->text();
    click(cell0);
    EXPECT_NE(cell0->text(), before);
    EXPECT_EQ(cellCaptions(w), fuses.fuseBitString());
    EXPECT_EQ(w.fuseFrame(0)->title(), fuses.frameCaption(0));
    for (int i = 0; i < fuses.options().size(); ++i)
        EXPECT_EQ(w.optionTree()->isChecked(i + 1), fuses.options()[i].checked) << i;

    // A "*" cell cannot be clicked.
    for (int i = 0; i < 32; ++i) {
        if (fuses.cell(i).caption != "*")
            continue;
        EXPECT_FALSE(w.fuseFrame(i / 8)->cell(i)->isEnabled());
        EXPECT_FALSE(w.fuseFrame(i / 8)->name(i)->isEnabled());
    }

    // Shading and red marks come from the definitions.
    for (int i = 0; i < w.optionTree()->count(); ++i) {
        const FuseOption& o = fuses.options()[i];
        QTreeWidgetItem* item = w.optionTree()->entry(i + 1);
        EXPECT_EQ(item->text(0), o.text);
        EXPECT_EQ(w.optionTree()->isShaded(i + 1), o.shaded) << i;
        EXPECT_EQ(item->background(0).color() == w.optionTree()->shadeColour(), o.shaded) << i;
        if (o.marked) {
            EXPECT_EQ(item->foreground(0).color(), QColor(205, 0, 0));
        }
    }

    QTest::mouseDClick(w.fuseFrame(2), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(cellCaptions(w), fuses.defaultFuseBits());

    // The user's check of an option rewrites the bits it controls.
    const int position = 1;
    const bool wasChecked = w.optionTree()->isChecked(position);
    w.optionTree()->entry(position)->setCheckState(0, wasChecked ? Qt::Unchecked : Qt::Checked);
    EXPECT_EQ(cellCaptions(w), fuses.fuseBitString());
    EXPECT_NE(cellCaptions(w), fuses.defaultFuseBits());
}

TEST(MainWindow, AGroupChoiceStaysCheckedWhenItsBoxIsToggledAgain) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    const auto& options = rig.wb().session().fuses().options();
    int position = 0;
    for (int i = 0; i < options.size() && !position; ++i)
        if (options[i].key.at(1) == 'D' && options[i].checked)
            position = i + 1;
    ASSERT_GT(position, 0);
    const QString before = cellCaptions(w);
    ui::OptionTree* tree = w.optionTree();
    tree->setFocus();
    tree->setCurrentItem(tree->entry(position));
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_TRUE(tree->isChecked(position));
    EXPECT_EQ(cellCaptions(w), before);
    const QRect box = tree->visualItemRect(tree->entry(position));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      box.topLeft() + QPoint(10, box.height() / 2));
    EXPECT_TRUE(tree->isChecked(position));
    EXPECT_EQ(cellCaptions(w), before);
}

TEST(MainWindow, ButtonsDisabledForTheirOwnRun) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    rig.p.device.signature() = {0x1E, 0x93, 0x07};
    struct Watched {
        QWidget* button;
        bool disabledDuringRun = false;
    };
    Watched watched[] = {{w.otherTab()->readSig},
                         {w.optionsBox()->programButton()},
                         {w.toolbar()->button("ReadFuse")}};
    for (Watched& one : watched) {
        rig.p.pump.onYield = [&] {
            if (rig.wb().session().link().isBusy() && !one.button->isEnabled())
                one.disabledDuringRun = true;
        };
        click(one.button);
        EXPECT_TRUE(one.disabledDuringRun) << one.button->objectName().toStdString();
        EXPECT_TRUE(one.button->isEnabled()) << one.button->objectName().toStdString();
    }
    rig.p.pump.onYield = nullptr;
    EXPECT_EQ(w.otherTab()->sigLabel->text(), "1E9307");
    EXPECT_EQ(w.otherTab()->currentModel->text(), "ATMEGA8");
    EXPECT_TRUE(w.logView()->toPlainText().contains("读标识字:1E9307"));
}

TEST(MainWindow, ClosingWithNoCalibrationSlotLeavesTheStoredOne) {
    WindowRig rig;
    rig.store("校准", "HZ", " 7");
    ui::MainWindow& w = rig.start();
    ASSERT_EQ(w.otherTab()->oaGroup->checkedButton(), nullptr);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(rig.p.read("校准", "HZ"), " 7");
    EXPECT_EQ(rig.p.read("校准", "FE"), " 0");
}

TEST(MainWindow, OptionTextsAreShownWhole) {
    WindowRig rig;
    rig.store("芯片", "型号", "ATMEGA168");
    ui::MainWindow& w = rig.start();
    ui::OptionTree* tree = w.optionTree();
    ASSERT_GT(tree->count(), 0);
    const QFontMetrics metrics(tree->font());
    int widest = 0;
    for (int position = 1; position <= tree->count(); ++position) {
        QTreeWidgetItem* item = tree->entry(position);
        const int text = metrics.horizontalAdvance(item->text(0));
        widest = std::max(widest, text);
        EXPECT_GE(tree->columnWidth(0), text + tree->iconSize().width()) << position;
        EXPECT_EQ(item->toolTip(0), item->text(0));
    }
    // Long entries scroll sideways; the column never ends inside the list, so
    // the shading spans each row.
    EXPECT_GT(widest, tree->viewport()->width());
    EXPECT_GE(tree->columnWidth(0), tree->viewport()->width());
}

TEST(MainWindow, LogDoubleClickF1AndClose) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    click(w.toolbar()->button("CheckCOM"));
    ASSERT_TRUE(w.logView()->toPlainText().contains("连接成功!"));
    QTest::mouseDClick(w.logView()->viewport(), Qt::LeftButton);
    EXPECT_EQ(rig.wb().session().log().text(), rig.wb().session().log().logBanner());
    EXPECT_FALSE(w.logView()->toPlainText().contains("连接成功!"));

    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_EQ(rig.p.dialogs.opened.size(), 1);
    EXPECT_EQ(rig.p.dialogs.opened[0], QUrl::fromLocalFile(rig.wb().helpFilePath()));
    click(w.linkLabel());
    EXPECT_EQ(rig.p.dialogs.opened.last(), ShellTexts::webPage());

    w.optionsBox()->option(9)->click();
    w.otherTab()->selFe[1]->click();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(rig.p.read("编程选项", "设置"), "1000000001");
    EXPECT_EQ(rig.p.read("校准", "FE"), " 1");
    EXPECT_EQ(rig.p.read("熔丝", "设置"), cellCaptions(w));
}

TEST(MainWindow, AddressBoxesAndSpinnersFollowEachOther) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::OtherTab* o = w.otherTab();
    o->flashAddress->clear();
    QTest::keyClicks(o->flashAddress, "9000");
    EXPECT_EQ(o->flashAddress->text(), "8191");
    o->flashAddress->clear();
    QTest::keyClicks(o->flashAddress, "100");
    EXPECT_EQ(o->vScroll1->value(), -100);
    o->vScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);  // the up arrow
    EXPECT_EQ(o->flashAddress->text(), "101");
    EXPECT_EQ(o->address[0]->text(), "4095");
}

// F1 shows the help page in the program's own window, whatever browser is
// installed: its contents link to the sections, and its search finds text.
TEST(MainWindow, HelpShowsInItsOwnWindowWithLinksAndSearch) {
    WindowRig rig;
    ui::MainWindow& w = rig.startWithOwnDialogs();
    rig.wb().runCommand(CommandId::Help);
    ui::HelpWindow* help = w.helpWindow();
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    EXPECT_TRUE(rig.p.prompts.warnings.isEmpty()) << rig.p.prompts.lines().join('\n').toStdString();
    QTextBrowser* page = help->browser();
    const QString section = QStringLiteral("八、升级编程器固件");
    ASSERT_TRUE(page->toPlainText().contains(section));

    // The contents entry, clicked: the page moves to the section.
    const QTextCursor link = page->document()->find(section);
    ASSERT_FALSE(link.isNull());
    EXPECT_EQ(page->verticalScrollBar()->value(), 0);
    QTextCursor inside(page->document());
    inside.setPosition(link.selectionStart() + 2);
    QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, page->cursorRect(inside).center());
    EXPECT_GT(page->verticalScrollBar()->value(), 0);

    help->searchField()->setText(QStringLiteral("校验"));
    EXPECT_TRUE(help->find());
    EXPECT_EQ(page->textCursor().selectedText(), QStringLiteral("校验"));
    help->searchField()->setText(QStringLiteral("no such words"));
    EXPECT_FALSE(help->find());
    EXPECT_FALSE(help->searchNote()->text().isEmpty());
}

}  // namespace
}  // namespace kv::test
