// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QPushButton>

#include "tests/support/TestFiles.h"
#include "tests/ui/WindowRig.h"
#include "ui/FuseFrame.h"
#include "ui/MainToolbar.h"

namespace kv::test {
namespace {

// The window's path for an ELF file: its open button, then the menu entry
// that shows the file's fuse and lock bytes in the frames, nothing sent.
TEST(ElfFusesWindow, OpenedFileAndMenuEntryShowItsBytesInTheFrames) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    rig.p.prompts.answers << testImage("fuses_m8.elf");
    w.openFileButton(0)->click();
    ASSERT_FALSE(rig.wb().session().flash().image().isEmpty());
    EXPECT_EQ(w.fuseFrame(0)->title(), "熔丝低字节[E1]");
    rig.p.device.clearTranscript();

    w.toolbar()->menuEntry("FileFuses")->trigger();
    EXPECT_EQ(w.fuseFrame(0)->title(), "熔丝低字节[E4]");
    EXPECT_EQ(w.fuseFrame(1)->title(), "熔丝高字节[C9]");
    EXPECT_EQ(w.fuseFrame(3)->title(), "锁定位[FC]");
    EXPECT_EQ(rig.p.device.transcript(), "");
}

}  // namespace
}  // namespace kv::test
