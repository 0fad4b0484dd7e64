// SPDX-License-Identifier: MIT
#pragma once

#include "programmer/Programmer.h"
#include "programmer/ProtocolTimings.h"

namespace kv {

class ProgrammerLink;

// The programmer of the ASCII command protocol ("CC#", "RS#", "WF#", ...)
// over the serial link. Every call holds the link busy for its exchange.
// Texts it reports are the log's lines, in the user's language.
class SerialProgrammer : public Programmer {
public:
    explicit SerialProgrammer(ProgrammerLink& link, ProtocolTimings timings = {});

    ProgrammerLink& link() { return m_link; }
    const ProtocolTimings& timings() const { return m_timings; }
    // A call ended before its reply was complete: the next one drains first.
    bool unsettled() const { return m_unsettled; }

    Reply checkConnection() override;
    Reply firmwareVersion() override;
    QString identify(SignatureRead how) override;
    Reply erase() override;
    WriteOutcome write(MemoryKind memory, const QByteArray& image) override;
    ReadResult read(MemoryKind memory, qint64 count) override;
    VerifyOutcome verify(MemoryKind memory, const QByteArray& image, qint64 count = -1) override;
    FuseReading readFuses() override;
    Reply writeFuses(const FuseBytes& fuses) override;
    Reply resetFuses(const FuseBytes& fuses) override;
    Reply writeLock(quint8 lock) override;
    bool writeCell(MemoryKind memory, qint64 address, const QByteArray& cell) override;
    QString readCell(MemoryKind memory, qint64 address) override;
    QStringList readInfoBytes(const QList<int>& addresses) override;
    bool writeCalibration(MemoryKind memory, qint64 address, quint8 value) override;

    // The fuse field of "WS"/"SS": EE HH LL, ".." for a missing extended byte.
    static QString fuseField(const FuseBytes& fuses);

private:
    class Call;
    struct Collected {
        QString text;
        ReadOutcome outcome;
    };
    Collected collect(MemoryKind memory, qint64 count, int firstWaitMs, int stepWaitMs);
    qint64 replyLimitMs(qint64 count, int firstWaitMs) const;
    Reply replyAfter(int ms);
    WriteOutcome writeFlash(const QByteArray& image);
    WriteOutcome writeEeprom(const QByteArray& image);
    void checkCapacity(MemoryKind memory, qint64 bytes) const;
    void progress(MemoryKind memory, qint64 percent, qint64 confirmed, qint64 total) const;

    ProgrammerLink& m_link;
    ProtocolTimings m_timings;
    bool m_unsettled = false;
};

}  // namespace kv
