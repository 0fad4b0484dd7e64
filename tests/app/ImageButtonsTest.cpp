// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "app/ImageFileDialogs.h"
#include "app/RecentFiles.h"
#include "tests/images/ImageRig.h"

using kv::MemoryImage;
using kv::test::hexEnd;
using kv::test::hexRecord;
using kv::test::ImageRig;
using kv::test::readFile;

namespace {

TEST(OpenButtons, AskWithTheirFiltersAndRememberThePathEvenWhenTheLoadFails) {
    ImageRig rig;
    rig.flash.setPathText(QStringLiteral("/old/place/a.hex"));
    const QString good = rig.write(QStringLiteral("Prog.hex"),
                                   hexRecord(0, 0, QByteArray(4, char(0x11))) + hexEnd());
    rig.prompts.answers << good;
    kv::openImageFile(rig.files, rig.flash, rig.prompts, rig.settings);
    ASSERT_EQ(rig.prompts.openRequests.size(), 1);
    EXPECT_EQ(rig.prompts.openRequests[0].filter,
              QStringLiteral("所有支持的文件|*.HEX;*.BIN;*.ELF|"
                             "Intel HEX 文件 (*.HEX)|*.HEX|二进制文件(*.BIN)|*.BIN|"
                             "ELF 文件(*.ELF)|*.ELF|所有文件|*"));
    EXPECT_EQ(rig.prompts.openRequests[0].filterIndex, 1);
    EXPECT_EQ(rig.prompts.openRequests[0].initialDir, QStringLiteral("/old/place/a.hex"));
    // The box keeps the chosen text as it was, not the upper-cased form.
    EXPECT_EQ(rig.flash.pathText(), good);
    EXPECT_EQ(rig.flash.image().text(), QStringLiteral("11111111"));
    EXPECT_EQ(rig.settings.read(QStringLiteral("FLASH"), QStringLiteral("文件")), good);

    const QString broken = rig.write(QStringLiteral("bad.eep"), ":1000\r\n");
    rig.prompts.answers << broken;
    kv::openImageFile(rig.files, rig.eeprom, rig.prompts, rig.settings);
    EXPECT_EQ(
        rig.prompts.openRequests[1].filter,
        QStringLiteral("所有支持的文件|*.EEP;*.HEX;*.BIN;*.ELF|"
                       "EEPROM文件(*.EEP)|*.EEP|二进制文件(*.BIN)|*.BIN|Intel Hex文件(*.HEX)|*.HEX|"
                       "ELF 文件(*.ELF)|*.ELF|所有文件|*"));
    EXPECT_EQ(rig.eeprom.pathText(), broken);
    EXPECT_EQ(rig.settings.read(QStringLiteral("EEPROM"), QStringLiteral("文件")), broken);
    EXPECT_EQ(rig.prompts.warnings.size(), 1);
}
TEST(OpenButtons, CancelChangesNothing) {
    ImageRig rig;
    rig.eeprom.setPathText(QStringLiteral("/x/y.eep"));
    rig.eeprom.showImage(MemoryImage(QStringLiteral("AA")));
    kv::openImageFile(rig.files, rig.eeprom, rig.prompts, rig.settings);
    EXPECT_EQ(rig.eeprom.pathText(), QStringLiteral("/x/y.eep"));
    EXPECT_EQ(rig.eeprom.image().text(), QStringLiteral("AA"));
    EXPECT_TRUE(rig.settings.read(QStringLiteral("EEPROM"), QStringLiteral("文件")).isEmpty());
    EXPECT_TRUE(rig.log.isEmpty());
}
TEST(SaveButtons, SaveWhatIsChosenAndReportAFailureLeavingTheOldFile) {
    ImageRig rig;
    rig.flash.showImage(MemoryImage(QStringLiteral("0102")));
    const QString target = rig.dir.filePath(QStringLiteral("flash.bin"));
    rig.prompts.answers << target;
    kv::saveImageFile(rig.flash, rig.prompts, rig.settings);
    ASSERT_EQ(rig.prompts.saveRequests.size(), 1);
    EXPECT_EQ(rig.prompts.saveRequests[0].filter, QStringLiteral("二进制文件(*.BIN)|*.BIN"));
    EXPECT_EQ(rig.prompts.saveRequests[0].filterIndex, 1);
    EXPECT_TRUE(rig.prompts.saveRequests[0].initialDir.isEmpty());
    EXPECT_EQ(readFile(target), QByteArray("\x01\x02"));
    EXPECT_TRUE(rig.prompts.warnings.isEmpty());

    rig.eeprom.showImage(MemoryImage(QStringLiteral("AA")));
    rig.prompts.answers << rig.dir.filePath(QStringLiteral("no/such/folder/e.bin"));
    kv::saveImageFile(rig.eeprom, rig.prompts, rig.settings);
    ASSERT_EQ(rig.prompts.warnings.size(), 1);
    EXPECT_EQ(rig.prompts.warnings[0].first, rig.settings.applicationName());
    EXPECT_TRUE(rig.prompts.warnings[0].second.startsWith(QStringLiteral("EEPROM文件保存失败！")));

    // Cancel: nothing written, nothing shown.
    kv::saveImageFile(rig.flash, rig.prompts, rig.settings);
    EXPECT_EQ(rig.prompts.warnings.size(), 1);
    EXPECT_EQ(readFile(target), QByteArray("\x01\x02"));
}

// The recent list: newest first, each file once, at most kLimit, and the
// files deleted since are neither offered nor kept.
TEST(RecentFiles, NewestFirstBoundedAndWithoutDeletedFiles) {
    ImageRig rig;
    kv::RecentFiles recent(rig.settings);
    QStringList written;
    for (int i = 0; i <= kv::RecentFiles::kLimit; ++i)
        written << rig.write(QStringLiteral("f%1.hex").arg(i), ":00000001FF\r\n");
    for (const QString& path : written)
        recent.add(path);
    recent.add(written[2]);
    QStringList expected = written.mid(1);
    std::reverse(expected.begin(), expected.end());
    expected.move(expected.indexOf(written[2]), 0);
    EXPECT_EQ(recent.entries(), expected);
    QFile::remove(written[2]);
    expected.removeFirst();
    EXPECT_EQ(recent.entries(), expected);
    EXPECT_EQ(rig.settings.read(QStringLiteral("最近打开"), QStringLiteral("文件")),
              expected.join(u'\n'));
}

}  // namespace
