// SPDX-License-Identifier: MIT
// The window's firmware update, driven without widgets, replaces the open
// programmer's firmware through its own loader on the simulated board, and
// the new firmware answers. Runs on the board's simulated clock.
#include <gtest/gtest.h>
#include <sim_avr.h>

#include <QFileInfo>
#include <QStringDecoder>
#include <cstring>

#include "avr/BoardSerialControl.h"
#include "avr/ProgrammerBoard.h"
#include "firmware/FirmwareUpdate.h"
#include "link/ProgrammerLink.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"

namespace kv::sim::avr {
namespace {

const QString kFirmware = QStringLiteral(KV_BIN_DIR "/firmware/kelvaro-programmer.elf");
// The firmware alone, as the window's update sends it.
const QString kFirmwareBin = QStringLiteral(KV_BIN_DIR "/firmware/kelvaro-programmer.bin");

TEST(FirmwareLoader, WindowUpdateReplacesTheFirmwareThroughTheLoader) {
    ASSERT_TRUE(QFileInfo::exists(kFirmware)) << "the firmware is not built";
    ProgrammerBoard board(QStringLiteral("ATMEGA8"));
    QString error;
    ASSERT_TRUE(board.loadFirmware(kFirmware, &error)) << error.toStdString();
    ASSERT_TRUE(board.hasBootSection()) << "the firmware carries no loader";

    // The application gone from the board: only what the loader writes can
    // answer afterwards.
    avr_t* core = board.core();
    std::memset(core->flash, 0xFF, size_t(board.bootAddress()));
    const QByteArray application = test::readFile(kFirmwareBin);
    ASSERT_GT(application.size(), 256);

    test::TempSettings store;
    const QString file = test::writeFile(store.fileIn(QStringLiteral("FW.BIN")), application);
    BoardSerialControl port(board);
    BoardClock clock(board);
    BoardPump pump(port);
    ProgrammerLink link(port, clock, pump, [](const QString&) {});
    port.setOpen(true);
    test::FakePrompts prompts;
    FirmwareUpdate update(link, store, prompts, [] {});
    update.setFileName(file);
    update.setPageOption(2);  // 128-byte pages
    bool restarted = false;
    pump.onYield = [&] {
        // The user presses the board's reset button when asked to.
        if (!restarted && update.phase() == FirmwareUpdate::Phase::WaitingForLoader) {
            restarted = true;
            board.pressReset();
        }
    };
    update.upgrade();
    EXPECT_EQ(update.lastOutcome(), FirmwareUpdate::Outcome::Done) << update.status().toStdString();

    // The loader writes its last page and starts the new firmware, which answers.
    if (!port.isOpen())
        port.setOpen(true);
    link.delayMs(1000);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(core->flash), int(application.size())),
              application);
    link.discardInput();
    link.sendCommand(QStringLiteral("CC#"));
    EXPECT_TRUE(link.waitForText(250, QStringLiteral("连接成功!")));
}

}  // namespace
}  // namespace kv::sim::avr
