// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFileInfo>
#include <memory>

#include "core/OperationError.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/ProgrammerLink.h"
#include "link/QtSerialControl.h"
#include "pass/ProgrammerKinds.h"
#include "programmer/Programmer.h"
#include "tests/support/SimProcess.h"
#include "tests/support/SimRig.h"
#include "tests/support/TempSettings.h"

namespace kv {
namespace {

// What every programmer must do, whatever its wire: each implementation of
// ProgrammerKinds runs these against the simulated programmer, in process on
// the virtual clock and through a real serial port (a pseudo-terminal to the
// kelvaro-sim program) on the real one.
class Transport {
public:
    virtual ~Transport() = default;
    virtual ProgrammerLink& link() = 0;
    // From now on the programmer sends the digits of "RF"/"RE" replies one
    // at a time, gapMs apart; false where it cannot be made to.
    virtual bool trickleReads(int gapMs) = 0;
};

class InProcess : public Transport {
public:
    ProgrammerLink& link() override { return m_rig.link; }
    bool trickleReads(int gapMs) override {
        m_rig.device.faults().readReplyGapMs = gapMs;
        return true;
    }

private:
    test::SimRig m_rig{QStringLiteral("ATMEGA8")};
};

// The built-in simulator, or the open programmer's firmware on the simulated
// board with the modelled chip in its socket: the same wire either way.
enum class Device { Simulator, OpenProgrammer };

const QString kFirmware = QStringLiteral(KV_BIN_DIR "/firmware/kelvaro-programmer.elf");

QStringList simArguments(Device device) {
    if (device == Device::Simulator)
        return {};
    return {QStringLiteral("--firmware"), kFirmware, QStringLiteral("--model"),
            QStringLiteral("ATMEGA8")};
}

class SerialPort : public Transport {
public:
    explicit SerialPort(Device device) : m_device(device), process(simArguments(device)) {
        map.setDevicePath(1, process.pts());
        port.setPortNumber(1);
        port.setOpen(true);
    }
    bool ready() const { return process.started() && process.pts().startsWith(u'/'); }
    ProgrammerLink& link() override { return m_link; }
    bool trickleReads(int gapMs) override {
        // The firmware answers as the chip lets it; it has no fault plan.
        if (m_device == Device::OpenProgrammer)
            return false;
        process.command("fault trickle " + QByteArray::number(gapMs));
        return true;
    }

private:
    Device m_device;

public:
    test::SimProcess process;
    test::TempSettings store;
    PortMap map{&store};
    QtSerialControl port{map};
    SystemClock clock;
    QtEventPump pump{clock};

private:
    ProgrammerLink m_link{port, clock, pump, [](const QString&) {}};
};

struct Case {
    bool serialPort = false;
    QString kind;
    Device device = Device::Simulator;
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.kind.toStdString() +
           (info.param.device == Device::OpenProgrammer ? "_open_programmer" : "");
}

class ProgrammerContract : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        if (GetParam().serialPort) {
            ASSERT_TRUE(test::SimProcess::built()) << test::SimProcess::path().toStdString();
            if (GetParam().device == Device::OpenProgrammer)
                ASSERT_TRUE(QFileInfo::exists(kFirmware)) << "the firmware is not built";
            auto port = std::make_unique<SerialPort>(GetParam().device);
            ASSERT_TRUE(port->ready()) << port->process.greeting().toStdString();
            transport = std::move(port);
        } else {
            transport = std::make_unique<InProcess>();
        }
        const ProgrammerKind* kind = findProgrammerKind(GetParam().kind);
        ASSERT_NE(kind, nullptr);
        programmer = kind->make(transport->link());
        programmer->setGeometry({8192, 512, 32});  // ATMEGA8, the simulator's chip
        programmer->setEventSink([this](const ProgrammerEvent& event) {
            events << event;
            tally.take(event);
        });
    }

    static QByteArray pattern(int size, int seed) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char((i * 7 + seed) & 0xFF);
        return bytes;
    }

    std::unique_ptr<Transport> transport;
    std::unique_ptr<Programmer> programmer;
    QList<ProgrammerEvent> events;
    TransferTally tally;
};

TEST_P(ProgrammerContract, NamesTheChipAndAnswersForItself) {
    EXPECT_TRUE(programmer->checkConnection().answered());
    EXPECT_TRUE(programmer->firmwareVersion().answered());
    EXPECT_EQ(programmer->identify(SignatureRead::AllThree), "1E9307");
    EXPECT_EQ(programmer->identify(SignatureRead::AfterVendor), "1E9307");
    const QStringList calibration = programmer->readInfoBytes({0x80, 0x81});
    ASSERT_EQ(calibration.size(), 2);
    for (const QString& reply : calibration)
        EXPECT_EQ(reply.size(), 2) << reply.toStdString();
}

// An odd size that ends in a short page, and an EEPROM image: what is written
// reads and verifies back, every byte confirmed, and a changed byte is found.
TEST_P(ProgrammerContract, WhatIsWrittenReadsAndVerifiesBack) {
    EXPECT_TRUE(programmer->erase().answered());
    const QByteArray flash = pattern(64 * 3 + 9, 1);
    const QByteArray eeprom = pattern(24, 5);
    const WriteOutcome wroteFlash = programmer->write(MemoryKind::Flash, flash);
    EXPECT_TRUE(wroteFlash.sent);
    EXPECT_EQ(wroteFlash.acknowledged, flash.size() + 1);   // completed to whole words
    EXPECT_EQ(tally.confirmed(MemoryKind::Flash), 3 * 64);  // the short page has no ack of its own
    const WriteOutcome wroteEeprom = programmer->write(MemoryKind::Eeprom, eeprom);
    EXPECT_EQ(wroteEeprom.acknowledged, eeprom.size());
    EXPECT_EQ(tally.confirmed(MemoryKind::Eeprom), eeprom.size());

    const ReadResult read = programmer->read(MemoryKind::Flash, flash.size() + 1);
    ASSERT_TRUE(read.outcome.complete());
    EXPECT_EQ(read.bytes, flash + QByteArray(1, char(0xFF)));
    EXPECT_EQ(programmer->read(MemoryKind::Eeprom, eeprom.size()).bytes, eeprom);
    EXPECT_TRUE(programmer->verify(MemoryKind::Flash, flash).passed());
    QByteArray changed = eeprom;
    changed[17] = char(~changed[17]);
    const VerifyOutcome differs = programmer->verify(MemoryKind::Eeprom, changed);
    EXPECT_EQ(differs.result, VerifyOutcome::Result::Differs);
    EXPECT_EQ(differs.firstDifference, 17);
    // A text image's tail that is no bytes never matches the chip.
    EXPECT_EQ(programmer->verify(MemoryKind::Eeprom, eeprom.left(4), 6).firstDifference, 4);

    // Nothing to write or verify sends nothing.
    EXPECT_FALSE(programmer->write(MemoryKind::Flash, {}).sent);
    EXPECT_FALSE(programmer->verify(MemoryKind::Flash, {}).ran());
    EXPECT_THROW(programmer->write(MemoryKind::Eeprom, QByteArray(513, 'x')), OperationError);
}

TEST_P(ProgrammerContract, FusesLockAndSingleCellsReadBackAsWritten) {
    FuseBytes fuses;
    fuses.low = 0xE4;
    fuses.high = 0xC9;
    EXPECT_TRUE(programmer->writeFuses(fuses).answered());
    const FuseReading reading = programmer->readFuses();
    ASSERT_TRUE(reading.valid()) << reading.reply.toStdString();
    EXPECT_EQ(reading.fuses(false), fuses);

    EXPECT_TRUE(programmer->writeCell(MemoryKind::Flash, 0x20, QByteArray("\x12\x34", 2)));
    EXPECT_EQ(programmer->readCell(MemoryKind::Flash, 0x20), "1234");
    EXPECT_TRUE(programmer->writeCell(MemoryKind::Eeprom, 0x1FF, QByteArray(1, char(0xA5))));
    EXPECT_EQ(programmer->readCell(MemoryKind::Eeprom, 0x1FF), "A5");
    // A calibration byte at an odd address: the high half of its word.
    EXPECT_TRUE(programmer->writeCalibration(MemoryKind::Flash, 0x43, 0x9C));
    EXPECT_EQ(programmer->readCell(MemoryKind::Flash, 0x21), "FF9C");

    // Last: a locked chip takes no more writes.
    EXPECT_TRUE(programmer->writeLock(0xFC).answered());
    EXPECT_EQ(programmer->readFuses().lock() & 0x3F, 0x3C);
}

// The rest of a reply cut off (here: a read given up while the programmer
// still trickles) is not taken for the next command's answer.
TEST_P(ProgrammerContract, ACutOffReplyIsNotTheNextAnswer) {
    const FuseReading before = programmer->readFuses();
    ASSERT_TRUE(before.valid());
    // Short gaps: a busy machine must not make one of them look like the end.
    if (!transport->trickleReads(5))
        GTEST_SKIP() << "this programmer cannot be made to trickle its replies";
    const ReadResult read = programmer->read(MemoryKind::Eeprom, 512);
    EXPECT_EQ(read.outcome.stop, ReadOutcome::Stop::TooSlow);
    EXPECT_LT(tally.confirmed(MemoryKind::Eeprom), 512);
    transport->trickleReads(0);
    const FuseReading after = programmer->readFuses();
    EXPECT_EQ(after.digits, before.digits) << after.reply.toStdString();
}

QList<Case> cases(bool serialPort) {
    QList<Case> all;
    for (const ProgrammerKind& kind : programmerKinds()) {
        all.append({serialPort, kind.name});
        if (serialPort)
            all.append({serialPort, kind.name, Device::OpenProgrammer});
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(InProcess, ProgrammerContract, ::testing::ValuesIn(cases(false)),
                         caseName);
INSTANTIATE_TEST_SUITE_P(SerialPort, ProgrammerContract, ::testing::ValuesIn(cases(true)),
                         caseName);

}  // namespace
}  // namespace kv
