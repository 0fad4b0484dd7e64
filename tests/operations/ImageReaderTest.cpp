// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "ImageOpsRig.h"
#include "core/OperationError.h"
#include "link/SerialControl.h"

using kv::MemoryImage;
using kv::OperationError;
using kv::test::ImageOpsRig;

namespace {

// --- Reading the chip -----------------------------------------------------------

TEST(ReadFlash, ReadsTheModelsWholeFlashIntoImageViewAndPanel) {
    ImageOpsRig rig;
    const QByteArray chip = ImageOpsRig::randomBytes(8192, 10);
    rig.sim.device.flash() = chip;
    rig.flash.setPanelText(QStringLiteral("FLASH:100字节"));
    rig.flash.setPathText(QStringLiteral("/some/file.hex"));
    rig.read(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.sim.wire(), QByteArray("RF2000#"));
    EXPECT_EQ(rig.flash.image().toBytes(), chip);
    const QStringList lines = rig.flash.viewText().split(u'\r', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 512);
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral(" 1FF0") + QChar(0x3000)));
    EXPECT_EQ(rig.flash.panelText(), QStringLiteral("FLASH:"));
    EXPECT_EQ(rig.flash.pathText(), QStringLiteral("/some/file.hex"));
    EXPECT_EQ(rig.flash.progress(), 100);
    EXPECT_EQ(rig.sim.log, QStringList{QStringLiteral("读取芯片FLASH!")});
    EXPECT_FALSE(rig.sim.link.isBusy());
}

TEST(ReadEeprom, SendsTheModelsSizeAndLeavesThePanelAlone) {
    ImageOpsRig rig(QStringLiteral("ATTINY26"));
    const QByteArray chip = ImageOpsRig::randomBytes(128, 11);
    rig.sim.device.eeprom() = chip;
    rig.eeprom.setPanelText(QStringLiteral("EEPROM:3字节"));
    rig.read(kv::MemoryKind::Eeprom);
    EXPECT_EQ(rig.sim.wire(), QByteArray("RE0080#"));
    EXPECT_EQ(rig.eeprom.image().text(), MemoryImage::fromBytes(chip).text());
    EXPECT_EQ(rig.eeprom.panelText(), QStringLiteral("EEPROM:3字节"));
    EXPECT_EQ(rig.sim.log, QStringList{QStringLiteral("读取芯片EEPROM!")});
}

TEST(ReadFlash, KeepsNoMoreThanTheModelsSizeWhenTheProgrammerSendsExtra) {
    ImageOpsRig rig(QStringLiteral("ATTINY2313"));
    rig.sim.device.faults().garbage = "0A0B";
    rig.read(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.flash.image().length(), 2 * 2048);
    EXPECT_EQ(rig.flash.image().text(), QString(4096, u'F'));
    EXPECT_EQ(rig.flash.progress(), 100);
}

TEST(ReadFlash, AProgrammerThatStopsSendingEndsTheReadWithAnEmptyImage) {
    ImageOpsRig rig;
    rig.flash.showImage(MemoryImage(QStringLiteral("0102")));
    rig.sim.device.faults().readReplyLimitChars = 101;
    const qint64 ms = rig.timed([&] { rig.read(kv::MemoryKind::Flash); });
    EXPECT_LE(ms, 200 + kv::ProtocolTimings{}.readQuietLimit + 400);
    EXPECT_TRUE(rig.flash.image().isEmpty());
    EXPECT_TRUE(rig.flash.viewText().isEmpty());
    EXPECT_EQ(rig.sim.log.last(),
              QStringLiteral("编程器停止发送FLASH数据：收到50字节，应为8192字节!"));
    EXPECT_LT(rig.flash.progress(), 100);
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
}

TEST(ReadEeprom, ASilentProgrammerIsReportedAsSuch) {
    ImageOpsRig rig;
    rig.sim.device.faults().silent = true;
    rig.read(kv::MemoryKind::Eeprom);
    EXPECT_EQ(rig.sim.log.last(), QStringLiteral("编程器无反应!"));
    EXPECT_TRUE(rig.eeprom.image().isEmpty());
}

TEST(Read, OnlyAReplyOfHexDigitsBecomesTheImage) {
    struct Case {
        bool flash;
        char fill;       // every reply character replaced by this one (0: none)
        bool lowerCase;  // the programmer answers in lower case
        const char* log;
    };
    const Case cases[] = {
        {true, 'Z', false, "FLASH读取应答无效：地址0000处不是十六进制数字，未读入数据!"},
        {false, ' ', false, "EEPROM读取应答无效：地址0000处不是十六进制数字，未读入数据!"},
        {true, 0, true, nullptr},
        {false, 0, true, nullptr},
    };
    for (const Case& c : cases) {
        ImageOpsRig rig;
        const QByteArray chip = ImageOpsRig::randomBytes(c.flash ? 8192 : 512, 12);
        (c.flash ? rig.sim.device.flash() : rig.sim.device.eeprom()) = chip;
        rig.sim.device.faults().readReplyFill = c.fill;
        rig.sim.device.faults().lowerCaseHex = c.lowerCase;
        kv::ImageSlot& slot = c.flash ? rig.flash : rig.eeprom;
        slot.showImage(MemoryImage(QStringLiteral("0102")));
        c.flash ? rig.read(kv::MemoryKind::Flash) : rig.read(kv::MemoryKind::Eeprom);
        if (c.log) {
            EXPECT_TRUE(slot.image().isEmpty()) << c.fill;
            EXPECT_TRUE(slot.viewText().isEmpty());
            EXPECT_EQ(rig.sim.log.last(), QString::fromUtf8(c.log));
        } else {
            EXPECT_EQ(slot.image().toBytes(), chip);
            EXPECT_EQ(rig.sim.log.size(), 1);
        }
        EXPECT_TRUE(rig.prompts.warnings.isEmpty());
    }
}

TEST(ReadFlash, ATricklingReplyIsCutOffByItsLineTimeWhileASlowLineStillCompletes) {
    ImageOpsRig trickle;
    trickle.sim.device.faults().readReplyGapMs = 150;  // never quiet for the quiet limit
    const qint64 cutMs = trickle.timed([&] { trickle.read(kv::MemoryKind::Flash); });
    // 16384 digits need 1.43 s at 115200 baud; the read may take twice that
    // plus the quiet limit, and then ends at its next step.
    EXPECT_GE(cutMs, 200 + 2 * 1423 + kv::ProtocolTimings{}.readQuietLimit);
    EXPECT_LE(cutMs, 200 + 2 * 1423 + kv::ProtocolTimings{}.readQuietLimit + 200);
    EXPECT_TRUE(trickle.flash.image().isEmpty());
    EXPECT_TRUE(trickle.sim.log.last().startsWith(QStringLiteral("编程器发送FLASH数据过慢：")))
        << trickle.sim.log.last().toStdString();
    EXPECT_FALSE(trickle.sim.link.isBusy());

    // At 9600 baud the same read needs 17 s on the line: the bound grows with it.
    ImageOpsRig slow;
    slow.sim.port.setSettings(QStringLiteral("9600,n,8,1"));
    const QByteArray chip = ImageOpsRig::randomBytes(8192, 13);
    slow.sim.device.flash() = chip;
    const qint64 fullMs = slow.timed([&] { slow.read(kv::MemoryKind::Flash); });
    EXPECT_GE(fullMs, 17066);
    EXPECT_EQ(slow.flash.image().toBytes(), chip);
}

TEST(ReadFlash, APortErrorShowsItsTextAndLeavesTheImageEmpty) {
    ImageOpsRig rig;
    rig.flash.showImage(MemoryImage(QStringLiteral("0102")));
    rig.sim.pump.onYield = [&] {
        if (rig.sim.clock.nowUs() > 1'000'000 + 300'000)
            rig.sim.port.hangUp();
    };
    rig.read(kv::MemoryKind::Flash);
    ASSERT_EQ(rig.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.prompts.warnings[0].first, QStringLiteral("KELVARO 测试"));
    // The box names the cut line, as the log does, not a port that was never opened.
    EXPECT_EQ(rig.prompts.warnings[0].second, kv::SerialControl::hangUpText(1));
    EXPECT_TRUE(rig.flash.image().isEmpty());
    EXPECT_TRUE(rig.flash.viewText().isEmpty());
    EXPECT_FALSE(rig.sim.link.isBusy());
}

TEST(ReplyCollection, WaitsItsFirstWaitThenWholeStepsUntilTheReplyIsIn) {
    // At 115200 baud about 11.5 digits arrive per millisecond; each reply ends
    // within the step given, so the collection ends at that step's end.
    struct Case {
        const char* model;
        bool flash;
        bool verify;
        int replyDelayMs;
        int expectedMs;
    };
    const Case cases[] = {
        {"ATTINY26", false, false, 0, 100},  // 256 digits, in by the first 100 ms
        {"ATMEGA32", false, false, 0, 200},  // 2048 digits: 100 + one 100 ms step
        {"ATTINY26", true, false, 0, 400},   // 4096 digits: 200 + one 200 ms step
        {"ATMEGA8", true, true, 0, 200},     // 200 digits, in by the first 200 ms
        {"ATMEGA8", true, true, 250, 400},   // in after 260 ms: 200 + one 200 ms step
        {"ATMEGA8", false, true, 250, 300},  // the same, in 100 ms steps
    };
    for (const Case& c : cases) {
        ImageOpsRig rig(QString::fromLatin1(c.model));
        rig.sim.device.faults().extraReplyDelayMs = c.replyDelayMs;
        kv::ImageSlot& slot = c.flash ? rig.flash : rig.eeprom;
        if (c.verify) {
            slot.setImage(MemoryImage(QString(200, u'F')));
        }
        const qint64 ms = rig.timed([&] {
            if (c.verify) {
                c.flash ? rig.verify(kv::MemoryKind::Flash) : rig.verify(kv::MemoryKind::Eeprom);
            } else {
                c.flash ? rig.read(kv::MemoryKind::Flash) : rig.read(kv::MemoryKind::Eeprom);
            }
        });
        EXPECT_GE(ms, c.expectedMs) << c.model << ' ' << c.flash << c.verify;
        EXPECT_LT(ms, c.expectedMs + 3) << c.model << ' ' << c.flash << c.verify;
        EXPECT_EQ(slot.progress(), 100);
        EXPECT_TRUE(rig.prompts.warnings.isEmpty());
    }
}

// --- Verifying ---------------------------------------------------------------------

TEST(VerifyFlash, AsksForTheImagesLengthWhateverTheModelAndPasses) {
    ImageOpsRig rig(QStringLiteral("ATMEGA32"));
    const QByteArray data = ImageOpsRig::randomBytes(100, 20);
    rig.sim.device.flash().replace(0, 100, data);
    rig.flash.setImage(MemoryImage::fromBytes(data));
    rig.verify(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.sim.wire(), QByteArray("RF0064#"));
    EXPECT_EQ(rig.sim.log,
              (QStringList{QStringLiteral("校验FLASH......"), QStringLiteral("校验FLASH通过。")}));
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
}

TEST(VerifyFlash, ReportsTheFirstDifferenceByAddressAndLogsNoPass) {
    ImageOpsRig rig;
    const QByteArray data = ImageOpsRig::randomBytes(0x200, 21);
    QByteArray chip = data;
    chip[0x123] = char(~chip[0x123]);
    chip[0x150] = char(~chip[0x150]);
    rig.sim.device.flash().replace(0, chip.size(), chip);
    rig.flash.setImage(MemoryImage::fromBytes(data));
    rig.verify(kv::MemoryKind::Flash);
    ASSERT_EQ(rig.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.prompts.warnings[0], qMakePair(QStringLiteral("KELVARO 测试"),
                                                 QStringLiteral("FLASH地址 0123 数据校验失败！")));
    EXPECT_EQ(rig.sim.log, QStringList{QStringLiteral("校验FLASH......")});
}

TEST(Verify, DigitsCompareByValueInEitherCase) {
    ImageOpsRig rig;
    const QByteArray data("\xAB\xCD\xEF\x01", 4);
    rig.sim.device.flash().replace(0, 4, data);
    rig.sim.device.eeprom().replace(0, 4, data);
    rig.flash.setImage(MemoryImage(QStringLiteral("abcdef01")));  // as a HEX file may hold them
    rig.verify(kv::MemoryKind::Flash);
    rig.sim.device.faults().lowerCaseHex = true;  // a programmer answering in lower case
    rig.eeprom.setImage(MemoryImage(QStringLiteral("ABCDEF01")));
    rig.verify(kv::MemoryKind::Eeprom);
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
    EXPECT_TRUE(rig.sim.log.contains(QStringLiteral("校验FLASH通过。")));
    EXPECT_TRUE(rig.sim.log.contains(QStringLiteral("校验EEPROM通过。")));
}

TEST(Verify, AnEmptyImageIsLoggedAndNothingIsSent) {
    ImageOpsRig rig;
    rig.verify(kv::MemoryKind::Eeprom);
    rig.verify(kv::MemoryKind::Flash);
    EXPECT_TRUE(rig.sim.wire().isEmpty());
    EXPECT_EQ(rig.sim.log, (QStringList{QStringLiteral("EEPROM缓冲区无数据！"),
                                        QStringLiteral("FLASH缓冲区无数据！")}));
}

TEST(Verify, AnImageLargerThanTheChipRaisesBeforeSending) {
    ImageOpsRig rig;
    rig.eeprom.setImage(MemoryImage::fromBytes(QByteArray(513, '\0')));
    EXPECT_THROW(rig.verify(kv::MemoryKind::Eeprom), OperationError);
    EXPECT_TRUE(rig.sim.wire().isEmpty());
}

TEST(VerifyEeprom, AShortReplyStopsAtTheFirstMissingByteAfterABoundedWaitAndJudgesNothing) {
    ImageOpsRig rig;
    const QByteArray data = ImageOpsRig::randomBytes(64, 22);
    rig.sim.device.eeprom().replace(0, 64, data);
    rig.eeprom.setImage(MemoryImage::fromBytes(data));
    rig.sim.device.faults().readReplyLimitChars = 80;
    kv::VerifyOutcome outcome;
    const qint64 ms = rig.timed([&] { outcome = rig.verify(kv::MemoryKind::Eeprom); });
    EXPECT_LE(ms, 200 + kv::ProtocolTimings{}.readQuietLimit + 200);
    EXPECT_TRUE(
        rig.sim.log.contains(QStringLiteral("编程器停止发送EEPROM数据：收到40字节，应为64字节!")));
    // The read stopped: the chip is not called wrong.
    EXPECT_EQ(outcome.result, kv::VerifyOutcome::Result::ReadIncomplete);
    EXPECT_EQ(outcome.read.stoppedAt(), 0x28);
    EXPECT_EQ(outcome.firstDifference, -1);
    ASSERT_EQ(rig.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.prompts.warnings[0].second,
              QStringLiteral("EEPROM读回在地址 0028 处中断，未能校验！"));
}

}  // namespace
