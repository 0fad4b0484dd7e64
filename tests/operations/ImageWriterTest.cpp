// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QMap>

#include "ImageOpsRig.h"
#include "core/OperationError.h"

using kv::MemoryImage;
using kv::OperationError;
using kv::test::ImageOpsRig;

namespace {

QByteArray header(int pageWords, int wordsMinusOne) {
    return QByteArray("WF#") + char(pageWords) + char(wordsMinusOne >> 8) + char(wordsMinusOne);
}

// --- FLASH stream framing (ATMEGA8: 32-word pages) --------------------------

TEST(writeFlashImage, WholePagesOnlyAreAcknowledgedAndTheShortBlockIsNotPadded) {
    struct Case {
        int bytes;
        int wordsMinusOne;
    };
    for (const Case c : {Case{64, 0x1F}, Case{100, 0x31}, Case{20, 9}}) {
        ImageOpsRig rig;
        const QByteArray data = ImageOpsRig::randomBytes(c.bytes, c.bytes);
        rig.flash.setImage(MemoryImage::fromBytes(data));
        QList<int> progress;
        QObject::connect(&rig.flash, &kv::ImageSlot::progressChanged,
                         [&](int p) { progress << p; });
        rig.write(kv::MemoryKind::Flash);
        EXPECT_EQ(rig.sim.wire(), header(0x20, c.wordsMinusOne) + data) << c.bytes;
        EXPECT_EQ(rig.sim.device.flash().left(c.bytes), data);
        EXPECT_EQ(rig.sim.device.flash().at(c.bytes), char(0xFF));
        EXPECT_EQ(rig.sim.log,
                  (QStringList{QStringLiteral("写FLASH......"), QStringLiteral("FLASH写入完成!")}));
        EXPECT_FALSE(rig.sim.link.binaryInput());
        EXPECT_EQ(progress.last(), 100);
        if (c.bytes == 100) {
            EXPECT_EQ(progress, (QList<int>{64, 100}));
        }
    }
}

TEST(writeFlashImage, PacesTheHeaderAndTheDataWithItsFixedWaits) {
    ImageOpsRig rig;
    rig.flash.setImage(MemoryImage::fromBytes(ImageOpsRig::randomBytes(20, 9)));
    // When the programmer had received 3 ("WF#"), 6 (the header) and all bytes.
    QMap<int, qint64> arrivedUs;
    rig.sim.pump.onYield = [&] {
        for (const int n : {3, 6, 26}) {
            if (rig.sim.wire().size() >= n && !arrivedUs.contains(n))
                arrivedUs[n] = rig.sim.clock.nowUs();
        }
    };
    const qint64 ms = rig.timed([&] { rig.write(kv::MemoryKind::Flash); });
    ASSERT_EQ(arrivedUs.size(), 3);
    // 50 ms after "WF#", binary input, 50 ms more, then the header.
    EXPECT_GE(arrivedUs[6] - arrivedUs[3], 100'000);
    EXPECT_LT(arrivedUs[6] - arrivedUs[3], 102'000);
    // 50 ms after the header, the data.
    EXPECT_GE(arrivedUs[26] - arrivedUs[6], 50'000);
    EXPECT_LT(arrivedUs[26] - arrivedUs[6], 60'000);
    // And 200 ms for the closing text.
    EXPECT_GE(ms, 350);
    EXPECT_LT(ms, 356);
}

TEST(writeFlashImage, TheClosingTextArrivingWithTheLastAcknowledgementIsLoggedWhole) {
    ImageOpsRig rig;
    rig.flash.setImage(MemoryImage::fromBytes(ImageOpsRig::randomBytes(128, 7)));
    // A slow reader: by the time the last page's acknowledgement is read, the
    // closing text has arrived behind it.
    QObject::connect(&rig.flash, &kv::ImageSlot::progressChanged, [&](int p) {
        if (p == 100) {
            rig.sim.clock.advanceBy(20'000);
            rig.sim.port.settle();
        }
    });
    rig.write(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.sim.log.last(), QStringLiteral("FLASH写入完成!"));
}

TEST(writeFlashImage, AnOddByteCountIsCompletedToAWholeWordSoTheNextCommandSurvives) {
    for (const int n : {3, 5}) {
        ImageOpsRig rig;
        const QByteArray data = ImageOpsRig::randomBytes(n, n);
        rig.flash.setImage(MemoryImage::fromBytes(data));
        rig.write(kv::MemoryKind::Flash);
        EXPECT_EQ(rig.sim.wire(), header(0x20, n / 2) + data + char(0xFF)) << n;
        rig.verify(kv::MemoryKind::Flash);
        EXPECT_TRUE(rig.prompts.warnings.isEmpty()) << n;
        EXPECT_EQ(rig.sim.log.last(), QStringLiteral("校验FLASH通过。")) << n;
    }
}

TEST(writeFlashImage, LowerCaseDigitsAreTheSameBytes) {
    ImageOpsRig rig;
    rig.flash.setImage(MemoryImage(QStringLiteral("a5ff0b")));
    rig.write(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.sim.device.flash().left(3), QByteArray("\xA5\xFF\x0B"));
}

// --- Images that must not reach the chip ----------------------------------

TEST(ImageWriter, RefusesBadOrOversizedImagesBeforeSendingAnything) {
    struct Case {
        bool flash;
        QString text;
    };
    const QString fullFlash = MemoryImage::fromBytes(QByteArray(8192, 'x')).text();
    const QString fullEeprom = MemoryImage::fromBytes(QByteArray(512, 'x')).text();
    for (const Case& c :
         {Case{true, QStringLiteral("00112G")}, Case{true, QStringLiteral("001")},
          Case{true, fullFlash + QStringLiteral("00")}, Case{false, QStringLiteral("0x")},
          Case{false, fullEeprom + QStringLiteral("AA")}}) {
        ImageOpsRig rig;
        (c.flash ? rig.flash : rig.eeprom).setImage(MemoryImage(c.text));
        EXPECT_THROW(c.flash ? rig.write(kv::MemoryKind::Flash) : rig.write(kv::MemoryKind::Eeprom),
                     OperationError)
            << c.text.left(10).toStdString();
        EXPECT_TRUE(rig.sim.wire().isEmpty());
        EXPECT_TRUE(rig.sim.log.isEmpty());
    }
    // A whole memory is not too big.
    ImageOpsRig rig;
    rig.flash.setImage(MemoryImage(fullFlash));
    rig.write(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.sim.device.flash(), QByteArray(8192, 'x'));
}

TEST(ImageWriter, EmptyImagesSendAndLogNothing) {
    ImageOpsRig rig;
    rig.write(kv::MemoryKind::Flash);
    rig.write(kv::MemoryKind::Eeprom);
    EXPECT_TRUE(rig.sim.wire().isEmpty());
    EXPECT_TRUE(rig.sim.log.isEmpty());
}

// --- A programmer or line that gives out mid-image ---------------------------

TEST(writeFlashImage, AProgrammerThatStopsAcknowledgingEndsTheWriteInTextMode) {
    ImageOpsRig rig(QStringLiteral("ATMEGA32"));
    rig.sim.device.faults().dropPageAcksAfter = 3;
    rig.flash.setImage(MemoryImage::fromBytes(ImageOpsRig::randomBytes(4096, 1)));
    QString error;
    const qint64 ms = rig.timed([&] {
        try {
            rig.write(kv::MemoryKind::Flash);
        } catch (const OperationError& e) {
            error = e.text();
        }
    });
    EXPECT_FALSE(error.isEmpty());
    EXPECT_LE(ms, kv::ProgrammerLink::kPageWaitLimitMs + 1000);
    EXPECT_FALSE(rig.sim.link.binaryInput());
    EXPECT_TRUE(rig.sim.log.contains(QStringLiteral("写FLASH中断，已发送512字节。")));
    EXPECT_FALSE(rig.sim.link.isBusy());
    // Once the programmer gave up the stream, text commands work again.
    rig.sim.device.faults().dropPageAcksAfter = -1;
    rig.sim.link.delayMs(1500);
    EXPECT_EQ(rig.sim.link.readInfoByte(1), QStringLiteral("95"));
}

TEST(writeFlashImage, AHangUpMidImageRaisesAndLeavesTextMode) {
    ImageOpsRig rig;
    rig.sim.device.faults().hangUpAfterBytes = 300;
    rig.flash.setImage(MemoryImage::fromBytes(ImageOpsRig::randomBytes(2048, 2)));
    EXPECT_THROW(rig.write(kv::MemoryKind::Flash), OperationError);
    EXPECT_FALSE(rig.sim.link.binaryInput());
    EXPECT_TRUE(rig.sim.log.last().startsWith(QStringLiteral("写FLASH中断")));
}

TEST(writeEepromImage, ACablePulledDuringTheWriteRaises) {
    ImageOpsRig rig;
    rig.eeprom.setImage(MemoryImage::fromBytes(ImageOpsRig::randomBytes(64, 3)));
    rig.sim.pump.onYield = [&] {
        if (rig.sim.wire().size() >= 9 * 10)
            rig.sim.port.hangUp();
    };
    EXPECT_THROW(rig.write(kv::MemoryKind::Eeprom), OperationError);
    EXPECT_FALSE(rig.sim.log.contains(QStringLiteral("写EEPROM结束!")));
}

// --- EEPROM --------------------------------------------------------------------

TEST(writeEepromImage, SendsDataThenFourDigitAddressInUpperCase) {
    ImageOpsRig rig;
    rig.eeprom.setImage(MemoryImage(QStringLiteral("a50c")));
    QList<int> progress;
    QObject::connect(&rig.eeprom, &kv::ImageSlot::progressChanged, [&](int p) { progress << p; });
    rig.write(kv::MemoryKind::Eeprom);
    EXPECT_EQ(rig.sim.wire(), QByteArray("WEA50000#WE0C0001#"));
    EXPECT_EQ(rig.sim.device.eeprom().left(3), QByteArray("\xA5\x0C\xFF"));
    EXPECT_EQ(rig.sim.log, QStringList{QStringLiteral("写EEPROM结束!")});
    EXPECT_EQ(progress, (QList<int>{25, 75, 100}));
}

TEST(writeEepromImage, AWholeEepromGoesByteByByteAndMissingAcksAreCountedAfterTheirWait) {
    ImageOpsRig rig;
    QByteArray data = ImageOpsRig::randomBytes(512, 4);
    data[0x1FF] = char(0xA5);
    rig.eeprom.setImage(MemoryImage::fromBytes(data));
    rig.write(kv::MemoryKind::Eeprom);
    EXPECT_EQ(rig.sim.device.eeprom(), data);
    EXPECT_TRUE(rig.sim.wire().endsWith("WEA501FF#"));
    EXPECT_EQ(rig.sim.log, QStringList{QStringLiteral("写EEPROM结束!")});
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());

    ImageOpsRig quiet;
    quiet.sim.device.faults().dropWriteAcksAfter = 2;
    quiet.eeprom.setImage(MemoryImage::fromBytes(data.left(6)));
    const qint64 ms = quiet.timed([&] { quiet.write(kv::MemoryKind::Eeprom); });
    EXPECT_EQ(quiet.sim.wire().count("WE"), 6);
    EXPECT_GE(ms, 4 * 100);
    EXPECT_LT(ms, 4 * 100 + 2 * 20 + 20);
    const QString missing = QStringLiteral("4个字节没有得到编程器确认（\"!\"），可能未写入!");
    EXPECT_EQ(quiet.sim.log, (QStringList{QStringLiteral("写EEPROM结束!"), missing}));
    EXPECT_EQ(quiet.prompts.lines(), QStringList{QStringLiteral("KELVARO 测试|") + missing});
}

// A "!" later than the window's 100 ms lands in the next byte's wait: a byte
// counts as unacknowledged although every byte was written (what a loaded
// machine did to kelvaro-cli against kelvaro-sim). Under the command line's
// longer limit each "!" counts for its own byte; a silent programmer then
// costs one long wait, and 100 ms for each byte after it.
TEST(writeEepromImage, ALateAcknowledgementCountsForItsOwnByteUnderALongerLimit) {
    const QByteArray data = ImageOpsRig::randomBytes(8, 5);
    ImageOpsRig window;
    window.sim.device.faults().extraReplyDelayMs = 150;
    window.eeprom.setImage(MemoryImage::fromBytes(data));
    EXPECT_GE(window.write(kv::MemoryKind::Eeprom).unacknowledged, 1);
    EXPECT_EQ(window.sim.device.eeprom().left(8), data);

    ImageOpsRig cli;
    cli.sim.link.setAcknowledgementLimitMs(1000);
    cli.sim.device.faults().extraReplyDelayMs = 150;
    cli.eeprom.setImage(MemoryImage::fromBytes(data));
    EXPECT_EQ(cli.write(kv::MemoryKind::Eeprom).unacknowledged, 0);
    EXPECT_EQ(cli.sim.device.eeprom().left(8), data);

    ImageOpsRig silent;
    silent.sim.link.setAcknowledgementLimitMs(1000);
    silent.sim.device.faults().dropWriteAcksAfter = 0;
    silent.eeprom.setImage(MemoryImage::fromBytes(data));
    kv::WriteOutcome outcome;
    const qint64 ms = silent.timed([&] { outcome = silent.write(kv::MemoryKind::Eeprom); });
    EXPECT_EQ(outcome.unacknowledged, 8);
    EXPECT_GE(ms, 1000 + 7 * 100);
    EXPECT_LT(ms, 1000 + 7 * 100 + 8 * 20 + 20);
}

}  // namespace
