// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "app/Workbench.h"
#include "tests/app/ShellFakes.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

const QChar kIdeo(0x3000);

class WorkbenchStart : public ::testing::Test {
protected:
    Workbench& make() {
        workbench = std::make_unique<Workbench>(p.parts());
        return *workbench;
    }
    Workbench& start() {
        make().start();
        return *workbench;
    }
    void store(const QString& section, const QString& key, const QString& value) {
        ASSERT_TRUE(p.settings.write(section, key, value));
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        return test::writeFile(p.settings.fileIn(name), bytes);
    }

    ShellPlatform p;
    std::unique_ptr<Workbench> workbench;
};

TEST_F(WorkbenchStart, FirstStartWithEmptySettings) {
    Workbench& wb = start();
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    EXPECT_EQ(p.port.settings(), "115200,n,8,1");
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATMEGA8");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA8");
    ASSERT_EQ(wb.session().fuses().defaultFuseBits().size(), 32);
    EXPECT_EQ(wb.session().fuses().fuseBitString(), wb.session().fuses().defaultFuseBits());
    EXPECT_EQ(wb.session().options().toText(), "1000000000");
    EXPECT_TRUE(wb.session().flash().image().isEmpty());
    EXPECT_TRUE(wb.session().eeprom().image().isEmpty());
    EXPECT_TRUE(wb.session().flash().pathText().isEmpty());
    EXPECT_EQ(wb.session().calibration().selectedSlot(), 0);
    EXPECT_EQ(wb.session().calibration().selectedTarget(), 0);
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().text(), "8191");
    EXPECT_EQ(wb.session().model().eepromCalibrationAddress().text(), "511");
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().value(), -8191);
    EXPECT_EQ(wb.session().connection().portText(), QString(2, kIdeo) + "COM1:115200,N,8,1");
    EXPECT_EQ(wb.session().flash().progress(), 100);
    EXPECT_EQ(wb.session().eeprom().progress(), 100);
    // The programmer is on COM1, so the start-up opened it.
    EXPECT_TRUE(p.port.isOpen());
    EXPECT_TRUE(wb.session().connection().connected());
    EXPECT_TRUE(wb.session().deviceControls().enabled());
    EXPECT_TRUE(wb.session().log().text().startsWith(wb.session().log().logBanner()));
    EXPECT_EQ(wb.appCaption(), ShellTexts::appTitle());
}

TEST_F(WorkbenchStart, StoredPortSettingsAreAppliedAndBadOnesReported) {
    store("属性", "设置", "9600,e,7,2");
    store("属性", "通信端口", " 3");
    store("属性", "握手", "2");
    p.port.attach(3, &p.device);
    Workbench& wb = start();
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    EXPECT_EQ(p.port.portNumber(), 3);
    EXPECT_EQ(p.port.handshaking(), 2);
    EXPECT_EQ(wb.session().connection().portText(), QString(2, kIdeo) + "COM3:9600,E,7,2");

    ShellPlatform q;
    ASSERT_TRUE(q.settings.write("属性", "设置", "fast"));
    ASSERT_TRUE(q.settings.write("属性", "通信端口", "99"));
    ASSERT_TRUE(q.settings.write("属性", "握手", "7"));
    Workbench other(q.parts());
    other.start();
    // One box for the line settings, one each for port number and handshaking,
    // titled with the window title; the port keeps its previous values.
    ASSERT_EQ(q.prompts.warnings.size(), 3);
    for (const auto& w : q.prompts.warnings)
        EXPECT_EQ(w.first, ShellTexts::appTitle());
    EXPECT_EQ(q.port.settings(), "115200,n,8,1");
    EXPECT_EQ(q.port.portNumber(), 1);
    EXPECT_EQ(q.port.handshaking(), 0);
}

TEST_F(WorkbenchStart, ReloadOptionDecidesWhetherStoredFilesAreShownAndLoaded) {
    const QString flash = writeFile("a.bin", QByteArray::fromHex("0102030405"));
    const QString eeprom = writeFile("b.bin", QByteArray::fromHex("AABB"));
    store("FLASH", "文件", flash);
    store("EEPROM", "文件", eeprom);
    store("编程选项", "设置", "0000010000");
    Workbench& wb = start();
    EXPECT_EQ(wb.session().flash().pathText(), flash);
    EXPECT_EQ(wb.session().flash().image().text(), "0102030405");
    EXPECT_EQ(wb.session().eeprom().image().text(), "AABB");
    EXPECT_EQ(wb.session().flash().panelText(), "FLASH:5字节");

    ShellPlatform q;
    ASSERT_TRUE(q.settings.write("FLASH", "文件", flash));
    ASSERT_TRUE(q.settings.write("编程选项", "设置", "1000000000"));
    Workbench other(q.parts());
    other.start();
    EXPECT_TRUE(other.session().flash().pathText().isEmpty());
    EXPECT_TRUE(other.session().flash().image().isEmpty());
}

// The option text is taken with exactly ten characters, the fuse text with
// at least 32 (cut to 32); otherwise the defaults stay.
TEST_F(WorkbenchStart, StoredOptionAndFuseTextsOfEachLength) {
    const QString bits32 =
        "11111111"
        "11111111"
        "11011001"
        "11100001";
    struct Case {
        QString options, fuses, expectedOptions;
        bool fusesApplied;
    };
    const Case cases[] = {{"1100000000", bits32, "1100000000", true},
                          {"11111", bits32.left(31), "1000000000", false},
                          {"01000000001", bits32 + "00000000", "1000000000", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.toStdString() + " " + c.fuses.toStdString());
        ShellPlatform q;
        ASSERT_TRUE(q.settings.write("编程选项", "设置", c.options));
        ASSERT_TRUE(q.settings.write("熔丝", "设置", c.fuses));
        Workbench wb(q.parts());
        wb.start();
        EXPECT_EQ(wb.session().options().toText(), c.expectedOptions);
        EXPECT_EQ(wb.session().fuses().fuseBitString(),
                  c.fusesApplied ? bits32 : wb.session().fuses().defaultFuseBits());
    }
}

TEST_F(WorkbenchStart, StoredCalibrationChoicesAndAddresses) {
    store("校准", "HZ", " 3");
    store("校准", "FE", " 1");
    store("校准", "FLASH", "100");
    Workbench& wb = start();
    EXPECT_EQ(wb.session().calibration().selectedSlot(), 3);
    EXPECT_EQ(wb.session().calibration().selectedTarget(), 1);
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().text(), "100");
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().value(), -100);

    // An index without an option button selects nothing new; an address above
    // the model's last one becomes the last one.
    ShellPlatform q;
    ASSERT_TRUE(q.settings.write("校准", "HZ", " 7"));
    ASSERT_TRUE(q.settings.write("芯片", "型号", "ATMEGA48"));
    Workbench other(q.parts());
    other.start();
    EXPECT_FALSE(other.session().calibration().selectedSlot().has_value());
    EXPECT_EQ(other.session().model().flashCalibrationAddress().text(), "4095");
    EXPECT_EQ(other.session().model().eepromCalibrationAddress().text(), "255");
}

TEST_F(WorkbenchStart, ExitStoresFuseBitsOptionsAndCalibration) {
    Workbench& wb = start();
    wb.session().fuses().toggleBitCell(0);
    const QString bits = wb.session().fuses().fuseBitString();
    wb.session().options().setOptionValue(8, 1);
    wb.session().calibration().setSelectedSlot(2);
    wb.session().model().eepromCalibrationAddress().setText("77");
    wb.storeSetUp();
    EXPECT_EQ(p.read("熔丝", "设置"), bits);
    EXPECT_EQ(p.read("编程选项", "设置"), "1000000010");
    EXPECT_EQ(p.read("校准", "HZ"), " 2");
    EXPECT_EQ(p.read("校准", "FE"), " 0");
    EXPECT_EQ(p.read("校准", "FLASH"), "8191");
    EXPECT_EQ(p.read("校准", "EEPROM"), "77");

    // No slot selected: the stored choice stays as it was.
    wb.session().calibration().setSelectedSlot(std::nullopt);
    wb.storeSetUp();
    EXPECT_EQ(p.read("校准", "HZ"), " 2");
}

TEST_F(WorkbenchStart, ExitIntoARefusingFolderLogsOneEntryNamingFileAndReason) {
    Workbench& wb = start();
    wb.session().calibration().setSelectedSlot(2);
    // A folder where the settings file belongs refuses every write, even to root.
    const QString file = p.settings.filePath();
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    wb.storeSetUp();
    const QString log = wb.session().log().text();
    EXPECT_EQ(log.count(QDir::toNativeSeparators(file)), 1) << log.toStdString();
    ASSERT_FALSE(p.settings.errorString().isEmpty());
    EXPECT_TRUE(log.contains(p.settings.errorString())) << log.toStdString();
}

TEST_F(WorkbenchStart, AFailingStepIsSkippedAndTheOthersRunInOrder) {
    store("属性", "设置", "fast");
    store("编程选项", "设置", "0000010000");
    store("FLASH", "文件", p.settings.fileIn("missing.hex"));
    store("EEPROM", "文件", writeFile("e.bin", QByteArray::fromHex("A5")));
    store("校准", "HZ", " 3");
    store("校准", "FLASH", "100");
    p.port.setBusy(1);
    Workbench& wb = start();
    // The box about the line settings comes before the one about the port.
    ASSERT_EQ(p.prompts.warnings.size(), 2);
    EXPECT_EQ(p.prompts.warnings[0].first, ShellTexts::appTitle());
    EXPECT_EQ(p.prompts.warnings[1].first, Workbench::portWarningTitle());
    EXPECT_EQ(wb.session().connection().portText(), QString(2, kIdeo) + "COM1:115200,N,8,1");
    // A missing FLASH file does not keep the EEPROM file from loading.
    EXPECT_TRUE(wb.session().log().text().contains(QStringLiteral("FLASH文件没找到!")));
    EXPECT_EQ(wb.session().eeprom().image().text(), "A5");
    // With the port closed the discard fails, and the log says so; the
    // calibration steps still run.
    EXPECT_FALSE(p.port.isOpen());
    static const QRegularExpression skipped(QStringLiteral("启动步骤“清空接收”未完成：\\S"));
    EXPECT_TRUE(wb.session().log().text().contains(skipped))
        << wb.session().log().text().toStdString();
    EXPECT_EQ(wb.session().calibration().selectedSlot(), 3);
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().text(), "100");
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().value(), -100);
}

// A remembered file far beyond any image (sparse here) is refused unread, so
// the start-up goes on at once: the EEPROM file loads and the port opens.
TEST_F(WorkbenchStart, AHugeRememberedImageFileIsRefusedAndTheStartGoesOn) {
    const QString huge = p.settings.fileIn("huge.BIN");
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64(64) << 20));
    file.close();
    store("FLASH", "文件", huge);
    store("EEPROM", "文件", writeFile("e.bin", QByteArray::fromHex("A5")));
    store("编程选项", "设置", "0000010000");
    Workbench& wb = start();
    EXPECT_EQ(wb.session().flash().pathText(), huge);
    EXPECT_TRUE(wb.session().flash().image().isEmpty());
    EXPECT_TRUE(wb.session().flash().viewText().isEmpty());
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_TRUE(p.prompts.warnings[0].second.contains(QStringLiteral("文件太大")));
    EXPECT_EQ(wb.session().eeprom().image().text(), "A5");
    EXPECT_TRUE(p.port.isOpen());
}

TEST_F(WorkbenchStart, SettingsOfTwoProgramVersionsAreKeptApart) {
    const QString olderTitle = QStringLiteral("KELVARO 高压编程器 V1.9.0") + QString(4, kIdeo);
    ASSERT_NE(olderTitle, ShellTexts::appTitle());
    SettingsStore older(olderTitle, p.settings.folder());
    ASSERT_TRUE(older.write("芯片", "型号", "ATMEGA16"));
    ASSERT_TRUE(older.write("编程选项", "设置", "1111111111"));
    ASSERT_TRUE(older.write("校准", "FLASH", "1234"));

    Workbench& wb = start();
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATMEGA8");
    EXPECT_EQ(wb.session().options().toText(), "1000000000");
    EXPECT_EQ(wb.session().model().flashCalibrationAddress().text(), "8191");

    wb.selectModelFromMenu(QStringLiteral("ATMEGA32"));
    wb.storeSetUp();
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA32");
    EXPECT_EQ(older.read("芯片", "型号"), "ATMEGA16");
    EXPECT_EQ(older.read("编程选项", "设置"), "1111111111");
    EXPECT_EQ(older.read("校准", "FLASH"), "1234");
    EXPECT_NE(older.filePath(), p.settings.filePath());
}

TEST_F(WorkbenchStart, AbsentPortLeavesTheProgramRunningClosed) {
    p.port.setBusy(1);
    Workbench& wb = start();
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, QStringLiteral("警告提示") + QString(5, kIdeo));
    EXPECT_FALSE(p.port.isOpen());
    EXPECT_FALSE(wb.session().connection().connected());
    EXPECT_TRUE(wb.session().connection().openEntryEnabled());
    EXPECT_FALSE(wb.session().connection().closeEntryEnabled());
    EXPECT_FALSE(wb.session().deviceControls().enabled());
    EXPECT_EQ(wb.session().connection().portText(), QString(2, kIdeo) + "COM1:115200,N,8,1");
}

}  // namespace
}  // namespace kv::test
