#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <QDir>
#include <QFile>

#include "app/UserPrompts.h"
#include "link/PortMap.h"
#include "link/PortSettingsState.h"
#include "settings/SettingsStore.h"
#include "tests/support/SimRig.h"
#include "ui/PortSettingsDialog.h"

namespace kv {
namespace {

class RecordingPrompts : public UserPrompts {
public:
    void warning(const QString&, const QString& text) override { texts << text; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    QStringList texts;
};

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
    template <typename T>
    T* child(QWidget& dialog, const char* name) {
        T* w = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString boxText(QWidget& dialog, const char* name) {
        return child<QComboBox>(dialog, name)->currentText();
    }

    QTemporaryDir dir;
    test::SimRig rig;
    SettingsStore store{QStringLiteral("kelvaro-test"), dir.path()};
    RecordingPrompts prompts;
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
    EXPECT_EQ(prompts.texts.size(), 1);
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
    QFile adapter(root.filePath(QStringLiteral("dev/ttyUSB0")));
    ASSERT_TRUE(adapter.open(QIODevice::WriteOnly));
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
    PortMap map(&store, dir.path());
    auto dialog = open(&map);
    QLineEdit* device = child<QLineEdit>(*dialog, "txtDevice");
    QTest::keyClicks(device, QStringLiteral("/dev/pts/4"));
    QTest::mouseClick(child<QPushButton>(*dialog, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(store.read(PortMap::storeSection(), QStringLiteral("COM1")).isEmpty());
    EXPECT_EQ(rig.port.settings(), QStringLiteral("115200,n,8,1"));
}

}  // namespace
}  // namespace kv
