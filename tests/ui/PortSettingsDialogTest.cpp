// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "link/PortMap.h"
#include "ports/PortSettingsState.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/SimRig.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/WindowRig.h"
#include "ui/MainToolbar.h"
#include "ui/PortSettingsDialog.h"
#include "ui/StatusPanels.h"

namespace kv {
namespace {

using test::captions;
using test::child;

class PortSettingsDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<ui::PortSettingsDialog> open(PortMap* map = nullptr) {
        PortSettingsHooks hooks;
        hooks.togglePort = [this] { rig.port.setOpen(!rig.port.isOpen()); };
        auto dialog =
            std::make_unique<ui::PortSettingsDialog>(rig.link, store, prompts, state, hooks, map);
        dialog->show();
        return dialog;
    }
    QString boxText(QWidget& dialog, const char* name) {
        return child<QComboBox>(dialog, name)->currentText();
    }

    test::SimRig rig;
    test::TempSettings store;
    test::FakePrompts prompts;
    PortSettingsState state;
};

TEST_F(PortSettingsDialogTest, ShowsTheDefaultSettings) {
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("通信端口设置"));
    QComboBox* port = child<QComboBox>(*dialog, "cboPort");
    EXPECT_EQ(port->count(), 16);
    EXPECT_EQ(port->itemText(15), QStringLiteral("COM16"));
    EXPECT_EQ(port->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(boxText(*dialog, "cboSpeed"), QStringLiteral("115200"));
    EXPECT_EQ(boxText(*dialog, "cboParity"), QStringLiteral("None"));
    EXPECT_EQ(boxText(*dialog, "cboDataBits"), QStringLiteral("8"));
    EXPECT_EQ(boxText(*dialog, "cboStopBits"), QStringLiteral("1"));
    QRadioButton* noFlow = child<QRadioButton>(*dialog, "optFlow_0");
    EXPECT_EQ(noFlow->text(), QStringLiteral("没有"));
    EXPECT_TRUE(noFlow->isChecked());
    QRadioButton* echoOff = child<QRadioButton>(*dialog, "optEcho_0");
    EXPECT_EQ(echoOff->text(), QStringLiteral("关闭"));
    EXPECT_TRUE(echoOff->isChecked());
    EXPECT_FALSE(child<QLineEdit>(*dialog, "txtDevice")->isVisible());  // no device map
}

QStringList items(QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

TEST_F(PortSettingsDialogTest, CaptionsAndLists) {
    auto dialog = open();
    EXPECT_EQ(items(child<QComboBox>(*dialog, "cboSpeed")),
              QStringList({"115200", "57600", "38400", "28800"}));
    EXPECT_EQ(items(child<QComboBox>(*dialog, "cboDataBits")),
              QStringList({"4", "5", "6", "7", "8"}));
    EXPECT_EQ(items(child<QComboBox>(*dialog, "cboParity")),
              QStringList({"Even", "Odd", "None", "Mark", "Space"}));
    EXPECT_EQ(items(child<QComboBox>(*dialog, "cboStopBits")), QStringList({"1", "1.5", "2"}));
    QStringList ports;
    for (int n = 1; n <= 16; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    EXPECT_EQ(items(child<QComboBox>(*dialog, "cboPort")), ports);
    const QStringList flow{"没有", "Xon/Xoff", "RTS", "Xon/RTS"};
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "optFlow_" + QByteArray::number(i);
        EXPECT_EQ(child<QRadioButton>(*dialog, name.constData())->text(), flow[i]);
    }
    EXPECT_EQ(child<QRadioButton>(*dialog, "optEcho_0")->text(), QStringLiteral("关闭"));
    EXPECT_EQ(child<QRadioButton>(*dialog, "optEcho_1")->text(), QStringLiteral("打开"));
    QStringList frames{"优化连接", "响应(&E)", "最大速度", "流控制(&F)"};
    frames.sort();
    EXPECT_EQ(captions(*dialog, &QGroupBox::title), frames);
    QStringList labels{"端口:", "波特率:", "数据位:", "奇偶位:", "停止位:"};
    labels.sort();
    EXPECT_EQ(captions(*dialog, &QLabel::text), labels);
    QStringList buttons{"确定", "取消", "自动检测"};
    buttons.sort();
    EXPECT_EQ(captions<QPushButton>(*dialog, &QPushButton::text), buttons);
}

TEST_F(PortSettingsDialogTest, ShowsAOneAndAHalfStopBitText) {
    rig.port.setSettings(QStringLiteral("57600,e,7,1.5"));
    rig.port.setHandshaking(3);
    state.echo = true;
    auto dialog = open();
    EXPECT_EQ(boxText(*dialog, "cboSpeed"), QStringLiteral("57600"));
    EXPECT_EQ(boxText(*dialog, "cboParity"), QStringLiteral("Even"));
    EXPECT_EQ(boxText(*dialog, "cboDataBits"), QStringLiteral("7"));
    EXPECT_EQ(boxText(*dialog, "cboStopBits"), QStringLiteral("1.5"));
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optFlow_3")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optEcho_1")->isChecked());
}

TEST_F(PortSettingsDialogTest, OkWithChosenBoxesClosesAndAssigns) {
    auto dialog = open();
    child<QComboBox>(*dialog, "cboParity")->setCurrentText(QStringLiteral("Odd"));
    child<QComboBox>(*dialog, "cboStopBits")->setCurrentText(QStringLiteral("2"));
    QTest::mouseClick(child<QRadioButton>(*dialog, "optEcho_1"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(*dialog, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(rig.port.settings(), QStringLiteral("115200,O,8,2"));
    EXPECT_TRUE(state.echo);
}

TEST_F(PortSettingsDialogTest, OkOnAMissingPortKeepsTheDialogOpen) {
    auto dialog = open();
    QComboBox* port = child<QComboBox>(*dialog, "cboPort");
    port->setCurrentIndex(6);  // COM7: no such device
    QTest::mouseClick(child<QPushButton>(*dialog, "cmdOK"), Qt::LeftButton);
    EXPECT_EQ(prompts.warnings.size(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(port->currentText(), QStringLiteral("COM1"));
    EXPECT_TRUE(rig.port.isOpen());
}

TEST_F(PortSettingsDialogTest, SearchFindsTheProgrammerAndCloses) {
    sim::SimulatedProgrammer other;
    rig.port.attach(3, &other);
    rig.port.setBusy(1);  // the rig's programmer on COM1 is held elsewhere
    rig.port.setOpen(false);
    auto dialog = open();
    QTest::mouseClick(child<QPushButton>(*dialog, "FindCOM"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(other.transcript(), "CC#");
}

TEST_F(PortSettingsDialogTest, ShowsAndChangesTheDeviceBehindAPortNumber) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("dev")));
    test::writeFile(root.filePath(QStringLiteral("dev/ttyUSB0")), {});
    PortMap map(&store, root.path());
    auto dialog = open(&map);

    QComboBox* port = child<QComboBox>(*dialog, "cboPort");
    EXPECT_EQ(port->model()->index(0, 1).data().toString(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(port->currentText(), QStringLiteral("COM1"));
    QLineEdit* device = child<QLineEdit>(*dialog, "txtDevice");
    EXPECT_EQ(device->text(), QStringLiteral("/dev/ttyUSB0"));

    device->selectAll();
    QTest::keyClicks(device, QStringLiteral("/dev/ttyACM3"));
    QTest::mouseClick(child<QPushButton>(*dialog, "cmdOK"), Qt::LeftButton);
    EXPECT_EQ(store.read(PortMap::storeSection(), QStringLiteral("COM1")),
              QStringLiteral("/dev/ttyACM3"));
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(PortSettingsDialogTest, CancelKeepsTheDeviceMapping) {
    PortMap map(&store, store.folder());
    auto dialog = open(&map);
    QLineEdit* device = child<QLineEdit>(*dialog, "txtDevice");
    QTest::keyClicks(device, QStringLiteral("/dev/pts/4"));
    QTest::mouseClick(child<QPushButton>(*dialog, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(store.read(PortMap::storeSection(), QStringLiteral("COM1")).isEmpty());
    EXPECT_EQ(rig.port.settings(), QStringLiteral("115200,n,8,1"));
}

// The dialog on the window's own link and hooks.
std::unique_ptr<ui::PortSettingsDialog> openOnWindow(test::WindowRig& rig) {
    Workbench& wb = rig.wb();
    auto dialog = std::make_unique<ui::PortSettingsDialog>(
        wb.session().link(), wb.session().platform().settings, wb.session().platform().prompts,
        wb.session().portSettingsState(), wb.portSettingsHooks(), nullptr, rig.window.get());
    dialog->show();
    return dialog;
}

TEST(PortSettingsDialogOnWindow, SearchShowsTheConnectedIndicators) {
    test::WindowRig rig;
    rig.p.port.detach(1);
    rig.p.port.attach(1, nullptr);  // free ports with nothing on them
    rig.p.port.attach(2, nullptr);
    rig.p.port.attach(3, &rig.p.device);
    ui::MainWindow& w = rig.start();
    w.toolbar()->menuEntry("CloseCOM")->trigger();
    ASSERT_FALSE(w.statusPanels()->connectedInFront());

    auto dialog = openOnWindow(rig);
    test::click(dialog->findChild<QPushButton*>(QStringLiteral("FindCOM")));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(rig.p.port.isOpen());
    EXPECT_EQ(rig.p.port.portNumber(), 3);
    EXPECT_TRUE(w.statusPanels()->connectedInFront());
    EXPECT_TRUE(w.toolbar()->menuEntry("CloseCOM")->isEnabled());
    EXPECT_FALSE(w.toolbar()->menuEntry("OpenCOM")->isEnabled());
    EXPECT_TRUE(w.toolbar()->button("ProgramMCU")->isEnabled());
    EXPECT_EQ(w.statusPanels()->panelText("COMStatus"),
              QString(2, QChar(0x3000)) + "COM3:115200,N,8,1");
    EXPECT_TRUE(w.logView()->toPlainText().contains(QStringLiteral("连接成功!")));
    EXPECT_EQ(rig.p.read("属性", "通信端口"), "3");
    EXPECT_TRUE(rig.p.prompts.warnings.isEmpty());
}

TEST(PortSettingsDialogOnWindow, FruitlessSearchLeavesTheWindowAsItWas) {
    test::WindowRig rig;
    rig.p.port.attach(2, nullptr);  // the last port probed opens but hears nothing
    rig.p.device.faults().silent = true;
    ui::MainWindow& w = rig.start();
    ASSERT_TRUE(w.statusPanels()->connectedInFront());

    auto dialog = openOnWindow(rig);
    test::click(dialog->findChild<QPushButton*>(QStringLiteral("FindCOM")));
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(rig.p.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.p.prompts.warnings[0].second, QStringLiteral("没有找到连接编程器的端口!    "));
    EXPECT_EQ(rig.p.port.portNumber(), 1);
    EXPECT_TRUE(rig.p.port.isOpen());
    EXPECT_TRUE(w.statusPanels()->connectedInFront());
    EXPECT_TRUE(w.toolbar()->button("ProgramMCU")->isEnabled());
    EXPECT_EQ(w.statusPanels()->panelText("COMStatus"),
              QString(2, QChar(0x3000)) + "COM1:115200,N,8,1");
}

}  // namespace
}  // namespace kv
