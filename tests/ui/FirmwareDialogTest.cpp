// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "firmware/FirmwareUpdate.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/SimRig.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/WindowRig.h"
#include "ui/FirmwareDialog.h"

namespace kv {
namespace {

class FirmwareDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        firmware = QByteArray(100, char(0x5A));
        path = test::writeFile(store.fileIn(QStringLiteral("HV.BIN")), firmware);
        ASSERT_TRUE(store.write(QStringLiteral("文件名"), QStringLiteral("文件"), path));
        dialog =
            std::make_unique<ui::FirmwareDialog>(rig.link, store, prompts, [this] { ++refreshes; });
        dialog->show();
    }
    template <typename T>
    T* child(const char* name) {
        return test::child<T>(*dialog, name);
    }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    bool waiting() { return dialog->update().phase() == FirmwareUpdate::Phase::WaitingForLoader; }

    test::SimRig rig;
    test::TempSettings store;
    test::FakePrompts prompts;
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

// As an input tool sets it, without key presses.
TEST_F(FirmwareDialogTest, TheFileBoxsTextIsTheFileWhateverSetIt) {
    const QString other = test::writeFile(store.fileIn(QStringLiteral("NEW.BIN")), "1");
    child<QLineEdit>("Text1")->setText(other);
    EXPECT_EQ(dialog->update().fileName(), other);
}

TEST_F(FirmwareDialogTest, CaptionsAsTheUserSeesThem) {
    QStringList texts = test::captions(*dialog, &QAbstractButton::text) +
                        test::captions(*dialog, &QLabel::text) +
                        test::captions(*dialog, &QGroupBox::title);
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
