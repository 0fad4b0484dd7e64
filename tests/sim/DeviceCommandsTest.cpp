// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "SimBench.h"
#include "sim/ProgrammerTexts.h"

using kv::test::SimBench;
namespace texts = kv::sim::texts;

TEST(DeviceCommands, ConnectionCheckAndVersionAnswerTheirTexts) {
    SimBench bench;
    const QByteArray connected = bench.exchange("CC#");
    EXPECT_EQ(connected, QByteArray("\xC1\xAC\xBD\xD3\xB3\xC9\xB9\xA6!"));  // 连接成功! in GBK
    EXPECT_EQ(bench.exchange("FM#"), bench.device.firmwareVersionText);
    // Line ends a terminal adds between commands are ignored.
    EXPECT_EQ(bench.exchange("\r\nCC#"), connected);
}

TEST(DeviceCommands, InformationBytesAreSignatureThenCalibration) {
    SimBench bench("ATMEGA88");
    EXPECT_EQ(bench.exchange("RI00#") + bench.exchange("RI01#") + bench.exchange("RI02#"),
              "1E930A");
    const QByteArray cal = bench.exchange("RI80#");
    EXPECT_EQ(cal.size(), 2);
    EXPECT_NE(cal, "FF");
    // One calibration byte on this model; undefined addresses read as FF.
    EXPECT_EQ(bench.exchange("RI81#"), "FF");
    EXPECT_EQ(bench.exchange("RI03#"), "FF");
    EXPECT_EQ(bench.exchange("RIFF#"), "FF");

    SimBench mega8;
    mega8.device.calibration() = {0x9C, 0xA0, 0xA7, 0xB1};
    EXPECT_EQ(mega8.exchange("RI80#") + mega8.exchange("RI83#"), "9CB1");
    SimBench mega161("ATMEGA161");
    EXPECT_EQ(mega161.exchange("RI80#"), "FF");
}

TEST(DeviceCommands, FuseReadGivesLockExtendedHighLow) {
    SimBench mega8;
    EXPECT_EQ(mega8.exchange("RS#"), "FFFFD9E1");
    SimBench mega88("ATMEGA88");
    EXPECT_EQ(mega88.exchange("RS#"), "FFF9DF62");
    SimBench tiny("ATTINY2313");
    EXPECT_EQ(tiny.exchange("RS#"), "FFFFDF64");
}

TEST(DeviceCommands, FuseWriteSetsBytesAndKeepsUnusedBitsAtOne) {
    SimBench mega88("ATMEGA88");
    EXPECT_EQ(mega88.exchange("WSF9DF60#", 200), SimBench::gbk(texts::kFusesWritten));
    EXPECT_EQ(mega88.exchange("RS#"), "FFF9DF60");
    // Only SELFPRGEN/BOOTSZ exist in the extended byte: the rest reads as 1.
    mega88.exchange("WS00DF60#", 200);
    EXPECT_EQ(mega88.device.extended, 0xF8);

    SimBench mega8;
    EXPECT_EQ(mega8.exchange("WS..C9E4#", 200), SimBench::gbk(texts::kFusesWritten));
    EXPECT_EQ(mega8.exchange("RS#"), "FFFFC9E4");
    // A model without an extended byte ignores one that is sent.
    mega8.exchange("WS00C9E4#", 200);
    EXPECT_EQ(mega8.exchange("RS#"), "FFFFC9E4");
}

TEST(DeviceCommands, FuseWriteRefusesLowerCaseAndBadFields) {
    SimBench bench;
    const QByteArray refusal = SimBench::gbk(texts::kBadArguments);
    EXPECT_EQ(bench.exchange("WS..d9E0#", 200), refusal);
    EXPECT_EQ(bench.exchange("WS..D9E#", 200), refusal);
    EXPECT_EQ(bench.exchange("WS.D9E01#", 200), refusal);
    EXPECT_EQ(bench.device.low, 0xE1);
    EXPECT_EQ(bench.device.high, 0xD9);
}

TEST(DeviceCommands, LockBitsOnlyProgramUntilErase) {
    SimBench bench;
    EXPECT_EQ(bench.exchange("WLFC#"), SimBench::gbk(texts::kLockWritten));
    EXPECT_EQ(bench.exchange("RS#").left(2), "FC");
    bench.exchange("WLF3#");  // cannot bring bits back to 1
    EXPECT_EQ(bench.device.lock, 0xF0);
    bench.exchange("WL00#");  // bits 6 and 7 do not exist on an ATMEGA8
    EXPECT_EQ(bench.device.lock, 0xC0);
    EXPECT_EQ(bench.exchange("EM#"), SimBench::gbk(texts::kErased));
    EXPECT_EQ(bench.device.lock, 0xFF);
}

TEST(DeviceCommands, EraseClearsMemoriesUnlessEepromIsSaved) {
    SimBench bench;
    bench.device.flash()[100] = 0x12;
    bench.device.eeprom()[5] = 0x34;
    bench.exchange("EM#");
    EXPECT_EQ(bench.device.flash(), QByteArray(8192, char(0xFF)));
    EXPECT_EQ(bench.device.eeprom(), QByteArray(512, char(0xFF)));

    bench.device.eeprom()[5] = 0x34;
    bench.exchange("WS..D1E1#", 200);  // EESAVE (high bit 3) programmed
    bench.device.flash()[100] = 0x12;
    bench.exchange("EM#");
    EXPECT_EQ(quint8(bench.device.flash()[100]), 0xFF);
    EXPECT_EQ(bench.device.eeprom()[5], 0x34);
}

TEST(DeviceCommands, LockedChipRefusesWritesAndHidesMemories) {
    SimBench bench;
    bench.device.flash()[0] = 0x5A;
    bench.exchange("WLFC#");  // LB1 and LB2 programmed
    EXPECT_EQ(bench.exchange("WE110000#"), "!");
    EXPECT_EQ(quint8(bench.device.eeprom()[0]), 0xFF);
    EXPECT_EQ(bench.exchange("RF0002#"), "FFFF");
    EXPECT_EQ(bench.exchange("WS..C9E4#", 200), SimBench::gbk(texts::kFusesNotWritten));
    EXPECT_EQ(bench.device.high, 0xD9);
    // Recovery erases the chip first, then sets the fuses.
    EXPECT_EQ(bench.exchange("SS..C9E4#", 800), SimBench::gbk(texts::kFusesRecovered));
    EXPECT_EQ(bench.exchange("RS#"), "FFFFC9E4");
    EXPECT_EQ(quint8(bench.device.flash()[0]), 0xFF);

    bench.device.enforceLockBits = false;
    bench.device.flash()[0] = 0x5A;
    bench.exchange("WLFC#");
    EXPECT_EQ(bench.exchange("RF0001#"), "5A");
}

TEST(DeviceCommands, EepromByteWriteReplacesAndReadsBack) {
    SimBench bench;
    EXPECT_EQ(bench.exchange("WEA501FF#"), "!");
    EXPECT_EQ(quint8(bench.device.eeprom()[0x1FF]), 0xA5);
    EXPECT_EQ(bench.exchange("WE5A01FF#"), "!");  // EEPROM writes erase the byte first
    EXPECT_EQ(bench.exchange("RB01FF#"), "5A");
    // Addresses beyond the chip wrap: 0x200 is byte 0 of a 512-byte EEPROM.
    bench.exchange("WE120200#");
    EXPECT_EQ(bench.device.eeprom()[0], 0x12);
}

TEST(DeviceCommands, FlashWordWriteStoresEvenByteFirstAndOnlyClearsBits) {
    SimBench bench;
    EXPECT_EQ(bench.exchange("WW12340010#"), "!");
    EXPECT_EQ(bench.device.flash().mid(0x20, 2), QByteArray("\x12\x34"));
    EXPECT_EQ(bench.exchange("RW0010#"), "1234");
    bench.exchange("WWFF0F0010#");
    EXPECT_EQ(bench.exchange("RW0010#"), "1204");
    // Word address 0x1000 is beyond 8 KiB and wraps to word 0.
    bench.exchange("WW00FF1000#");
    EXPECT_EQ(bench.exchange("RW0000#"), "00FF");
}

TEST(DeviceCommands, MemoryReadsSendTwoDigitsPerByteFromAddressZero) {
    SimBench bench;
    bench.device.flash().replace(0, 3, QByteArray("\x0A\xB0\x7F", 3));
    EXPECT_EQ(bench.exchange("RF0004#"), "0AB07FFF");
    bench.device.eeprom()[1] = 0x01;
    EXPECT_EQ(bench.exchange("RE0002#"), "FF01");
    EXPECT_EQ(bench.exchange("RE0000#"), "");
    const QByteArray whole = bench.exchange("RF2000#", 2000);
    EXPECT_EQ(whole.size(), 16384);
    EXPECT_TRUE(whole.startsWith("0AB07FFF"));
}

TEST(DeviceCommands, UnknownAndMalformedCommandsGetErrorTexts) {
    SimBench bench;
    const QByteArray unknown = SimBench::gbk(texts::kUnknownCommand);
    const QByteArray bad = SimBench::gbk(texts::kBadArguments);
    EXPECT_EQ(bench.exchange("XY#"), unknown);
    EXPECT_EQ(bench.exchange("cc#"), unknown);
    EXPECT_EQ(bench.exchange("#"), unknown);
    EXPECT_EQ(bench.exchange("CCX#"), bad);
    EXPECT_EQ(bench.exchange("RF04#"), bad);
    EXPECT_EQ(bench.exchange("RI8a#"), bad);
    EXPECT_EQ(bench.exchange("RW00g0#"), bad);
    // A stray byte spoils a command that follows at once, not one that comes later.
    EXPECT_EQ(bench.exchange("ZCC#"), unknown);
    bench.exchange("Z", 200);
    EXPECT_EQ(bench.exchange("CC#"), SimBench::gbk(texts::kConnected));
}
