// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>

#include "core/OperationError.h"
#include "firmware/FirmwareFile.h"
#include "firmware/FirmwareUpdate.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/RecordingSerialControl.h"
#include "tests/support/SimRig.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"

namespace kv {
namespace {

// A firmware of n bytes whose values run through every byte, 0x0A included.
QByteArray pattern(int n) {
    QByteArray bytes(n, 0);
    for (int i = 0; i < n; ++i)
        bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}

QByteArray hex(const QByteArray& bytes) {
    return bytes.toHex().toUpper();
}

class FirmwareUpdateTest : public ::testing::Test {
protected:
    QString writeFile(const QByteArray& bytes) {
        return test::writeFile(store.fileIn(QStringLiteral("FW.BIN")), bytes);
    }
    // The user restarts the programmer a moment after the prompt of `u`
    // appears; `also` runs at every yield as well.
    void restartWhenPrompted(FirmwareUpdate& u, std::function<void()> also = {}) {
        rig.pump.onYield = [this, &u, also] {
            if (restartUs < 0 && u.phase() == FirmwareUpdate::Phase::WaitingForLoader) {
                restartUs = rig.clock.nowUs();
                rig.device.restartIntoLoader(restartUs);
            }
            if (also)
                also();
        };
    }
    void restartWhenPrompted() { restartWhenPrompted(update); }

    test::SimRig rig;
    test::TempSettings store;
    test::FakePrompts prompts;
    int connectionChanges = 0;
    FirmwareUpdate update{rig.link, store, prompts, [this] { ++connectionChanges; }};
    qint64 restartUs = -1;  // when the user restarted the programmer
};

TEST_F(FirmwareUpdateTest, ShortLastPageIsFilledWithF) {
    const QByteArray firmware = pattern(200);
    update.setFileName(writeFile(firmware));
    ASSERT_EQ(update.pageSize(), 64);  // the option selected at opening
    QStringList shown;
    QObject::connect(&update, &FirmwareUpdate::changed, [&] {
        if (shown.isEmpty() || shown.last() != update.byteText())
            shown << update.byteText();
    });
    restartWhenPrompted();
    update.upgrade();

    QByteArray expected = "D00";
    for (int page = 0; page < 3; ++page)
        expected += '>' + hex(firmware.mid(page * 64, 64));
    expected += '>' + hex(firmware.mid(192)) + QByteArray(112, 'F') + '!';
    EXPECT_EQ(rig.wire(), expected);
    EXPECT_EQ(rig.device.loaderMode(), "D");
    EXPECT_EQ(rig.device.receivedFirmware(), firmware + QByteArray(56, char(0xFF)));
    EXPECT_EQ(rig.device.loaderErrors(), 0);
    EXPECT_FALSE(rig.device.inLoader());
    EXPECT_EQ(update.byteText(), QStringLiteral("升级完毕。"));
    ASSERT_GE(shown.size(), 2);
    EXPECT_EQ(shown[shown.size() - 2], QString::fromLatin1(hex(firmware.right(1))));
    EXPECT_TRUE(update.upgradeEnabled());
    EXPECT_TRUE(prompts.warnings.isEmpty());
}

// The loader takes the characters write by write: each full-page byte as one
// pair, each byte of the last page and each fill digit on its own.
TEST_F(FirmwareUpdateTest, WritesAndPacingOfTheLoaderDialogue) {
    test::RecordingSerialControl recorder(rig.port, rig.clock);
    ProgrammerLink link(recorder, rig.clock, rig.pump, {});
    FirmwareUpdate paced(link, store, prompts, {});
    const QByteArray firmware = pattern(200);
    paced.setFileName(writeFile(firmware));
    restartWhenPrompted(paced);
    paced.upgrade();
    ASSERT_EQ(rig.device.loaderErrors(), 0);

    QList<QByteArray> expected{"D", "0", "0"};
    QList<int> pageStarts;
    for (int page = 0; page < 3; ++page) {
        pageStarts << int(expected.size());
        expected << ">";
        for (char byte : firmware.mid(page * 64, 64))
            expected << hex(QByteArray(1, byte));
    }
    const int tailStart = int(expected.size());
    expected << ">";
    for (char byte : firmware.mid(192)) {
        const QByteArray digits = hex(QByteArray(1, byte));
        expected << digits.left(1) << digits.mid(1);
    }
    for (int i = 0; i < 112; ++i)
        expected << "F";
    expected << "!";
    ASSERT_EQ(recorder.writes(), expected);

    const auto& events = recorder.events;
    const auto gapUs = [&](int i) { return events[i].atUs - events[i - 1].atUs; };
    // "B" is on the line 300 ms after the restart; the mode follows 1 ms later.
    EXPECT_GT(events[0].atUs - restartUs, 301'000);
    EXPECT_LT(events[0].atUs - restartUs, 301'200);
    EXPECT_GT(gapUs(1), 400'000);
    EXPECT_LT(gapUs(1), 400'100);
    EXPECT_GT(gapUs(2), 1'000);
    EXPECT_LT(gapUs(2), 1'100);
    // The loader asks with "?" once the page is on the line and written (about
    // 16 ms): each page start and the final "!" follow the question at once.
    for (int start : pageStarts) {
        EXPECT_LT(gapUs(start), 20'000) << start;
        EXPECT_GT(gapUs(start + 1), 1'000) << start;
        EXPECT_LT(gapUs(start + 1), 1'100) << start;
    }
    EXPECT_LT(gapUs(tailStart), 20'000);
    EXPECT_GT(gapUs(tailStart + 1), 10'000);
    EXPECT_LT(gapUs(tailStart + 1), 10'100);
    EXPECT_LT(gapUs(int(events.size()) - 1), 20'000);
    EXPECT_EQ(paced.byteText(), QStringLiteral("升级完毕。"));
}

// After the first "?" each wait ends after 100 ms at the latest and the transfer
// goes on; the closing text counts the pages that went unacknowledged.
TEST_F(FirmwareUpdateTest, PagesWithoutTheirQuestionMarkAreSentAndCounted) {
    rig.device.faults().dropLoaderAcksAfter = 1;  // ready once, then never again
    test::RecordingSerialControl recorder(rig.port, rig.clock);
    ProgrammerLink link(recorder, rig.clock, rig.pump, {});
    FirmwareUpdate update(link, store, prompts, {});
    const QByteArray firmware = pattern(70);
    update.setFileName(writeFile(firmware));
    restartWhenPrompted(update);
    update.upgrade();

    QByteArray wire;
    for (const QByteArray& w : recorder.writes())
        wire += w;
    EXPECT_EQ(wire, "D00>" + hex(firmware.left(64)) + '>' + hex(firmware.mid(64)) +
                        QByteArray(116, 'F') + '!');
    EXPECT_EQ(rig.device.receivedFirmware(), firmware + QByteArray(58, char(0xFF)));
    const auto& events = recorder.events;
    const QList<QByteArray> writes = recorder.writes();
    const int firstPage = 3, tailPage = 3 + 1 + 64, last = int(writes.size()) - 1;
    ASSERT_EQ(writes[tailPage], ">");
    EXPECT_LT(events[firstPage].atUs - events[firstPage - 1].atUs, 10'000);
    for (int i : {tailPage, last}) {
        const qint64 gap = events[i].atUs - events[i - 1].atUs;
        EXPECT_GT(gap, 99'000) << i;
        EXPECT_LT(gap, 101'000) << i;
    }
    EXPECT_EQ(update.byteText(),
              QStringLiteral("升级结束，但有2页（共2页）没有得到编程器确认，固件可能不完整："
                             "请重启编程器后重新升级。"));
    EXPECT_TRUE(prompts.warnings.isEmpty());
}

// A loader that greets and then asks for nothing gets no page: the update ends
// after the first wait and says what state the programmer may be in.
TEST_F(FirmwareUpdateTest, ALoaderSilentAfterItsGreetingFailsAtOnce) {
    rig.device.faults().dropLoaderAcksAfter = 0;
    update.setFileName(writeFile(pattern(4096)));
    restartWhenPrompted();
    update.upgrade();
    EXPECT_EQ(rig.wire(), "D00");
    // Greeting at 300 ms, mode and start 402 ms later, then one 100 ms wait.
    EXPECT_LT(rig.elapsedMsSince(restartUs), 300 + 402 + 100 + 20);
    EXPECT_EQ(update.status(),
              QStringLiteral("编程器的引导程序没有请求数据（未收到“?”），升级失败！"
                             "编程器中现在可能只有引导程序：请重启编程器，再按“升  级”重试。"));
    EXPECT_TRUE(update.byteText().isEmpty());
    EXPECT_TRUE(update.upgradeEnabled());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_TRUE(prompts.warnings.isEmpty());
}

TEST_F(FirmwareUpdateTest, AGreetingFromBeforeThePromptIsNotTakenForTheLoader) {
    rig.device.restartIntoLoader(rig.clock.nowUs());
    rig.link.delayMs(400);
    ASSERT_GT(rig.link.inputCount(), 0);  // that "B" waits in the receive buffer
    update.setFileName(writeFile(pattern(100)));
    update.upgrade();
    EXPECT_EQ(update.status(), QStringLiteral("超时，连接不成功！"));
    EXPECT_TRUE(rig.port.written().isEmpty());
}

TEST_F(FirmwareUpdateTest, ByteBelowSixteenKeepsItsLeadingZero) {
    update.setPageOption(0);
    update.setFileName(writeFile(QByteArray("\x0A\x00\xFF", 3)));
    restartWhenPrompted();
    update.upgrade();
    EXPECT_EQ(rig.wire(), "D00>0A00FF" + QByteArray(58, 'F') + '!');
}

TEST_F(FirmwareUpdateTest, ModeFollowsTheEncryptedBox) {
    update.setEncrypted(true);
    update.setFileName(writeFile(pattern(64)));
    restartWhenPrompted();
    update.upgrade();
    EXPECT_TRUE(rig.wire().startsWith("B00>"));
    EXPECT_EQ(rig.device.loaderMode(), "B");
    EXPECT_EQ(rig.device.loaderStart(), "00");
}

TEST_F(FirmwareUpdateTest, WholePagesEndWithoutAnEmptyPageStart) {
    const QByteArray firmware = pattern(128);
    update.setFileName(writeFile(firmware));
    restartWhenPrompted();
    update.upgrade();
    EXPECT_EQ(rig.wire(), "D00>" + hex(firmware.left(64)) + '>' + hex(firmware.mid(64)) + '!');
    EXPECT_EQ(rig.device.receivedFirmware(), firmware);
    EXPECT_EQ(rig.device.loaderErrors(), 0);
}

TEST_F(FirmwareUpdateTest, StopDuringTheWaitSendsNothing) {
    update.setFileName(writeFile(pattern(100)));
    int yields = 0;
    qint64 stoppedUs = -1;
    rig.pump.onYield = [&] {
        if (update.phase() == FirmwareUpdate::Phase::WaitingForLoader && ++yields == 20) {
            EXPECT_EQ(update.restartPrompt(), QStringLiteral("请重启编程器！"));
            EXPECT_FALSE(update.upgradeEnabled());
            update.stop();
            stoppedUs = rig.clock.nowUs();
        }
    };
    update.upgrade();
    EXPECT_EQ(yields, 20);
    EXPECT_LE(rig.elapsedMsSince(stoppedUs), 10);
    EXPECT_TRUE(rig.port.written().isEmpty());
    EXPECT_TRUE(update.upgradeEnabled());
    EXPECT_TRUE(update.restartPrompt().isEmpty());
    EXPECT_TRUE(update.status().isEmpty());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(connectionChanges, 0);
}

TEST_F(FirmwareUpdateTest, SilentLoaderTimesOutAfterTenSecondsAndClosesThePort) {
    update.setFileName(writeFile(pattern(100)));
    const qint64 start = rig.clock.nowUs();
    update.upgrade();
    const qint64 elapsed = rig.elapsedMsSince(start);
    EXPECT_GE(elapsed, 10000);
    EXPECT_LE(elapsed, 10020);
    EXPECT_EQ(update.status(), QStringLiteral("超时，连接不成功！"));
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(connectionChanges, 1);  // the window refreshes its indicators
    EXPECT_TRUE(update.upgradeEnabled());
    EXPECT_TRUE(rig.port.written().isEmpty());
}

TEST_F(FirmwareUpdateTest, TooManyPagesIsRefusedBeforeAnythingIsSent) {
    update.setPageOption(0);
    update.setFileName(writeFile(pattern(8192)));  // 256 pages of 32 bytes
    restartWhenPrompted();
    update.upgrade();
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_TRUE(prompts.texts()[0].contains(QStringLiteral("256")));
    EXPECT_EQ(prompts.titles()[0], store.applicationName());
    EXPECT_TRUE(rig.port.written().isEmpty());
    EXPECT_LT(restartUs, 0);  // the user was never asked to restart
    EXPECT_TRUE(update.upgradeEnabled());
}

TEST_F(FirmwareUpdateTest, FileErrorsAndClosedPortShowTheWarningBox) {
    update.setFileName(store.fileIn(QStringLiteral("missing.BIN")));
    update.upgrade();
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_FALSE(prompts.texts()[0].isEmpty());

    update.setFileName(writeFile(pattern(10)));
    rig.port.setOpen(false);
    update.upgrade();
    ASSERT_EQ(prompts.warnings.size(), 2);
    EXPECT_TRUE(update.restartPrompt().isEmpty());
    EXPECT_TRUE(update.upgradeEnabled());
    EXPECT_TRUE(rig.port.written().isEmpty());
}

TEST_F(FirmwareUpdateTest, BlankFileNameOnlyShowsTheHint) {
    update.setFileName(QStringLiteral("   "));
    update.upgrade();
    EXPECT_EQ(update.status(), QStringLiteral("没选择升级文件！"));
    EXPECT_TRUE(prompts.warnings.isEmpty());
    EXPECT_TRUE(rig.port.written().isEmpty());
}

TEST_F(FirmwareUpdateTest, ClosingWaitsForTheWaitToStopAndIsRefusedDuringTransfer) {
    update.setFileName(writeFile(pattern(100)));
    int closeRequests = 0;
    QObject::connect(&update, &FirmwareUpdate::closeRequested, [&] { ++closeRequests; });
    rig.pump.onYield = [&] {
        if (update.phase() == FirmwareUpdate::Phase::WaitingForLoader) {
            EXPECT_FALSE(update.requestClose());
        }
    };
    update.upgrade();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_TRUE(rig.port.written().isEmpty());
    EXPECT_TRUE(update.requestClose());

    bool refused = false;
    restartWhenPrompted(update, [&] {
        if (update.phase() == FirmwareUpdate::Phase::Transferring && !refused)
            refused = !update.requestClose();
    });
    update.upgrade();
    EXPECT_TRUE(refused);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(rig.device.receivedFirmware().left(100), pattern(100));
}

TEST_F(FirmwareUpdateTest, BrowseStoresThePathAndOpeningReadsItBack) {
    update.setFileName(QStringLiteral("/old/FW.BIN"));
    update.browse();  // cancelled
    EXPECT_EQ(update.fileName(), QStringLiteral("/old/FW.BIN"));
    EXPECT_TRUE(store.read(QStringLiteral("文件名"), QStringLiteral("文件")).isEmpty());

    prompts.answers << QStringLiteral("/new/V2.BIN");
    update.browse();
    EXPECT_EQ(prompts.openRequests.last().filter, QStringLiteral("二进制文件 (*.BIN)|*.BIN"));
    EXPECT_EQ(prompts.openRequests.last().filterIndex, 1);
    EXPECT_EQ(prompts.openRequests.last().initialDir, QStringLiteral("/old/FW.BIN"));
    EXPECT_EQ(store.read(QStringLiteral("文件名"), QStringLiteral("文件")),
              QStringLiteral("/new/V2.BIN"));

    FirmwareUpdate reopened(rig.link, store, prompts, {});
    reopened.open();
    EXPECT_EQ(reopened.fileName(), QStringLiteral("/new/V2.BIN"));
    EXPECT_EQ(reopened.pageSize(), 64);
    EXPECT_FALSE(reopened.encrypted());
}

TEST(FirmwareFileTest, PageCountLimitAndEmptyFile) {
    const FirmwareFile largest = FirmwareFile::fromBytes(pattern(255 * 32 + 31), 32);
    EXPECT_EQ(largest.fullPages(), 255);
    EXPECT_EQ(largest.tailBytes(), 31);
    EXPECT_THROW(FirmwareFile::fromBytes(pattern(256 * 32), 32), OperationError);
    EXPECT_THROW(FirmwareFile::fromBytes(QByteArray(), 64), OperationError);
    // A device picked by mistake is refused without being read to its end.
    EXPECT_THROW(FirmwareFile::load(QStringLiteral("/dev/zero"), 128), OperationError);
    EXPECT_EQ(FirmwareFile::hexByte(0x0A), "0A");
    EXPECT_EQ(FirmwareFile::hexByte(0xF0), "F0");
}

}  // namespace
}  // namespace kv
