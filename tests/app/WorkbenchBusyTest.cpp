// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>

#include "app/Workbench.h"
#include "schemes/SchemeFile.h"
#include "tests/app/ShellFakes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

// The controller on the simulated programmer, started.
struct BusyRig {
    BusyRig() : wb(p.parts()) {
        wb.start();
        p.device.clearTranscript();
    }
    qsizetype logged(const QString& text) { return wb.session().log().text().count(text); }

    ShellPlatform p;
    Workbench wb;
};

// A FLASH load that yields to the window once per HEX line, started three ways.
struct LoadCase {
    const char* name;
    std::function<void(BusyRig&, const QString& hexPath)> start;
};

const LoadCase kLoads[] = {
    {"open button",
     [](BusyRig& r, const QString& hex) {
         r.p.prompts.answers << hex;
         r.wb.runCommand(CommandId::OpenFlashFile);
     }},
    {"scheme reload",
     [](BusyRig& r, const QString& hex) {
         Scheme scheme = r.wb.schemes().currentScheme();
         scheme.options[5] = 1;  // "文件重载"
         scheme.flashPath = hex;
         const QString path = r.p.settings.fileIn(QStringLiteral("busy.SET"));
         SchemeFile::save(path, scheme);
         r.p.prompts.answers << path;
         r.wb.runCommand(CommandId::LoadScheme);
     }},
    {"programming pass reload",
     [](BusyRig& r, const QString& hex) {
         r.wb.session().options().setFromText(QStringLiteral("0000010000"));
         r.wb.session().flash().setPathText(hex);
         r.wb.runCommand(CommandId::RunPass);
     }},
};

// In the middle of each load the user reads the EEPROM, opens another file,
// restores the default fuse bits, clicks a cell, ticks an option, picks a
// model and closes the window: all of it waits for the load or is refused.
TEST(WorkbenchBusy, CommandsDuringAFileLoadAreRefusedAndCloseWaits) {
    const QString hex = testImage(QStringLiteral("table_m32.hex"));
    const QByteArray whole = readFile(testImage(QStringLiteral("table_m32.bin")));
    for (const LoadCase& load : kLoads) {
        SCOPED_TRACE(load.name);
        BusyRig r;
        int cell = 0;
        while (r.wb.session().fuses().cell(cell).caption == u"*")
            ++cell;
        r.wb.session().fuses().toggleBitCell(cell);
        const QString cells = r.wb.session().fuses().fuseBitString();
        ASSERT_NE(cells, r.wb.session().fuses().defaultFuseBits());
        int closes = 0;
        QObject::connect(&r.wb, &Workbench::closeRequested, [&] { ++closes; });

        bool tried = false;
        bool closeAllowed = true;
        qsizetype dialogs = -1;
        QString options;
        r.p.pump.onYield = [&] {
            if (tried)
                return;
            tried = true;
            options = r.wb.session().options().toText();
            dialogs = r.p.prompts.openRequests.size();
            r.wb.runCommand(CommandId::ReadEeprom);
            r.wb.runCommand(CommandId::OpenFlashFile);
            r.wb.runCommand(CommandId::FuseDefaults);
            EXPECT_FALSE(r.wb.toggleFuseBit(cell));
            EXPECT_FALSE(r.wb.setProgramOption(9, 1));
            r.wb.selectModelFromMenu(QStringLiteral("ATMEGA16"));
            closeAllowed = r.wb.requestClose();
        };
        load.start(r, hex);

        ASSERT_TRUE(tried);
        EXPECT_FALSE(closeAllowed);
        EXPECT_EQ(closes, 1);
        EXPECT_TRUE(r.p.device.transcript().isEmpty());
        EXPECT_EQ(r.p.prompts.openRequests.size(), dialogs);
        EXPECT_EQ(r.wb.session().fuses().fuseBitString(), cells);
        EXPECT_EQ(r.wb.session().options().toText(), options);
        EXPECT_EQ(r.wb.session().model().selectedModelName(), QStringLiteral("ATMEGA8"));
        EXPECT_EQ(r.logged(CommandRunner::busyText()), 6);
        EXPECT_EQ(r.wb.session().flash().image().toBytes(), whole);
        EXPECT_TRUE(r.p.prompts.warnings.isEmpty());
        // Idle again: the same commands run.
        r.p.pump.onYield = nullptr;
        r.wb.runCommand(CommandId::FuseDefaults);
        EXPECT_EQ(r.wb.session().fuses().fuseBitString(), r.wb.session().fuses().defaultFuseBits());
        EXPECT_TRUE(r.wb.requestClose());
    }
}

// The pass writes the cells it found when it started: edits during its
// exchanges are refused, and the chip gets the bits the window still shows.
TEST(WorkbenchBusy, EditsOfCellsAndOptionsDuringAPassAreRefused) {
    BusyRig r;
    FuseEditor& fuses = r.wb.session().fuses();
    int cell = 0;
    while (fuses.cell(cell).caption == u"*")
        ++cell;
    fuses.toggleBitCell(cell);
    const QString cells = fuses.fuseBitString();
    r.wb.session().options().setFromText(QStringLiteral("0001000000"));  // "编程熔丝位" only
    int position = 0;
    for (int i = 0; i < fuses.options().size() && !position; ++i)
        if (!fuses.options()[i].checked)
            position = i + 1;
    ASSERT_GT(position, 0);

    int refused = 0;
    r.p.pump.onYield = [&] {
        if (refused > 0 || !r.wb.session().programPass().isRunning())
            return;
        r.wb.runCommand(CommandId::FuseDefaults);
        refused += !r.wb.toggleFuseBit(cell);
        refused += !r.wb.restoreDefaultFuseBits();
        refused += !r.wb.setFuseOptionChecked(position, true);
        refused += !r.wb.setProgramOption(0, 1);
    };
    r.wb.runCommand(CommandId::RunPass);

    EXPECT_EQ(refused, 4);
    EXPECT_EQ(r.logged(CommandRunner::busyText()), 5);
    EXPECT_EQ(fuses.fuseBitString(), cells);
    EXPECT_EQ(r.wb.session().options().toText(), QStringLiteral("0001000000"));
    EXPECT_EQ(r.p.device.low, fuses.fuseLow());
    EXPECT_EQ(r.p.device.high, fuses.fuseHigh());
    EXPECT_NE(cells, fuses.defaultFuseBits());
}

}  // namespace
}  // namespace kv::test
