// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "catalogue/ModelState.h"
#include "core/OperationError.h"
#include "operations/CalibrationBytes.h"
#include "operations/CalibrationState.h"
#include "operations/OutcomeBoxes.h"
#include "operations/SingleAccess.h"
#include "operations/SingleAccessState.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimRig.h"

namespace kv {
namespace {

const QString kTitle = QStringLiteral("测试标题");

// Types into a box the way a user does: the box's edit rule rewrites a text
// whose number moves the spinner, so a bad text stays only when it leaves the
// spinner where it was.
void type(AddressSpinner& box, const QString& before, const QString& text) {
    box.setText(before);
    box.setText(text);
    ASSERT_EQ(box.text(), text);
}

// A rig with the model selected on both sides and the frame's operations.
struct CalibrationRig {
    explicit CalibrationRig(const QString& name) : rig(name) {
        model.selectModel(name);
        rig.device.calibration() = {0xA1, 0xB2, 0xC3, 0x9C};
    }
    test::SimRig rig;
    ModelState model;
    CalibrationState state;
    SingleAccessState data;
    test::FakePrompts prompts;
    CalibrationBytes bytes{rig.programmer, model, state};
    SingleAccess single{rig.programmer, model, data};

    // The commands as the window runs them: refusals and findings in a box.
    template <typename Fn>
    void shown(Fn fn) {
        try {
            fn();
        } catch (const OperationError& e) {
            prompts.warning(kTitle, e.text());
        }
    }
    void writeCalibration() {
        shown([this] {
            if (const auto box = boxFor(bytes.writeCalibrationByte()))
                prompts.warning(kTitle, *box);
        });
    }
    void singleWrite(int row) {
        shown([&] { single.write(row == 0 ? MemoryKind::Flash : MemoryKind::Eeprom); });
    }
    void singleRead(int row) {
        shown([&] { single.read(row == 0 ? MemoryKind::Flash : MemoryKind::Eeprom); });
    }

    QList<bool> enabled() const {
        QList<bool> flags;
        for (int i = 0; i < CalibrationState::kSlotCount; ++i) {
            flags << state.isSlotEnabled(i);
        }
        return flags;
    }
};

TEST(Calibration, FourByteModelFillsEverySlotAndSelectsNone) {
    CalibrationRig c("ATMEGA8");
    EXPECT_FALSE(c.state.isWriteEnabled());
    EXPECT_EQ(c.state.slotValue(2), "00");
    c.bytes.readCalibrationBytes();
    EXPECT_EQ(c.rig.wire(), "RI80#RI81#RI82#RI83#");
    EXPECT_EQ(c.rig.log, QStringList{QStringLiteral("校准字节:A1-B2-C3-9C")});
    EXPECT_EQ(c.enabled(), QList<bool>({true, true, true, true}));
    EXPECT_EQ(c.state.slotValue(3), "9C");
    EXPECT_FALSE(c.state.selectedSlot().has_value());
    EXPECT_TRUE(c.state.isWriteEnabled());
}

TEST(Calibration, OneAndTwoByteModelsFillTheirSlots) {
    CalibrationRig mega48("ATMEGA48");
    mega48.state.setSelectedSlot(1);
    mega48.bytes.readCalibrationBytes();
    EXPECT_EQ(mega48.rig.wire(), "RI80#");
    EXPECT_EQ(mega48.enabled(), QList<bool>({false, false, false, true}));
    EXPECT_EQ(mega48.state.slotValue(3), "A1");
    EXPECT_EQ(mega48.state.selectedSlot(), 3);

    CalibrationRig tiny("ATTINY2313");
    tiny.bytes.readCalibrationBytes();
    EXPECT_EQ(tiny.rig.wire(), "RI80#RI81#");
    EXPECT_EQ(tiny.rig.log, QStringList{QStringLiteral("校准字节:A1-B2")});
    EXPECT_EQ(tiny.enabled(), QList<bool>({false, false, true, true}));
    EXPECT_EQ(tiny.state.slotValue(3), "A1");
    EXPECT_EQ(tiny.state.slotValue(2), "B2");
    EXPECT_FALSE(tiny.state.selectedSlot().has_value());
}

TEST(Calibration, Atmega161ReadsNothingAndLeavesSlotsDisabled) {
    CalibrationRig c("ATMEGA161");
    c.state.fillSlot(0, "55");
    c.bytes.readCalibrationBytes();
    EXPECT_TRUE(c.rig.wire().isEmpty());
    EXPECT_TRUE(c.rig.log.isEmpty());
    EXPECT_EQ(c.enabled(), QList<bool>({false, false, false, false}));
    EXPECT_FALSE(c.state.isWriteEnabled());
}

TEST(Calibration, WritesIntoTheRightHalfOfTheFlashWord) {
    CalibrationRig c("ATMEGA8");
    c.bytes.readCalibrationBytes();
    c.state.setSelectedSlot(3);
    c.state.setSelectedTarget(CalibrationState::kTargetFlash);

    c.rig.clearWire();
    c.model.flashCalibrationAddress().setText("8191");
    c.writeCalibration();
    EXPECT_EQ(c.rig.wire(), "WWFF9C0FFF#");
    EXPECT_EQ(quint8(c.rig.device.flash().at(8191)), 0x9C);
    EXPECT_EQ(quint8(c.rig.device.flash().at(8190)), 0xFF);
    EXPECT_EQ(c.rig.log.last(), QStringLiteral("写校准字节结束!"));

    c.rig.clearWire();
    c.model.flashCalibrationAddress().setText("8190");
    c.writeCalibration();
    EXPECT_EQ(c.rig.wire(), "WW9CFF0FFF#");
    EXPECT_EQ(quint8(c.rig.device.flash().at(8190)), 0x9C);

    c.rig.clearWire();
    c.state.setSelectedTarget(CalibrationState::kTargetEeprom);
    c.writeCalibration();
    EXPECT_EQ(c.rig.wire(), "WE9C01FF#");
    EXPECT_EQ(quint8(c.rig.device.eeprom().at(511)), 0x9C);
    EXPECT_TRUE(c.prompts.warnings.isEmpty());
}

TEST(Calibration, LowerCaseRepliesAreSentUpperCase) {
    CalibrationRig c("ATMEGA48");
    c.rig.device.faults().lowerCaseHex = true;
    c.rig.device.calibration()[0] = 0xAB;
    c.bytes.readCalibrationBytes();
    EXPECT_EQ(c.state.slotValue(3), "AB");
    c.state.setSelectedTarget(CalibrationState::kTargetEeprom);
    c.rig.clearWire();
    c.writeCalibration();
    EXPECT_EQ(c.rig.wire(), "WEAB00FF#");
}

TEST(Calibration, WriteRefusesBadAddressesAndMissingValues) {
    CalibrationRig c("ATMEGA8");
    c.bytes.readCalibrationBytes();
    c.state.setSelectedSlot(0);
    c.state.setSelectedTarget(CalibrationState::kTargetFlash);
    c.rig.clearWire();
    // (text before, text typed): each leaves a box the programmer would misread.
    const std::pair<const char*, const char*> typed[] = {
        {"81", "81a1"}, {"0", ""}, {"0", "-1"}, {"100", " 100"}};
    for (const auto& [before, text] : typed) {
        type(c.model.flashCalibrationAddress(), before, text);
        c.writeCalibration();
    }
    EXPECT_EQ(c.prompts.lines(), QStringList(4, kTitle + QStringLiteral("|地址框数据格式错误!")));

    // After a read that failed the slots hold stale values: nothing to write.
    c.prompts.warnings.clear();
    c.model.flashCalibrationAddress().setText("100");
    c.rig.device.faults().silent = true;
    c.bytes.readCalibrationBytes();
    EXPECT_EQ(c.rig.log.last(), QStringLiteral("校准字节:---"));
    EXPECT_TRUE(c.state.isWriteEnabled());
    const QByteArray afterRead = c.rig.wire();
    c.writeCalibration();
    c.state.setSelectedSlot(std::nullopt);
    c.writeCalibration();
    EXPECT_EQ(c.rig.wire(), afterRead);
    EXPECT_EQ(c.prompts.lines(), QStringList(2, kTitle + "|" + CalibrationBytes::noValueText()));
    EXPECT_FALSE(c.rig.log.contains(QStringLiteral("写校准字节结束!")));
}

TEST(Calibration, EachWriteWaitsAtMost100msForItsAcknowledgement) {
    CalibrationRig c("ATMEGA8");
    c.bytes.readCalibrationBytes();
    c.state.setSelectedSlot(1);
    c.rig.device.faults().silent = true;
    const auto elapsedUs = [&](CalibrationBytes&) {
        const qint64 start = c.rig.clock.nowUs();
        c.writeCalibration();
        return c.rig.clock.nowUs() - start;
    };
    c.state.setSelectedTarget(CalibrationState::kTargetFlash);
    const qint64 flashUs = elapsedUs(c.bytes);
    // The acknowledgement wait counts whole milliseconds of the clock.
    EXPECT_GE(flashUs, 99'000);
    EXPECT_LE(flashUs, 100'000);
    // Into EEPROM one more millisecond follows.
    c.state.setSelectedTarget(CalibrationState::kTargetEeprom);
    const qint64 eepromUs = elapsedUs(c.bytes);
    EXPECT_GT(eepromUs, flashUs + 1'000);
    EXPECT_LT(eepromUs, 101'500);
    // Each write ends with its usual line, then says that the byte went unacknowledged.
    const QString missing = QStringLiteral("1个字节没有得到编程器确认（\"!\"），可能未写入!");
    EXPECT_EQ(c.rig.log.mid(1), (QStringList{QStringLiteral("写校准字节结束!"), missing,
                                             QStringLiteral("写校准字节结束!"), missing}));
    EXPECT_EQ(c.prompts.lines(), QStringList(2, kTitle + "|" + missing));
}

TEST(SingleAccess, ReadsAndWritesAtTheTypedAddress) {
    CalibrationRig c("ATMEGA8");
    c.rig.device.flash()[20] = char(0x12);
    c.rig.device.flash()[21] = char(0x34);
    c.model.singleAccessAddress(0).setText("10");
    c.singleRead(0);
    EXPECT_EQ(c.rig.wire(), "RW000A#");
    EXPECT_EQ(c.data.dataText(0), "1234");

    c.rig.clearWire();
    c.model.singleAccessAddress(1).setText("300");
    c.data.setDataText(1, "a");
    c.singleWrite(1);
    c.singleRead(1);
    EXPECT_EQ(c.rig.wire(), "WE0A012C#RB012C#");
    EXPECT_EQ(c.data.dataText(1), "0A");

    c.rig.clearWire();
    c.data.setDataText(0, "5a");
    c.model.singleAccessAddress(0).setText("4095");
    c.singleWrite(0);
    EXPECT_EQ(c.rig.wire(), "WW005A0FFF#");
    EXPECT_EQ(quint8(c.rig.device.flash().at(8191)), 0x5A);
    EXPECT_TRUE(c.prompts.warnings.isEmpty());
    EXPECT_TRUE(c.rig.log.isEmpty());
}

TEST(SingleAccess, RefusesWhatTheProgrammerWouldMisread) {
    CalibrationRig c("ATMEGA8");
    type(c.model.singleAccessAddress(1), "0", "");
    c.singleWrite(1);
    c.singleRead(1);
    type(c.model.singleAccessAddress(1), "1", "1x");
    c.singleWrite(1);
    EXPECT_EQ(c.prompts.lines(), QStringList(3, kTitle + QStringLiteral("|地址框数据格式错误!")));

    c.prompts.warnings.clear();
    c.model.singleAccessAddress(1).setText("5");
    for (const QString text : {"", "123", "G1", "-1"}) {
        c.data.setDataText(1, text);
        c.singleWrite(1);
    }
    c.data.setDataText(0, "12345");
    c.singleWrite(0);
    EXPECT_EQ(c.prompts.lines(), QStringList(5, kTitle + "|" + SingleAccess::dataFormatError()));
    EXPECT_TRUE(c.rig.wire().isEmpty());
}

TEST(SingleAccess, NoReplyEmptiesTheDataBoxAndEachAccessSaysSo) {
    CalibrationRig c("ATMEGA8");
    c.rig.device.faults().silent = true;
    c.model.singleAccessAddress(0).setText("0");
    c.data.setDataText(0, "1234");
    c.singleRead(0);
    EXPECT_EQ(c.rig.wire(), "RW0000#");
    EXPECT_EQ(c.data.dataText(0), "");
    c.model.singleAccessAddress(1).setText("0");
    c.data.setDataText(1, "55");
    c.singleWrite(1);
    EXPECT_EQ(c.rig.wire(), "RW0000#WE550000#");
    EXPECT_EQ(c.rig.log, QStringList(2, QStringLiteral("编程器无反应!")));
    EXPECT_TRUE(c.prompts.warnings.isEmpty());
}

}  // namespace
}  // namespace kv
