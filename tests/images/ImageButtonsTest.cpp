// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFileInfo>

#include "ImageRig.h"

using kv::MemoryImage;
using kv::test::hexEnd;
using kv::test::hexRecord;
using kv::test::ImageRig;
using kv::test::readFile;

namespace {

TEST(saveImageToBin, WritesTheBytesAndReplacesALongerFileExactly) {
    ImageRig rig;
    const QString path = rig.write(QStringLiteral("out"), QByteArray(100, 'z'));
    ASSERT_TRUE(kv::saveImageToBin(MemoryImage(QStringLiteral("00ff7Fa5")), path));
    EXPECT_EQ(readFile(path), QByteArray::fromHex("00FF7FA5"));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".BIN")));

    ASSERT_TRUE(kv::saveImageToBin(MemoryImage(), path));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}
TEST(saveImageToBin, AGapFromAHexFileSavesAsFFAndLoadsBackTheSame) {
    ImageRig rig;
    QString hex = rig.write(QStringLiteral("gap.hex"),
                            hexRecord(0, 0, QByteArray(2, char(0xAB))) +
                                hexRecord(4, 0, QByteArray(2, char(0xCD))) + hexEnd());
    ASSERT_EQ(rig.load(kv::MemoryKind::Flash, hex), kv::LoadStatus::Loaded);
    const QString bin = rig.dir.filePath(QStringLiteral("copy.bin"));
    ASSERT_TRUE(kv::saveImageToBin(rig.flash.image(), bin));
    EXPECT_EQ(readFile(bin), QByteArray::fromHex("ABABFFFFCDCD"));
    QString again = bin;
    ASSERT_EQ(rig.load(kv::MemoryKind::Eeprom, again), kv::LoadStatus::Loaded);
    EXPECT_EQ(rig.eeprom.image(), rig.flash.image());
}
TEST(saveImageToBin, ATargetThatCannotBeReplacedFailsAndStaysAsItWas) {
    ImageRig rig;
    // A folder in the way of the temporary file's rename: the save must fail
    // and the good file beside it must be untouched.
    const QString path = rig.dir.filePath(QStringLiteral("folder.bin"));
    QDir(rig.dir.path()).mkdir(QStringLiteral("folder.bin"));
    QString error;
    EXPECT_FALSE(kv::saveImageToBin(MemoryImage(QStringLiteral("01")), path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

}  // namespace
