// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "ImageOpsRig.h"
#include "tests/support/TestFiles.h"

using kv::MemoryImage;
using kv::test::ImageOpsRig;
using kv::test::readFile;
using kv::test::testImage;

namespace {

void erase(ImageOpsRig& rig) {
    rig.sim.link.sendCommand(QStringLiteral("EM#"));
    rig.sim.link.logReplyAfter(100);
}

TEST(ImageRoundTrip, A32KiBImageWrittenReadBackAndVerifiedOnAnAtmega32) {
    ImageOpsRig rig(QStringLiteral("ATMEGA32"));
    rig.sim.device.flash() = ImageOpsRig::randomBytes(32768, 30);  // old content
    const QByteArray data = ImageOpsRig::randomBytes(32768, 31);
    erase(rig);
    rig.flash.setImage(MemoryImage::fromBytes(data));
    rig.clearLog();
    rig.sim.clearWire();

    const qint64 writeMs = rig.timed([&] { rig.write(kv::MemoryKind::Flash); });
    EXPECT_EQ(rig.sim.device.flash(), data);
    EXPECT_EQ(rig.sim.wire().size(), 3 + 3 + 32768);
    // Line time of the stream, one page write and acknowledgement per page, and
    // the fixed waits (3 x 50 ms, 200 ms for the closing reply).
    const double floorMs = (3 + 3 + 32768) / 11.52 + 256 * (4.5 + 0.2 + 1 / 11.52) + 350;
    EXPECT_LE(writeMs, 1.05 * floorMs);

    rig.read(kv::MemoryKind::Flash);
    EXPECT_EQ(rig.flash.image().toBytes(), data);
    const qint64 verifyMs = rig.timed([&] { rig.verify(kv::MemoryKind::Flash); });
    EXPECT_EQ(rig.sim.log.last(), QStringLiteral("校验FLASH通过。"));
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
    // The reply flows during the first wait: the floor is the line time alone.
    EXPECT_LE(verifyMs, 1.05 * (7 + 65536) / 11.52);
}

TEST(ImageRoundTrip, ToolchainImagesOnAnAtmega32) {
    ImageOpsRig rig(QStringLiteral("ATMEGA32"));
    const QByteArray program = readFile(testImage("table_m32.bin"));
    const QByteArray eeprom = readFile(testImage("table_m32.eep.bin"));
    ASSERT_FALSE(program.isEmpty());
    rig.flash.setImage(MemoryImage::fromBytes(program));
    rig.eeprom.setImage(MemoryImage::fromBytes(eeprom));
    rig.write(kv::MemoryKind::Flash);
    rig.write(kv::MemoryKind::Eeprom);
    rig.verify(kv::MemoryKind::Flash);
    rig.verify(kv::MemoryKind::Eeprom);
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());
    EXPECT_TRUE(rig.sim.log.contains(QStringLiteral("校验FLASH通过。")));
    EXPECT_TRUE(rig.sim.log.contains(QStringLiteral("校验EEPROM通过。")));
    EXPECT_EQ(rig.sim.device.flash().left(program.size()), program);
    EXPECT_EQ(rig.sim.device.eeprom().left(eeprom.size()), eeprom);
}

TEST(ImageRoundTrip, ATwoByteEepromAndAVerifyThatCatchesAStuckByte) {
    ImageOpsRig rig;
    rig.eeprom.setImage(MemoryImage(QStringLiteral("5AC3")));
    rig.write(kv::MemoryKind::Eeprom);
    EXPECT_EQ(rig.sim.wire(), QByteArray("WE5A0000#WEC30001#"));
    rig.verify(kv::MemoryKind::Eeprom);
    EXPECT_EQ(rig.sim.log.last(), QStringLiteral("校验EEPROM通过。"));

    ImageOpsRig stuck(QStringLiteral("ATMEGA32"));
    stuck.sim.device.faults().stuckFlashByte = 0x123;
    stuck.flash.setImage(MemoryImage::fromBytes(QByteArray(0x400, char(0x42))));
    stuck.write(kv::MemoryKind::Flash);
    stuck.verify(kv::MemoryKind::Flash);
    EXPECT_EQ(stuck.prompts.texts(), QStringList{QStringLiteral("FLASH地址 0123 数据校验失败！")});
}

}  // namespace
