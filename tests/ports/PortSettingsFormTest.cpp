// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "PortFormFixture.h"
#include "ports/PortSettingsFields.h"

namespace kv {
namespace {

TEST(PortSettingsFieldsTest, ParsesBothStopBitWidthsAndEitherParityCase) {
    const PortSettingsFields plain = PortSettingsFields::parse(QStringLiteral("115200,n,8,1"));
    EXPECT_EQ(plain.speed, QStringLiteral("115200"));
    EXPECT_EQ(plain.parityIndex, 2);  // None
    EXPECT_EQ(plain.dataBits, QStringLiteral("8"));
    EXPECT_EQ(plain.stopBits, QStringLiteral("1"));

    const PortSettingsFields half = PortSettingsFields::parse(QStringLiteral("9600,O,7,1.5"));
    EXPECT_EQ(half.speed, QStringLiteral("9600"));
    EXPECT_EQ(half.parityIndex, 1);  // Odd
    EXPECT_EQ(half.dataBits, QStringLiteral("7"));
    EXPECT_EQ(half.stopBits, QStringLiteral("1.5"));

    EXPECT_EQ(PortSettingsFields::parse(QStringLiteral("57600,S,5,2")).parityIndex, 4);
    EXPECT_EQ(PortSettingsFields::parse(QStringLiteral("57600,x,5,2")).parityIndex, -1);
    // Too short to hold four fields: nothing selected, nothing read out of range.
    const PortSettingsFields junk = PortSettingsFields::parse(QStringLiteral("1.5"));
    EXPECT_TRUE(junk.speed.isEmpty());
    EXPECT_EQ(junk.parityIndex, -1);
}

TEST(PortSettingsFieldsTest, TextTrimsFieldsAndUsesTheEntryInitial) {
    PortSettingsFields fields;
    fields.speed = QStringLiteral(" 38400 ");
    fields.parityIndex = 3;  // Mark
    fields.dataBits = QStringLiteral("7");
    fields.stopBits = QStringLiteral("1.5 ");
    EXPECT_EQ(fields.toText(), QStringLiteral("38400,M,7,1.5"));
    // The text parses back to the same boxes.
    const PortSettingsFields back = PortSettingsFields::parse(fields.toText());
    EXPECT_EQ(back.parityIndex, 3);
    EXPECT_EQ(back.stopBits, QStringLiteral("1.5"));
}

using PortSettingsFormTest = test::PortFormFixture;

TEST_F(PortSettingsFormTest, OpensWithThePortsCurrentState) {
    PortSettingsForm& f = makeForm();
    EXPECT_EQ(PortSettingsForm::portEntries().at(f.portIndex()), QStringLiteral("COM1"));
    EXPECT_EQ(f.speed(), QStringLiteral("115200"));
    EXPECT_EQ(PortSettingsFields::parityEntries().at(f.parityIndex()), QStringLiteral("None"));
    EXPECT_EQ(f.dataBits(), QStringLiteral("8"));
    EXPECT_EQ(f.stopBits(), QStringLiteral("1"));
    EXPECT_EQ(PortSettingsForm::flowEntries().at(f.flowIndex()), QStringLiteral("没有"));
    EXPECT_FALSE(f.echo());

    rig.port.setSettings(QStringLiteral("38400,E,7,1.5"));
    rig.port.setHandshaking(2);
    state.echo = true;
    f.fill();
    EXPECT_EQ(f.speed(), QStringLiteral("38400"));
    EXPECT_EQ(PortSettingsFields::parityEntries().at(f.parityIndex()), QStringLiteral("Even"));
    EXPECT_EQ(f.dataBits(), QStringLiteral("7"));
    EXPECT_EQ(f.stopBits(), QStringLiteral("1.5"));
    EXPECT_EQ(f.flowIndex(), 2);
    EXPECT_TRUE(f.echo());
}

TEST_F(PortSettingsFormTest, OkAssignsAndStoresTheChoices) {
    PortSettingsForm& f = makeForm();
    f.setParityIndex(1);  // Odd
    f.setStopBits(QStringLiteral("2"));
    f.setFlowIndex(3);
    f.setEcho(true);
    ASSERT_TRUE(f.apply());
    EXPECT_EQ(rig.port.settings(), QStringLiteral("115200,O,8,2"));
    EXPECT_EQ(rig.port.handshaking(), 3);
    EXPECT_TRUE(rig.port.isOpen());  // open before, open after
    EXPECT_EQ(stored(QStringLiteral("设置")), QStringLiteral("115200,O,8,2"));
    EXPECT_EQ(stored(QStringLiteral("通信端口")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("握手")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("回应")), QStringLiteral("True"));
    EXPECT_TRUE(state.echo);
    EXPECT_EQ(panel, QStringLiteral("\u3000\u3000COM1:115200,O,8,2"));
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(prompts.warnings.isEmpty());
}

TEST_F(PortSettingsFormTest, OkOnAMissingPortRestoresThePreviousOne) {
    PortSettingsForm& f = makeForm();
    f.setPortIndex(4);  // COM5: nothing there
    f.setParityIndex(0);
    EXPECT_FALSE(f.apply());
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_EQ(prompts.titles()[0], QStringLiteral("警告提示\u3000\u3000\u3000\u3000\u3000"));
    EXPECT_FALSE(prompts.texts()[0].isEmpty());
    EXPECT_EQ(f.portIndex(), 0);
    EXPECT_EQ(rig.port.portNumber(), 1);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.settings(), QStringLiteral("115200,n,8,1"));
    EXPECT_TRUE(stored(QStringLiteral("设置")).isEmpty());
    EXPECT_TRUE(panel.isEmpty());

    // A port that was closed stays closed.
    rig.port.setOpen(false);
    f.setPortIndex(4);
    EXPECT_FALSE(f.apply());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 1);
}

TEST_F(PortSettingsFormTest, RefusedSettingsStoreNothing) {
    rig.port.setOpen(false);
    PortSettingsForm& f = makeForm();
    f.setPortIndex(0);
    f.setSpeed(QStringLiteral("fast"));
    EXPECT_FALSE(f.apply());
    EXPECT_EQ(prompts.warnings.size(), 1);
    EXPECT_FALSE(rig.port.isOpen());  // the test open was undone
    EXPECT_TRUE(stored(QStringLiteral("通信端口")).isEmpty());
    EXPECT_TRUE(panel.isEmpty());
}

}  // namespace
}  // namespace kv
