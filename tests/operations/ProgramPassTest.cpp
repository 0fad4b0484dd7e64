// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "catalogue/ModelState.h"
#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "operations/CalibrationBytes.h"
#include "operations/CalibrationState.h"
#include "operations/OutcomeBoxes.h"
#include "operations/ProgramOptions.h"
#include "operations/ProgramPass.h"
#include "operations/WindowEvents.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimRig.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"

namespace kv {
namespace {

using kv::LoadStatus;

const QString kTitle = QStringLiteral("KELVARO V2.0.0　　　　");
const QString kImages = QStringLiteral(KV_TEST_DATA "/images/");

QByteArray hex(int value, int width) {
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}

// The selected model, the chip in the socket and every part the pass drives,
// wired as the window wires them.
struct PassRig {
    PassRig(const QString& selected, const QString& inSocket) : rig(inSocket), settings(kTitle) {
        model.selectModel(selected);
        editor.setDefinitionFolders({QStringLiteral(KV_SOURCE_DIR "/data/Set")});
        editor.loadFuseDefinitions(model.selectedModelName() + ".FUS");
        editor.applyFuseBits(editor.defaultFuseBits());
        options.setFromText("0000000000");
        rig.device.calibration() = {0xA1, 0xB2, 0xC3, 0xD4};
    }

    MemoryGeometry geometry() const {
        return {model.flashSize(), model.eepromSize(), model.flashPageWords()};
    }

    test::SimRig rig;
    test::TempSettings settings;
    test::FakePrompts prompts;
    ModelState model;
    ProgramOptions options;
    ImageSlot flash{MemoryKind::Flash};
    ImageSlot eeprom{MemoryKind::Eeprom};
    FuseEditor editor;
    CalibrationState calibrationState;
    ImageFiles files{flash, eeprom, rig.pump, [this](const QString& m) { rig.log << m; }};
    FuseCommands fuses{rig.programmer, editor};
    CalibrationBytes calibration{rig.programmer, model, calibrationState};
    ProgramPass pass{
        {rig.link, rig.programmer, model, options, flash, eeprom, files, fuses, calibration}};
    bool wired = [this] {
        rig.programmer.setEventSink(windowEvents(rig.link, flash, eeprom));
        return true;
    }();

    // The pass as the window runs it: each finding in a box as it happens,
    // the error that ends it in a box afterwards.
    PassOutcome run() {
        QObject context;
        QObject::connect(&pass, &ProgramPass::stepFinished, &context,
                         [this](const StepOutcome& outcome) {
                             if (const auto box = boxFor(outcome))
                                 prompts.warning(kTitle, *box);
                         });
        QObject::connect(&pass, &ProgramPass::reloadFailed, &context,
                         [this](MemoryKind, const LoadOutcome& outcome) {
                             prompts.warning(settings.applicationName(), outcome.problem);
                         });
        try {
            return pass.runPass();
        } catch (const OperationError& e) {
            prompts.warning(kTitle, e.text());
        }
        return {};
    }
};

TEST(ProgramPass, EveryStepInItsOrderLeavesTheChipProgrammed) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("1111111111");
    p.flash.setPathText(kImages + "blink_m8.hex");
    p.eeprom.setPathText(kImages + "blink_m8.eep");
    // lock: boot section protected only; high 0xD1, low 0xE4.
    p.editor.applyFuseBits("11001111********1101000111100100");
    p.calibrationState.setSelectedSlot(0);
    p.calibrationState.setSelectedTarget(CalibrationState::kTargetFlash);
    QList<bool> running;
    QObject::connect(&p.pass, &ProgramPass::runningChanged, [&](bool on) { running << on; });

    p.run();

    const QByteArray flash = test::readFile(kImages + "blink_m8.bin");
    const QByteArray eeprom = test::readFile(kImages + "blink_m8.eep.bin");
    ASSERT_EQ(flash.size() % 2, 0);
    QByteArray stream;
    stream += char(32);  // page words, then words - 1
    stream += char((flash.size() / 2 - 1) >> 8);
    stream += char((flash.size() / 2 - 1) & 0xFF);
    stream += flash;
    QByteArray writes;
    for (int a = 0; a < eeprom.size(); ++a) {
        writes += "WE" + hex(quint8(eeprom[a]), 2) + hex(a, 4) + "#";
    }
    const QByteArray expected = "RI00#RI01#RI02#EM#WF#" + stream + writes + "RF" +
                                hex(flash.size(), 4) + "#RE" + hex(eeprom.size(), 4) +
                                "#WS..D1E4#WLCF#RI80#RI81#RI82#RI83#WWFFA10FFF#";
    EXPECT_EQ(p.rig.wire(), expected);

    const QByteArray& chip = p.rig.device.flash();
    EXPECT_EQ(chip.left(flash.size()), flash);
    EXPECT_EQ(chip.mid(flash.size(), 8191 - flash.size()),
              QByteArray(8191 - flash.size(), char(0xFF)));
    EXPECT_EQ(quint8(chip.at(8191)), 0xA1);
    EXPECT_EQ(p.rig.device.eeprom().left(eeprom.size()), eeprom);
    EXPECT_EQ(p.rig.device.lock, 0xCF);
    EXPECT_EQ(p.rig.device.high, 0xD1);
    EXPECT_EQ(p.rig.device.low, 0xE4);

    EXPECT_EQ(p.rig.log.first(), QStringLiteral("读标识字:1E9307"));
    EXPECT_TRUE(p.rig.log.contains(QStringLiteral("校验FLASH通过。")));
    EXPECT_EQ(p.rig.log.last(), QStringLiteral("写校准字节结束!"));
    EXPECT_TRUE(p.prompts.warnings.isEmpty()) << p.prompts.lines().join('\n').toStdString();
    EXPECT_EQ(running, QList<bool>({true, false}));
    EXPECT_FALSE(p.rig.link.isBusy());
}

TEST(ProgramPass, SignatureMismatchSendsNothingAfterTheCheck) {
    PassRig p("ATMEGA8", "ATMEGA16");
    p.options.setFromText("1111111111");
    p.flash.setPathText(kImages + "blink_m8.hex");
    p.run();
    EXPECT_EQ(p.rig.wire(), "RI00#RI01#RI02#");
    EXPECT_EQ(p.rig.log, QStringList({QStringLiteral("读标识字:1E9403"),
                                      QStringLiteral("标识字与所选芯片不符!")}));
    EXPECT_TRUE(p.flash.image().isEmpty());  // not even reloaded
    EXPECT_TRUE(p.pass.isStartEnabled());
}

TEST(ProgramPass, ALowerCaseSignatureReplyMatchesByValue) {
    PassRig p("ATMEGA88", "ATMEGA88");
    p.rig.device.faults().lowerCaseHex = true;
    p.options.setFromText("1000001000");  // signature check and erase
    p.run();
    EXPECT_EQ(p.rig.wire(), "RI00#RI01#RI02#EM#");
    EXPECT_EQ(p.rig.log.first(), QStringLiteral("读标识字:1e930a"));
    EXPECT_FALSE(p.rig.log.contains(ProgramPass::mismatchText()));
}

TEST(ProgramPass, MissingFlashFileSkipsOnlyTheFlashWrite) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("0110010000");
    p.flash.setPathText(p.settings.fileIn("gone.hex"));
    p.eeprom.setPathText(kImages + "blink_m8.eep");
    p.run();
    EXPECT_TRUE(p.rig.log.contains(QStringLiteral("FLASH文件没找到!")));
    EXPECT_FALSE(p.rig.wire().contains("WF#"));
    EXPECT_TRUE(p.rig.wire().startsWith("WE"));
    const QByteArray eeprom = test::readFile(kImages + "blink_m8.eep.bin");
    EXPECT_EQ(p.rig.device.eeprom().left(eeprom.size()), eeprom);
    EXPECT_EQ(p.flash.pathText(), p.settings.fileIn("gone.hex"));  // the box keeps its text
}

TEST(ProgramPass, FlashWriteAndVerifyAloneLogThePass) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("0100000010");
    QString path = kImages + "blink_m8.hex";
    ASSERT_EQ(p.files.load(kv::MemoryKind::Flash, path), LoadStatus::Loaded);
    p.rig.log.clear();
    p.run();
    EXPECT_TRUE(p.rig.wire().startsWith("WF#"));
    const QByteArray verify = "RF" + hex(int(p.flash.image().byteCount()), 4) + "#";
    EXPECT_TRUE(p.rig.wire().endsWith(verify));
    EXPECT_EQ(p.rig.log,
              QStringList({QStringLiteral("写FLASH......"), QStringLiteral("FLASH写入完成!"),
                           QStringLiteral("校验FLASH......"), QStringLiteral("校验FLASH通过。")}));
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST(ProgramPass, AReloadThatFailsPartWayWritesNothingAndDoesNotVerifyAFragment) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("0100010010");
    // Two good records, then one whose checksum is off by one.
    const QString broken = test::writeFile(p.settings.fileIn("broken.hex"),
                                           ":100000000C9426000C9426000C9426000C942600D8\r\n"
                                           ":100010000C9426000C9426000C9426000C942600C8\r\n"
                                           ":100020000C9426000C9426000C9426000C942600B9\r\n"
                                           ":00000001FF\r\n");
    p.flash.setPathText(broken);
    p.flash.setImage(MemoryImage(QStringLiteral("0102")));  // whatever was there before
    p.run();
    EXPECT_EQ(p.prompts.lines(),
              QStringList{kTitle +
                          QStringLiteral("|FLASH文件读取错误！\nbroken.hex 第 3 行：校验和错误")});
    EXPECT_TRUE(p.flash.image().isEmpty());
    EXPECT_TRUE(p.rig.wire().isEmpty());
    EXPECT_TRUE(p.rig.log.contains(QStringLiteral("FLASH缓冲区无数据！")));
    EXPECT_FALSE(p.rig.log.contains(QStringLiteral("校验FLASH通过。")));
    EXPECT_EQ(p.flash.pathText(), broken);
}

TEST(ProgramPass, NoBoxTickedSendsAndLogsNothing) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("0000022222");  // greyed boxes do not run
    p.flash.setPathText(kImages + "blink_m8.hex");
    p.run();
    EXPECT_TRUE(p.rig.wire().isEmpty());
    EXPECT_TRUE(p.rig.log.isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST(ProgramPass, PortErrorEndsThePassWithAWarning) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("1100000001");
    p.rig.port.setOpen(false);
    p.run();
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_TRUE(p.prompts.lines().first().startsWith(kTitle + "|"));
    EXPECT_TRUE(p.pass.isStartEnabled());
    EXPECT_FALSE(p.rig.link.isBusy());
}

TEST(ProgramPass, NoSecondPassInsideARunningOne) {
    PassRig p("ATMEGA8", "ATMEGA8");
    p.options.setFromText("1000000000");
    int busyYields = 0;
    p.rig.pump.onYield = [&] {
        busyYields += p.rig.link.isBusy() ? 1 : 0;
        p.run();  // a second click while the first pass waits
    };
    p.run();
    EXPECT_EQ(p.rig.wire(), "EM#");
    EXPECT_GT(busyYields, 0);
}

}  // namespace
}  // namespace kv
