// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "catalogue/SignatureReader.h"
#include "core/OperationError.h"
#include "tests/support/SimRig.h"

namespace {

using kv::readSignatureText;
using kv::SignatureReader;
using kv::test::SimRig;

const QString kNoChip = QStringLiteral("无目标芯片或无连接!");

TEST(SignatureRead, KnownChipUpdatesLabelsAndLog) {
    SimRig rig;
    SignatureReader reader(rig.programmer);
    EXPECT_EQ(reader.signatureText(), "1E");
    EXPECT_EQ(reader.identifiedModel(), "AT");

    // The button stays disabled and the link busy for the whole read.
    int yieldsWhileDisabled = 0, yields = 0;
    rig.pump.onYield = [&] {
        ++yields;
        if (!reader.isReadEnabled() && rig.link.isBusy()) {
            ++yieldsWhileDisabled;
        }
    };
    reader.readSignature();
    EXPECT_GT(yields, 0);
    EXPECT_EQ(yieldsWhileDisabled, yields);
    EXPECT_TRUE(reader.isReadEnabled());
    EXPECT_FALSE(rig.link.isBusy());

    EXPECT_EQ(rig.wire(), QByteArray("RI01#RI02#"));
    EXPECT_EQ(reader.signatureText(), "1E9307");
    EXPECT_EQ(reader.identifiedModel(), "ATMEGA8");
    EXPECT_EQ(rig.log, QStringList{QStringLiteral("读标识字:1E9307")});
}

TEST(SignatureRead, OtherModelInTheSocket) {
    SimRig rig(QStringLiteral("ATTINY26"));
    SignatureReader reader(rig.programmer);
    reader.readSignature();
    EXPECT_EQ(reader.signatureText(), "1E9109");
    EXPECT_EQ(reader.identifiedModel(), "ATTINY26");
}

TEST(SignatureRead, LowerCaseReplyMatchesNoModel) {
    SimRig rig;
    rig.device.signature() = {0x1E, 0x93, 0x0A};
    rig.device.faults().lowerCaseHex = true;
    EXPECT_EQ(readSignatureText(rig.programmer, false), "1E930a");

    SignatureReader reader(rig.programmer);
    reader.readSignature();
    EXPECT_EQ(reader.signatureText(), "1E");
    EXPECT_EQ(reader.identifiedModel(), "AT");
    EXPECT_EQ(rig.log, QStringList{kNoChip});
}

TEST(SignatureRead, SilenceKeepsThePreviousLabels) {
    SimRig rig;
    SignatureReader reader(rig.programmer);
    reader.readSignature();
    rig.log.clear();
    rig.device.faults().silent = true;
    EXPECT_EQ(readSignatureText(rig.programmer, false), "1E");
    reader.readSignature();
    EXPECT_EQ(reader.signatureText(), "1E9307");
    EXPECT_EQ(reader.identifiedModel(), "ATMEGA8");
    EXPECT_EQ(rig.log, QStringList{kNoChip});
}

TEST(SignatureRead, StaleInputIsDiscardedAndPauseWaits) {
    SimRig rig;
    // A reply that was never collected is waiting in the receive buffer.
    rig.link.sendCommand(QStringLiteral("RI00#"));
    rig.link.delayMs(50);
    ASSERT_GT(rig.link.inputCount(), 0);

    qint64 start = rig.clock.nowUs();
    EXPECT_EQ(readSignatureText(rig.programmer, false), "1E9307");
    const qint64 plainMs = rig.elapsedMsSince(start);
    start = rig.clock.nowUs();
    EXPECT_EQ(readSignatureText(rig.programmer, true), "1E9307");
    EXPECT_GE(rig.elapsedMsSince(start), plainMs + 5);
    EXPECT_GE(plainMs, 200);
}

TEST(SignatureRead, ClosedPortThrowsAndReenablesTheButton) {
    SimRig rig;
    rig.port.setOpen(false);
    SignatureReader reader(rig.programmer);
    EXPECT_THROW(reader.readSignature(), kv::OperationError);
    EXPECT_TRUE(reader.isReadEnabled());
    EXPECT_FALSE(rig.link.isBusy());
    EXPECT_EQ(reader.signatureText(), "1E");
    EXPECT_TRUE(rig.log.isEmpty());
}

}  // namespace
