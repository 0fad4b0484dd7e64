// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QSet>

#include "record/RecordStore.h"
#include "tests/gang/GangRig.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {
namespace {

using Phase = SocketState::Phase;

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// Four programmers with four different chips; one falls silent in the middle
// of its FLASH write. That socket alone fails, with the reason; the other
// three pass, their chips hold the image and their serial numbers, their
// programmers saw one pass each and nothing else, and the record has every
// number once, with the device it went through.
TEST(GangEndToEnd, ASilentProgrammerFailsOnlyItsOwnSocket) {
    GangRig rig({"ATMEGA8", "ATMEGA16", "ATMEGA32", "ATMEGA88"});
    const QByteArray image = rig.image(8192, 21);
    const QString flash = rig.file("gang.bin", image);
    const QString serial = rig.file("gang.serial",
                                    "name=gang\nstart=500\nstep=1\nwidth=2\nformat=binary-le\n"
                                    "target=eeprom\naddress=0\n");
    rig.runner.setCommand({"write-flash", flash, "--verify"},
                          {"--record", rig.recordUrl(), "--serial", serial});
    constexpr int kSilent = 2;
    bool silenced = false;
    QObject::connect(&rig.runner, &GangRunner::stateChanged, [&](int index) {
        const SocketState& s = rig.runner.state(index);
        if (index == kSilent && !silenced && s.step == u"write flash" && s.progress >= 20) {
            rig.sims[kSilent]->send("fault silent 1");
            silenced = true;
        }
    });
    rig.runner.startAll();
    ASSERT_TRUE(rig.waitForAll());
    ASSERT_TRUE(silenced) << "the write was never seen under way: "
                          << rig.runner.state(kSilent).reason.toStdString();

    const SocketState& failed = rig.runner.state(kSilent);
    EXPECT_EQ(failed.phase, Phase::Failed);
    EXPECT_FALSE(failed.reason.isEmpty());
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(failed.model, "ATMEGA32");
    EXPECT_LT(failed.progress, 100);

    QSet<qint64> numbers;
    RecordStore store(rig.recordUrl());
    const QList<PassRecord> records = store.list({}, 0, 100);
    EXPECT_EQ(records.size(), 4);
    for (int i = 0; i < 4; ++i) {
        if (i == kSilent)
            continue;
        SCOPED_TRACE(i);
        const SocketState& s = rig.runner.state(i);
        EXPECT_EQ(s.phase, Phase::Passed) << s.reason.toStdString();
        EXPECT_EQ(s.passes, 1);
        EXPECT_EQ(s.fails, 0);
        EXPECT_FALSE(s.signature.isEmpty());
        ASSERT_TRUE(s.record.has_value());
        const QJsonObject chip = rig.sims[size_t(i)]->dump();
        EXPECT_EQ(chip["flash"].toString().left(2 * image.size()), hexOf(image));
        // One pass on this programmer: one erase, one page stream, one number.
        const QByteArray wire = rig.sims[size_t(i)]->transcript();
        EXPECT_EQ(wire.count("EM#"), 1);
        EXPECT_EQ(wire.count("WF#"), 1);
        const auto record = std::find_if(records.begin(), records.end(),
                                         [&](const PassRecord& r) { return r.id == *s.record; });
        ASSERT_NE(record, records.end());
        EXPECT_EQ(record->result, "pass");
        EXPECT_EQ(record->device, rig.sims[size_t(i)]->pts());
        EXPECT_EQ(record->model, s.model);
        ASSERT_TRUE(record->serial.has_value());
        numbers.insert(*record->serial);
        // The chip holds the number the record gave it (two bytes, low first).
        const qint64 n = *record->serial;
        EXPECT_EQ(chip["eeprom"].toString().left(4),
                  hexOf(QByteArray().append(char(n & 0xFF)).append(char(n >> 8))));
    }
    EXPECT_EQ(numbers.size(), 3) << "every passing socket has a number of its own";
    const auto silentRecord =
        std::find_if(records.begin(), records.end(),
                     [&](const PassRecord& r) { return r.device == rig.sims[kSilent]->pts(); });
    ASSERT_NE(silentRecord, records.end());
    EXPECT_EQ(silentRecord->result, "fail");
    if (silentRecord->serial) {
        EXPECT_FALSE(numbers.contains(*silentRecord->serial));
    }
}

// A socket restarted while the other runs: its first run ends as stopped
// (no fail counted), its second passes; the other socket never notices.
TEST(GangEndToEnd, RestartsOneSocketWhileAnotherRuns) {
    GangRig rig({"ATMEGA32", "ATMEGA32"});
    const QByteArray image = rig.image(32768, 5);
    rig.runner.setCommand({"write-flash", rig.file("big.bin", image), "--verify"},
                          {"--record", rig.recordUrl()});
    bool restarted = false;
    QList<Phase> phases1;
    QObject::connect(&rig.runner, &GangRunner::stateChanged, [&](int index) {
        const SocketState& s = rig.runner.state(index);
        if (index == 1 && (phases1.isEmpty() || phases1.last() != s.phase))
            phases1 << s.phase;
        if (index == 1 && !restarted && s.step == u"write flash" && s.progress >= 10) {
            restarted = true;
            EXPECT_TRUE(rig.runner.isRunning(0));
            rig.runner.restart(1);
        }
    });
    rig.runner.startAll();
    // The first allFinished may come while the restart waits to start again.
    for (int round = 0; round < 3 && (rig.runner.state(1).phase != Phase::Passed); ++round)
        ASSERT_TRUE(rig.waitForAll());
    ASSERT_TRUE(restarted) << rig.runner.state(1).reason.toStdString();
    EXPECT_TRUE(phases1.contains(Phase::Stopped));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const SocketState& s = rig.runner.state(i);
        EXPECT_EQ(s.phase, Phase::Passed) << s.reason.toStdString();
        EXPECT_EQ(s.passes, 1);
        EXPECT_EQ(s.fails, 0);
        EXPECT_EQ(rig.sims[size_t(i)]->dump()["flash"].toString(), hexOf(image));
    }
    EXPECT_EQ(rig.sims[0]->transcript().count("WF#"), 1);
}

// Stop all: every child ends between two exchanges on its own (exit 130,
// not killed), and none is left behind.
TEST(GangEndToEnd, StopAllEndsEveryChildCleanly) {
    GangRig rig({"ATMEGA32", "ATMEGA16", "ATMEGA32"});
    rig.runner.setCommand({"write-flash", rig.file("big.bin", rig.image(16384, 9))},
                          {"--record", rig.recordUrl()});
    bool stopped = false;
    QObject::connect(&rig.runner, &GangRunner::stateChanged, [&](int) {
        for (int i = 0; i < rig.runner.count(); ++i) {
            if (rig.runner.state(i).step != u"write flash" || rig.runner.state(i).progress < 10)
                return;
        }
        if (!stopped) {
            stopped = true;
            rig.runner.stopAll();
        }
    });
    rig.runner.startAll();
    ASSERT_TRUE(rig.waitForAll());
    ASSERT_TRUE(stopped);
    for (int i = 0; i < rig.runner.count(); ++i) {
        SCOPED_TRACE(i);
        const SocketState& s = rig.runner.state(i);
        EXPECT_EQ(s.phase, Phase::Stopped);
        EXPECT_EQ(s.exitCode, 130) << "ended by itself, not killed";
        EXPECT_EQ(s.fails, 0);
        EXPECT_FALSE(rig.runner.isRunning(i));
    }
}

}  // namespace
}  // namespace kv::test
