// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QStringEncoder>
#include <functional>

#include "core/OperationError.h"
#include "link/ProgrammerLink.h"
#include "sim/VirtualClock.h"
#include "tests/support/SimRig.h"
#include "tests/support/StubSerialControl.h"

using kv::OperationError;
using kv::ProgrammerLink;
using kv::test::SimRig;

namespace {

const QString kNoReply = QStringLiteral("编程器无反应!");

// Lets the line run for `us` microseconds of virtual time without the link.
void runLine(SimRig& rig, qint64 us) {
    rig.clock.advanceBy(us);
    rig.port.settle();
}

}  // namespace

TEST(padText, PadsLeftOrRightAndLeavesFullWidthAlone) {
    EXPECT_EQ(ProgrammerLink::padText("7F", u'0', 4, true), "007F");
    EXPECT_EQ(ProgrammerLink::padText("7F", u'0', 4, false), "7F00");
    EXPECT_EQ(ProgrammerLink::padText("ABCD", u'0', 4, true), "ABCD");
    EXPECT_EQ(ProgrammerLink::padText("", u'0', 2, true), "00");
    // Outside the contract (text wider than the field): unchanged, never cut.
    EXPECT_EQ(ProgrammerLink::padText("12345", u'0', 4, true), "12345");
}

TEST(readInfoByte, SendsTwoUpperCaseDigitsAndReturnsTheReplyAfter100ms) {
    SimRig rig;
    rig.device.signature() = {0x1E, 0x93, 0x07};
    const qint64 start = rig.clock.nowUs();
    EXPECT_EQ(rig.link.readInfoByte(5), "FF");
    EXPECT_GE(rig.elapsedMsSince(start), 100);
    EXPECT_EQ(rig.link.readInfoByte(255), "FF");
    EXPECT_EQ(rig.link.readInfoByte(1), "93");
    EXPECT_EQ(rig.link.readInfoByte(128),
              QString("%1").arg(rig.device.calibration()[0], 2, 16, QChar(u'0')).toUpper());
    EXPECT_EQ(rig.wire(), QByteArray("RI05#RIFF#RI01#RI80#"));
}

TEST(delayMs, YieldsBeforeTheFirstTestAndWaitsStrictlyLonger) {
    SimRig rig;
    int yields = 0;
    rig.pump.onYield = [&] { ++yields; };
    qint64 start = rig.clock.nowUs();
    rig.link.delayMs(0);
    EXPECT_GE(yields, 1);
    EXPECT_GT(rig.clock.nowUs(), start);

    start = rig.clock.nowUs();
    rig.link.delayMs(250);
    EXPECT_GT(rig.clock.nowUs() - start, 250'000);
    EXPECT_LT(rig.clock.nowUs() - start, 251'000);
}

TEST(delayMs, WindowEventsRunInsideTheWaitAndSeeTheLinkBusy) {
    SimRig rig;
    bool sawBusy = false;
    rig.pump.onYield = [&] { sawBusy = sawBusy || rig.link.isBusy(); };
    EXPECT_FALSE(rig.link.isBusy());
    rig.link.delayMs(20);
    EXPECT_TRUE(sawBusy);
    EXPECT_FALSE(rig.link.isBusy());
    {
        ProgrammerLink::Exchange exchange(rig.link);
        EXPECT_TRUE(rig.link.isBusy());
    }
    EXPECT_FALSE(rig.link.isBusy());
}

TEST(logReplyAfter, LogsTheReplyOrNoReply) {
    SimRig rig;
    rig.link.sendCommand("CC#");
    rig.link.logReplyAfter(250);
    ASSERT_EQ(rig.log.size(), 1);
    EXPECT_EQ(rig.log.last(), QStringLiteral("连接成功!"));  // decoded from GBK

    // With 0 ms the buffer is still looked at once.
    rig.link.logReplyAfter(0);
    EXPECT_EQ(rig.log.last(), kNoReply);
}

// The connection check of the start-up and the port dialog: discard, 10 ms,
// "CC#", then the reply or the no-reply text after 250 ms.
TEST(logReplyAfter, NoReplyIsLoggedAfterTheFullWait) {
    const std::pair<const char*, std::function<void(SimRig&)>> cases[] = {
        {"nothing connected",
         [](SimRig& rig) {
             rig.port.setOpen(false);
             rig.port.attach(2, nullptr);
             rig.port.setPortNumber(2);
             rig.port.setOpen(true);
         }},
        {"silent programmer", [](SimRig& rig) { rig.device.faults().silent = true; }},
    };
    for (const auto& [name, setUp] : cases) {
        SCOPED_TRACE(name);
        SimRig rig;
        setUp(rig);
        rig.link.discardInput();
        rig.link.delayMs(10);
        rig.link.sendCommand("CC#");
        const qint64 start = rig.clock.nowUs();
        rig.link.logReplyAfter(250);
        EXPECT_EQ(rig.log, QStringList{kNoReply});
        EXPECT_GE(rig.elapsedMsSince(start), 250);
        EXPECT_LT(rig.elapsedMsSince(start), 260);
        EXPECT_EQ(rig.port.written(), QByteArray("CC#"));
    }
}

TEST(waitForText, EndsAsSoonAsTheTextArrivesAmongOtherCharacters) {
    SimRig rig;
    rig.device.faults().garbage = "xyz";  // the "!" comes together with other characters
    rig.link.sendCommand("WEA501FF#");
    const qint64 start = rig.clock.nowUs();
    EXPECT_TRUE(rig.link.waitForText(100, "!"));
    EXPECT_LT(rig.elapsedMsSince(start), 30);
    EXPECT_EQ(static_cast<unsigned char>(rig.device.eeprom()[0x01FF]), 0xA5);
    // What was collected belongs to the call: nothing of it is left over.
    EXPECT_EQ(rig.link.readInput(), "");
    EXPECT_EQ(rig.wire(), QByteArray("WEA501FF#"));
}

TEST(waitForText, WithoutTheTextWaitsTheLimitAndLateBytesStayForTheNextRead) {
    SimRig rig;
    rig.device.faults().extraReplyDelayMs = 150;
    rig.link.sendCommand("CC#");
    const qint64 start = rig.clock.nowUs();
    EXPECT_FALSE(rig.link.waitForText(100, "!"));
    EXPECT_GE(rig.elapsedMsSince(start), 100);
    EXPECT_LT(rig.elapsedMsSince(start), 110);
    rig.link.delayMs(100);
    EXPECT_EQ(rig.link.readInput(), QStringLiteral("连接成功!"));
}

TEST(waitForText, LimitZeroStillReadsOnce) {
    SimRig rig;
    rig.link.sendCommand("CC#");
    rig.link.delayMs(50);
    EXPECT_TRUE(rig.link.waitForText(0, QStringLiteral("成功")));
    rig.link.sendCommand("CC#");
    EXPECT_FALSE(rig.link.waitForText(0, QStringLiteral("成功")));
}

TEST(readInput, DecodesACharacterSplitAcrossTwoReads) {
    SimRig rig;
    rig.link.sendCommand("CC#");
    // Run the line until the reply has started: take one byte, which is half of a
    // two-byte GBK character.
    for (int step = 0; step < 1000 && rig.link.inputCount() == 0; ++step)
        runLine(rig, 20);
    QString text = rig.link.readInput();
    EXPECT_TRUE(text.isEmpty()) << text.toStdString();
    rig.link.delayMs(50);
    text += rig.link.readInput();
    EXPECT_EQ(text, QStringLiteral("连接成功!"));
}

TEST(readInput, InvalidBytesBecomeReplacementCharactersAndLaterReadsDecode) {
    SimRig rig;
    rig.device.faults().garbage = QByteArray("\x81\x7F", 2);  // a lead byte without its trail
    rig.link.sendCommand("CC#");
    EXPECT_EQ(rig.link.readAfter(50), QStringLiteral("连接成功!") + QChar(0xFFFD) + QChar(0x7F));
    rig.device.faults().garbage.clear();
    rig.link.sendCommand("CC#");
    EXPECT_EQ(rig.link.readAfter(50), QStringLiteral("连接成功!"));
}

TEST(readInput, DiscardAndModeSwitchDropAHalfCharacter) {
    SimRig rig;
    rig.device.calibration() = {0xA1, 0xB2, 0xC3, 0xD4};
    // Every reply ends in a GBK lead byte whose trail never comes; "A" would
    // complete it if it were kept.
    rig.device.faults().garbage = QByteArray("\xC1", 1);
    EXPECT_EQ(rig.link.readInfoByte(0x80), "A1");
    rig.link.discardInput();
    EXPECT_EQ(rig.link.readInfoByte(0x80), "A1");
    rig.link.setBinaryInput(true);
    rig.link.setBinaryInput(false);
    EXPECT_EQ(rig.link.readInfoByte(0x80), "A1");
}

TEST(Link, ReadAndWriteOnAClosedPortFailWithAnError) {
    SimRig rig;
    rig.port.setOpen(false);
    EXPECT_THROW(rig.link.sendCommand("CC#"), OperationError);
    EXPECT_THROW(rig.link.readInput(), OperationError);
    EXPECT_THROW(rig.link.readAfter(10), OperationError);
}

TEST(Link, HangUpDuringAWaitEndsTheExchangeWithAnError) {
    SimRig rig;
    int yields = 0;
    rig.pump.onYield = [&] {
        if (++yields == 3)
            rig.port.hangUp();
    };
    rig.link.sendCommand("RF2000#");
    EXPECT_THROW(
        {
            for (int i = 0; i < 100; ++i) {
                rig.link.delayMs(200);
                rig.link.readInput();
            }
        },
        OperationError);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.link.isBusy());
}

TEST(PageWaits, AreBoundedAndPutTheLinkBackInTextMode) {
    SimRig rig;
    rig.device.faults().silent = true;
    rig.link.setBinaryInput(true);
    const qint64 start = rig.clock.nowUs();
    EXPECT_THROW(rig.link.waitInputArrived(), OperationError);
    EXPECT_GE(rig.elapsedMsSince(start), ProgrammerLink::kPageWaitLimitMs);
    EXPECT_LT(rig.elapsedMsSince(start), ProgrammerLink::kPageWaitLimitMs + 200);
    EXPECT_FALSE(rig.link.binaryInput());
}

TEST(PageWaits, DrainWaitAllowsForASlowLine) {
    SimRig rig;
    rig.port.setSettings("110,n,8,1");  // a 64-word page takes 11.6 s to leave
    rig.link.setBinaryInput(true);
    rig.link.sendBytes(QByteArray(128, char(0xFF)));
    const qint64 start = rig.clock.nowUs();
    EXPECT_NO_THROW(rig.link.waitOutputDrained());
    EXPECT_GE(rig.elapsedMsSince(start), 11'636);
    EXPECT_EQ(rig.link.outputCount(), 0);
    EXPECT_TRUE(rig.link.binaryInput());
}

namespace {

// A port whose output never leaves (handshaking holds it back); its blocking
// wait lets virtual time pass.
class StuckOutputPort : public kv::test::StubSerialControl {
public:
    explicit StuckOutputPort(kv::sim::VirtualClock& clock) : m_clock(clock) {}
    int handshaking() const override { return 2; }
    int bytesToWrite() const override { return 128; }
    bool waitForBytesWritten(int msecs) override {
        ++waits;
        m_clock.advanceBy(qint64(qMax(msecs, 0)) * 1000);
        return false;
    }
    bool waitForReadyRead(int msecs) override { return waitForBytesWritten(msecs); }
    int waits = 0;

private:
    kv::sim::VirtualClock& m_clock;
};

class NoEvents : public kv::EventPump {
public:
    void yieldUntil(qint64) override {}
};

}  // namespace

TEST(PageWaits, DrainWaitIsBoundedWhenTheOutputIsHeldBack) {
    kv::sim::VirtualClock clock;
    StuckOutputPort port(clock);
    NoEvents pump;
    ProgrammerLink link(port, clock, pump, {});
    link.setBinaryInput(true);
    const qint64 start = clock.nowUs();
    EXPECT_THROW(link.waitOutputDrained(), OperationError);
    const qint64 ms = (clock.nowUs() - start) / 1000;
    // The limit plus the 12 ms the 128 bytes need at 115200 baud.
    EXPECT_GE(ms, ProgrammerLink::kPageWaitLimitMs + 12);
    EXPECT_LT(ms, ProgrammerLink::kPageWaitLimitMs + 200);
    EXPECT_LT(port.waits, 100);
    EXPECT_FALSE(link.binaryInput());
    EXPECT_FALSE(link.isBusy());
}

TEST(PageWaits, AHangUpInsideThemAlsoLeavesTextInput) {
    SimRig rig;
    rig.device.faults().hangUpAfterBytes = 40;
    rig.link.setBinaryInput(true);
    rig.link.sendBytes(QByteArray(64, char(0x11)));
    EXPECT_THROW(rig.link.waitOutputDrained(), OperationError);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.link.binaryInput());

    SimRig quiet;
    quiet.link.setBinaryInput(true);
    quiet.port.hangUp();
    EXPECT_THROW(quiet.link.waitInputArrived(), OperationError);
    EXPECT_FALSE(quiet.link.binaryInput());
    EXPECT_FALSE(quiet.link.isBusy());
}

TEST(PageWaits, ReturnAsSoonAsTheConditionHolds) {
    SimRig rig;
    rig.link.sendCommand("CC#");
    rig.link.waitOutputDrained();
    EXPECT_EQ(rig.link.outputCount(), 0);
    rig.link.waitInputArrived();
    EXPECT_GE(rig.link.inputCount(), 1);
}

TEST(BinaryInput, ScopeRestoresTextModeWhenLeftByAnError) {
    SimRig rig;
    try {
        ProgrammerLink::BinaryInput binary(rig.link);
        EXPECT_TRUE(rig.link.binaryInput());
        throw OperationError("x");
    } catch (const OperationError&) {
    }
    EXPECT_FALSE(rig.link.binaryInput());
}
