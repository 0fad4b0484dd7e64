#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/UserPrompts.h"
#include "firmware/FirmwareUpdate.h"
#include "settings/SettingsStore.h"
#include "tests/support/SimRig.h"
#include "ui/FirmwareDialog.h"

namespace kv {
namespace {

class RecordingPrompts : public UserPrompts {
public:
    void warning(const QString&, const QString& text) override { texts << text; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    QStringList texts;
};

class FirmwareDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("HV.BIN"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        firmware = QByteArray(100, char(0x5A));
        file.write(firmware);
        file.close();
        store.write(QStringLiteral("文件名"), QStringLiteral("文件"), path);
        dialog =
            std::make_unique<ui::FirmwareDialog>(rig.link, store, prompts, [this] { ++refreshes; });
        dialog->show();
    }
    template <typename T>
    T* child(const char* name) {
        T* w = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    bool waiting() { return dialog->update().phase() == FirmwareUpdate::Phase::WaitingForLoader; }

    QTemporaryDir dir;
    test::SimRig rig;
    SettingsStore store{QStringLiteral("kelvaro-test"), dir.path()};
    RecordingPrompts prompts;
    int refreshes = 0;
    QString path;
    QByteArray firmware;
    std::unique_ptr<ui::FirmwareDialog> dialog;
};

TEST_F(FirmwareDialogTest, OpensWithTheStoredFileAndDefaultPageSize) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("升级固件"));
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), path);
    EXPECT_TRUE(child<QRadioButton>("Option1_1")->isChecked());
    EXPECT_EQ(child<QRadioButton>("Option1_1")->text(), QStringLiteral("32 Words(M8)"));
    EXPECT_FALSE(child<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(child<QPushButton>("OKButton")->text(), QStringLiteral("升  级"));
    EXPECT_EQ(child<QPushButton>("CancelButton")->text(), QStringLiteral("停  止"));
    EXPECT_EQ(child<QPushButton>("Command2")->text(), QStringLiteral("退  出"));
    EXPECT_TRUE(child<QLabel>("Label4")->text().isEmpty());
}

TEST_F(FirmwareDialogTest, CaptionsAsTheUserSeesThem) {
    QStringList texts;
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        texts << b->text();
    for (QLabel* l : dialog->findChildren<QLabel*>())
        texts << l->text();
    for (QGroupBox* g : dialog->findChildren<QGroupBox*>())
        texts << g->title();
    texts.removeAll(QString());
    texts.sort();
    QStringList expected{"升级文件",      "...",         "16 Words(M48)", "32 Words(M8)",
                         "64 words(M16)", "FLASH页大小", "加密文件",      "升  级",
                         "停  止",        "退  出"};
    expected.sort();
    EXPECT_EQ(texts, expected);
    for (const char* name : {"Option1_0", "Option1_1", "Option1_2"}) {
        QRadioButton* option = child<QRadioButton>(name);
        EXPECT_GE(option->width(), option->sizeHint().width()) << name;  // nothing cut off
    }
}

TEST_F(FirmwareDialogTest, UpgradeSendsTheFileInThePagesChosen) {
    QTest::mouseClick(child<QRadioButton>("Option1_0"), Qt::LeftButton);
    child<QCheckBox>("Check1")->setChecked(true);
    rig.device.setLoaderPageSize(32);
    bool exitDisabled = false;
    rig.pump.onYield = [&] {
        if (waiting() && !rig.device.inLoader()) {
            EXPECT_EQ(child<QLabel>("Label3")->text(), QStringLiteral("请重启编程器！"));
            EXPECT_FALSE(child<QPushButton>("OKButton")->isEnabled());
            rig.device.restartIntoLoader(rig.clock.nowUs());
        }
        if (dialog->update().phase() == FirmwareUpdate::Phase::Transferring)
            exitDisabled = exitDisabled || !child<QPushButton>("Command2")->isEnabled();
    };
    click("OKButton");
    EXPECT_EQ(rig.device.loaderMode(), "B");
    EXPECT_EQ(rig.device.receivedFirmware(), firmware + QByteArray(28, char(0xFF)));
    EXPECT_EQ(child<QLabel>("Label6")->text(), QStringLiteral("升级完毕。"));
    EXPECT_TRUE(child<QPushButton>("OKButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("Command2")->isEnabled());
    EXPECT_TRUE(exitDisabled);
}

TEST_F(FirmwareDialogTest, StopButtonEndsTheWait) {
    rig.pump.onYield = [&] {
        if (waiting() && !child<QLabel>("Label3")->text().isEmpty())
            click("CancelButton");
    };
    click("OKButton");
    EXPECT_FALSE(waiting());
    EXPECT_TRUE(child<QLabel>("Label3")->text().isEmpty());
    EXPECT_TRUE(child<QPushButton>("OKButton")->isEnabled());
    EXPECT_TRUE(rig.port.written().isEmpty());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(FirmwareDialogTest, SilentLoaderClosesThePortAndTheWindowIsTold) {
    click("OKButton");
    EXPECT_EQ(child<QLabel>("Label4")->text(), QStringLiteral("超时，连接不成功！"));
    EXPECT_TRUE(child<QPushButton>("OKButton")->isEnabled());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FirmwareDialogTest, ClosingDuringTheWaitStopsItThenCloses) {
    rig.pump.onYield = [&] {
        if (waiting())
            dialog->close();
    };
    click("OKButton");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(rig.port.written().isEmpty());
    EXPECT_TRUE(rig.port.isOpen());
}

}  // namespace
}  // namespace kv
