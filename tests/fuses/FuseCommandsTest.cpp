// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <vector>

#include "FuseTestSupport.h"
#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "sim/VirtualClock.h"
#include "tests/support/SimRig.h"
#include "tests/support/StubSerialControl.h"

namespace {

using kv::FuseCommands;
using kv::FuseEditor;
using kv::test::SimRig;

const QString kNoReply = QStringLiteral("编程器无反应!");

// A simulated programmer and chip of one model, with the model's shipped
// definitions loaded and applied.
struct Bench {
    explicit Bench(const QString& model)
        : model(model), rig(model), commands(rig.programmer, editor) {
        editor.setDefinitionFolders({QStringLiteral(KV_SOURCE_DIR "/data/Set")});
        editor.setLog([this](const QString& m) { rig.log << m; });
        editor.loadFuseDefinitions(model + ".FUS");
        editor.applyFuseBits(editor.defaultFuseBits());
    }
    QString model;
    SimRig rig;
    FuseEditor editor;
    FuseCommands commands;
};

TEST(FuseCommands, WriteCommandsOnTheWire) {
    Bench m8("ATMEGA8");
    m8.commands.writeFuses(m8.model);
    EXPECT_EQ(m8.rig.wire(), "WS..D9E1#");
    ASSERT_EQ(m8.rig.log.size(), 1);
    EXPECT_NE(m8.rig.log[0], kNoReply);
    EXPECT_TRUE(m8.commands.writeFuseEnabled());

    Bench m88("ATMEGA88");
    m88.editor.applyFuseBits("**111100*****0011101111101100010");
    m88.commands.writeFuses(m88.model);
    m88.commands.writeLockBits();
    EXPECT_EQ(m88.rig.wire(), "WSF9DF62#WLFC#");
    EXPECT_EQ(m88.rig.device.lock & 0x3F, 0x3C);
    EXPECT_EQ(m88.rig.log.size(), 2);

    m88.rig.clearWire();
    m88.commands.eraseChip();
    EXPECT_EQ(m88.rig.wire(), "EM#");
    EXPECT_EQ(m88.rig.log.size(), 3);
    EXPECT_NE(m88.rig.log.last(), kNoReply);
}

// Each command logs the programmer's answer only after its own wait, and
// readFuses decodes after 100 ms.
TEST(FuseCommands, EachCommandWaitsItsOwnTime) {
    Bench b("ATMEGA8");
    struct Step {
        const char* name;
        std::function<void()> run;
        int waitMs;
    };
    const std::vector<Step> steps = {
        {"ReadFuses", [&] { b.commands.readFuses(b.model); }, 100},
        {"WriteFuses", [&] { b.commands.writeFuses(b.model); }, 200},
        {"RecoverFuses", [&] { b.commands.recoverFuses(b.model); }, 800 + 100},
        {"WriteLockBits", [&] { b.commands.writeLockBits(); }, 100},
        {"EraseChip", [&] { b.commands.eraseChip(); }, 100},
    };
    for (const Step& step : steps) {
        b.rig.log.clear();
        const qint64 start = b.rig.clock.nowUs();
        step.run();
        const qint64 elapsed = b.rig.elapsedMsSince(start);
        EXPECT_GE(elapsed, step.waitMs) << step.name;
        EXPECT_LT(elapsed, step.waitMs + 40) << step.name;
        EXPECT_FALSE(b.rig.log.contains(kNoReply)) << step.name;
    }
    // A reply that comes later than the wait is not waited for.
    b.rig.device.faults().extraReplyDelayMs = 250;
    b.rig.log.clear();
    b.commands.writeFuses(b.model);
    EXPECT_EQ(b.rig.log, QStringList{kNoReply});
}

TEST(FuseCommands, SetFuseDefaultNeedsNoExchange) {
    Bench b("ATMEGA88");
    auto checks = [&] {
        QList<bool> states;
        for (const auto& o : b.editor.options())
            states << o.checked;
        return states;
    };
    const QList<bool> defaultChecks = checks();
    b.editor.applyFuseBits(QString(32, QLatin1Char('0')));
    ASSERT_NE(checks(), defaultChecks);
    b.commands.applyFuseDefaults();
    EXPECT_EQ(b.editor.fuseBitString(), b.editor.defaultFuseBits());
    EXPECT_EQ(checks(), defaultChecks);
    EXPECT_TRUE(b.rig.wire().isEmpty());
    EXPECT_TRUE(b.rig.log.isEmpty());
}

TEST(FuseCommands, WriteFusesDisablesItsButtonAndHoldsTheLink) {
    Bench b("ATMEGA8");
    QList<bool> seen;
    b.rig.pump.onYield = [&] { seen << b.commands.writeFuseEnabled() << b.rig.link.isBusy(); };
    b.commands.writeFuses(b.model);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_FALSE(seen[0]);
    EXPECT_TRUE(seen[1]);
    EXPECT_TRUE(b.commands.writeFuseEnabled());
    EXPECT_FALSE(b.rig.link.isBusy());
}

TEST(FuseCommands, RecoverWritesDefaultsAndComparesTheReadBack) {
    Bench b("ATMEGA8");
    b.editor.applyFuseBits(QString(32, QLatin1Char('0')));
    b.commands.recoverDefaultFuses(b.model);
    EXPECT_EQ(b.rig.wire(), "SS..D9E1#RS#");
    EXPECT_EQ(b.rig.log.last(), QStringLiteral("恢复成功！"));
    EXPECT_EQ(b.editor.fuseBitString(), b.editor.defaultFuseBits());

    // The same bytes in lower-case digits are the same bytes.
    b.rig.device.faults().lowerCaseHex = true;
    b.rig.log.clear();
    b.commands.recoverDefaultFuses(b.model);
    EXPECT_EQ(b.rig.log.last(), QStringLiteral("恢复成功！"));

    b.rig.device.faults().lowerCaseHex = false;
    b.rig.device.faults().silent = true;
    b.rig.log.clear();
    b.commands.recoverDefaultFuses(b.model);
    EXPECT_EQ(b.rig.log, (QStringList{kNoReply, kNoReply, QStringLiteral("恢复失败！")}));
}

TEST(FuseCommands, ReadFusesDecodesIntoTheCells) {
    Bench b("ATMEGA88");
    b.rig.device.lock = 0x3F;
    b.rig.device.extended = 0xF9;
    b.rig.device.high = 0xDF;
    b.rig.device.low = 0x62;
    b.editor.applyFuseBits(QString(32, QLatin1Char('1')));
    b.commands.readFuses(b.model);
    EXPECT_EQ(b.rig.wire(), "RS#");
    EXPECT_EQ(b.rig.log, QStringList{QStringLiteral("读熔丝位:F9DF62 锁定位:3F")});
    EXPECT_EQ(b.editor.fuseBitString(),
              "**111111*****001"
              "11011111"
              "01100010");
    EXPECT_TRUE(b.commands.readFuseEnabled());

    Bench m8("ATMEGA8");
    m8.rig.device.faults().garbage = "OK!";
    m8.commands.readFuses(m8.model);
    EXPECT_EQ(m8.rig.log, QStringList{QStringLiteral("读熔丝位:..D9E1 锁定位:FF")});
    EXPECT_EQ(m8.editor.fuseBitString(), m8.editor.defaultFuseBits());
}

TEST(FuseCommands, SilentProgrammerLeavesTheCells) {
    Bench b("ATMEGA8");
    const QString before = "**111111********1101100111100000";
    b.editor.applyFuseBits(before);
    b.rig.device.faults().silent = true;
    QList<bool> during;
    b.rig.pump.onYield = [&] { during << b.commands.readFuseEnabled(); };
    b.commands.readFuses(b.model);
    EXPECT_EQ(b.rig.log, QStringList{kNoReply});
    EXPECT_EQ(b.editor.fuseBitString(), before);
    ASSERT_FALSE(during.isEmpty());
    EXPECT_FALSE(during[0]);
    EXPECT_TRUE(b.commands.readFuseEnabled());
}

TEST(FuseCommands, PortFailureStillEnablesTheButton) {
    Bench b("ATMEGA8");
    b.rig.port.setOpen(false);
    EXPECT_THROW(b.commands.readFuses(b.model), kv::OperationError);
    EXPECT_TRUE(b.commands.readFuseEnabled());
    EXPECT_THROW(b.commands.writeFuses(b.model), kv::OperationError);
    EXPECT_TRUE(b.commands.writeFuseEnabled());
    EXPECT_FALSE(b.rig.link.isBusy());
}

TEST(FuseCommands, NothingIsSentFromUnknownCells) {
    // Definitions with an empty default line: the cells are empty.
    SimRig rig("ATMEGA8");
    FuseEditor editor;
    editor.setDefinitions(kv::test::makeDefinitions(QString(), {}));
    FuseCommands commands(rig.programmer, editor);
    commands.writeFuses("ATMEGA8");
    commands.writeLockBits();
    commands.recoverDefaultFuses("ATMEGA8");
    EXPECT_TRUE(rig.wire().isEmpty());
    ASSERT_EQ(rig.log.size(), 4);
    EXPECT_EQ(rig.log.last(), QStringLiteral("恢复失败！"));

    // Only the bytes a command sends must be known: the lock byte may go alone.
    editor.applyFuseBits(QStringLiteral("**111100"));
    commands.writeLockBits();
    EXPECT_EQ(rig.wire(), "WLFC#");

    // A character other than "1", "0" or "*" is no more a bit than an empty cell.
    rig.clearWire();
    editor.applyFuseBits("**11110X********1101100111100001");
    commands.writeLockBits();
    editor.applyFuseBits("**111100********11011001111X0001");
    commands.writeFuses("ATMEGA8");
    EXPECT_TRUE(rig.wire().isEmpty());
}

// A port that answers "RS#" with a fixed text, for replies no programmer
// should give; stale is input already waiting before the first command.
class ScriptedPort : public kv::test::StubSerialControl {
public:
    explicit ScriptedPort(QByteArray reply, QByteArray stale = {})
        : m_reply(std::move(reply)), m_input(std::move(stale)) {}
    QByteArray written;
    void write(const QByteArray& bytes) override {
        written += bytes;
        if (bytes == "RS#")
            m_input += m_reply;
    }
    QByteArray readAll() override { return std::exchange(m_input, QByteArray()); }
    int bytesAvailable() const override { return int(m_input.size()); }
    bool waitForReadyRead(int) override { return !m_input.isEmpty(); }

private:
    QByteArray m_reply, m_input;
};

class JumpPump : public kv::EventPump {
public:
    explicit JumpPump(kv::sim::VirtualClock& clock) : m_clock(clock) {}
    void yieldUntil(qint64 deadlineUs) override { m_clock.advanceTo(deadlineUs); }

private:
    kv::sim::VirtualClock& m_clock;
};

// An ATMEGA8 editor with defaults high D9, low E1 on a scripted port.
struct ScriptedBench {
    explicit ScriptedBench(QByteArray reply, QByteArray stale = {})
        : port(std::move(reply), std::move(stale)),
          pump(clock),
          link(port, clock, pump, [this](const QString& m) { log << m; }),
          programmer(link),
          commands(programmer, editor) {
        programmer.setEventSink([this](const kv::ProgrammerEvent& event) {
            if (event.isLogLine())
                log << event.text;
        });
        editor.setDefinitions(
            kv::test::makeDefinitions(QStringLiteral("**111111********1101100111100001"), {}));
        editor.applyFuseBits(editor.defaultFuseBits());
    }
    ScriptedPort port;
    kv::sim::VirtualClock clock;
    JumpPump pump;
    QStringList log;
    kv::ProgrammerLink link;
    kv::SerialProgrammer programmer;
    FuseEditor editor;
    FuseCommands commands;
};

TEST(FuseCommands, GarbledOrShortReadRepliesAreRefused) {
    for (const QByteArray& reply :
         {QByteArray("FFFFD9E"), QByteArray("FFFFD9XX12"), QByteArray("ERROR!!!!")}) {
        ScriptedBench b(reply);
        const QString before = b.editor.fuseBitString();
        b.commands.readFuses("ATMEGA8");
        EXPECT_EQ(b.editor.fuseBitString(), before) << reply.toStdString();
        ASSERT_EQ(b.log.size(), 1);
        EXPECT_TRUE(b.log[0].contains(QString::fromLatin1(reply))) << b.log[0].toStdString();
        EXPECT_TRUE(b.commands.readFuseEnabled());
    }
}

TEST(FuseCommands, ReadDropsInputThatWasWaitingBeforeTheCommand) {
    ScriptedBench b("FFFFD9E0", "stale text");
    b.commands.readFuses("ATMEGA8");
    EXPECT_EQ(b.log, QStringList{QStringLiteral("读熔丝位:..D9E0 锁定位:FF")});
    EXPECT_EQ(b.editor.fuseLow(), 0xE0);
}

TEST(FuseCommands, RecoverFailsUnlessTheReadBackIsTheFieldSent) {
    for (const QByteArray& reply :
         {QByteArray("FFFFD9E0"), QByteArray("ffffd9e0"), QByteArray("ffffd9e1"),
          QByteArray("FFD9E1"), QByteArray("FFFFD9E1")}) {
        ScriptedBench b(reply);
        b.editor.applyFuseBits(QString(32, QLatin1Char('0')));
        b.commands.recoverDefaultFuses("ATMEGA8");
        EXPECT_EQ(b.port.written, "SS..D9E1#RS#");
        const bool good = reply.toUpper() == "FFFFD9E1";
        EXPECT_EQ(b.log.last(), good ? QStringLiteral("恢复成功！") : QStringLiteral("恢复失败！"))
            << reply.toStdString();
        // A cut reply is named in the log, not taken for the digits it ends with.
        EXPECT_EQ(b.log.join('\n').contains(QStringLiteral("读熔丝位应答无效：FFD9E1")),
                  reply == "FFD9E1");
        EXPECT_EQ(b.editor.fuseBitString(), b.editor.defaultFuseBits());
    }
}

// Defaults written with "WS"/"WL" and read back with "RS#" give the defaults.
class RoundTrip : public ::testing::TestWithParam<QString> {};

TEST_P(RoundTrip, DefaultsSurviveWriteAndRead) {
    Bench b(GetParam());
    const QString defaults = b.editor.defaultFuseBits();
    ASSERT_EQ(defaults.size(), 32);
    b.rig.device.high = 0x00;
    b.rig.device.low = 0x00;
    b.commands.writeFuses(b.model);
    b.commands.writeLockBits();
    QString scrambled = defaults;
    for (QChar& c : scrambled) {
        if (c != QLatin1Char('*'))
            c = c == QLatin1Char('1') ? QLatin1Char('0') : QLatin1Char('1');
    }
    b.editor.applyFuseBits(scrambled);
    b.commands.readFuses(b.model);
    EXPECT_EQ(b.editor.fuseBitString(), defaults) << b.rig.log.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllModels, RoundTrip, ::testing::ValuesIn(kv::test::kShippedModels),
                         [](const auto& info) { return info.param.toStdString(); });

}  // namespace
