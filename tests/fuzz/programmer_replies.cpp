// SPDX-License-Identifier: MIT
// Whatever the programmer answers: a scripted programmer on the virtual clock
// answers each write with the next NUL-separated part of the input, delivered
// in halves as a slow line would. A part that starts with a byte 1 to 4 is a
// fault instead: 1 the reply cut off halfway, 2 the reply late by the next
// byte times 10 ms, 3 no reply, 4 the line hangs up. Every command family
// runs against it: the signature and fuse reads, fuse, lock and erase, FLASH
// and EEPROM write, read and verify, calibration and single access. Every
// wait ends in bounded time, each command leaves the link idle and in text
// input, and only a well-formed reply reaches the cells.
#include <functional>
#include <tuple>

#include "FuzzTarget.h"
#include "catalogue/SignatureReader.h"
#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "images/MemoryGeometry.h"
#include "link/ProgrammerLink.h"
#include "programmer/SerialProgrammer.h"
#include "sim/VirtualClock.h"
#include "tests/support/StubSerialControl.h"

namespace {

class ScriptedProgrammer : public kv::test::StubSerialControl {
public:
    ScriptedProgrammer(QList<QByteArray> replies, kv::sim::VirtualClock& clock)
        : m_replies(std::move(replies)), m_clock(clock) {}

    // The line delivers half of what is under way (at least a byte) per
    // settle, and a late reply once its time has come.
    void settle() {
        for (qsizetype i = 0; i < m_late.size();) {
            if (m_late[i].first <= m_clock.nowUs()) {
                m_underway += m_late[i].second;
                m_late.removeAt(i);
            } else {
                ++i;
            }
        }
        const qsizetype n = qMax<qsizetype>(1, (m_underway.size() + 1) / 2);
        m_arrived += m_underway.left(n);
        m_underway.remove(0, n);
        if (onInputArrived && !m_arrived.isEmpty())
            onInputArrived();
    }

    bool isOpen() const override { return m_open; }
    void write(const QByteArray&) override {
        checkOpen();
        if (m_replies.isEmpty())
            return;
        QByteArray reply = m_replies.takeFirst();
        switch (reply.isEmpty() ? 0 : reply[0]) {
            case 1:
                reply.remove(0, 1);
                m_underway += reply.left(reply.size() / 2);
                break;
            case 2: {
                const qint64 delayMs = reply.size() > 1 ? 10 * quint8(reply[1]) : 0;
                m_late.append({m_clock.nowUs() + 1000 * delayMs, reply.mid(2)});
                break;
            }
            case 3:
                break;
            case 4:
                m_open = false;
                m_arrived.clear();
                if (onClosedByError)
                    onClosedByError(hangUpText(1));
                break;
            default:
                m_underway += reply;
        }
    }
    QByteArray readAll() override {
        checkOpen();
        return std::exchange(m_arrived, QByteArray());
    }
    int bytesAvailable() const override {
        checkOpen();
        return int(m_arrived.size());
    }
    // A blocking wait lets its time pass on the virtual clock.
    bool waitForReadyRead(int ms) override {
        checkOpen();
        settle();
        if (m_arrived.isEmpty()) {
            m_clock.advanceTo(m_clock.nowUs() + 1000 * qMax(ms, 1));
            settle();
        }
        return !m_arrived.isEmpty();
    }

private:
    void checkOpen() const {
        if (!m_open)
            throw kv::OperationError(hangUpText(1), kv::ErrorKind::LineLost);
    }

    QList<QByteArray> m_replies;
    kv::sim::VirtualClock& m_clock;
    QList<std::pair<qint64, QByteArray>> m_late;
    QByteArray m_underway;
    QByteArray m_arrived;
    bool m_open = true;
};

class ScriptPump : public kv::EventPump {
public:
    ScriptPump(kv::sim::VirtualClock& clock, ScriptedProgrammer& port)
        : m_clock(clock), m_port(port) {}
    void yieldUntil(qint64 deadlineUs) override {
        // A wait that never ends would spin here for ever.
        KV_FUZZ_CHECK(++yields < 1'000'000);
        m_clock.advanceTo(qMin(deadlineUs, m_clock.nowUs() + 1000));
        m_port.settle();
    }
    int yields = 0;

private:
    kv::sim::VirtualClock& m_clock;
    ScriptedProgrammer& m_port;
};

bool isHexDigits(const QString& text) {
    for (const QChar c : text) {
        if (!c.isDigit() && !(c.toUpper() >= u'A' && c.toUpper() <= u'F'))
            return false;
    }
    return true;
}

}  // namespace

KV_FUZZ_TARGET(programmer_replies) {
    kv::sim::VirtualClock clock;
    ScriptedProgrammer port(kv::fuzz::partsOf(data, size), clock);
    ScriptPump pump(clock, port);
    kv::ProgrammerLink link(port, clock, pump, [](const QString&) {});
    kv::SerialProgrammer programmer(link);
    const qint64 startUs = clock.nowUs();

    kv::FuseEditor editor;
    kv::FuseDefinitions definitions;
    // Lock bits 7 and 6 and the extended byte's top bits do not exist: "*".
    definitions.defaultBits = QStringLiteral("**111111******110011111111011111");
    definitions.names = QStringList(32, QString());
    editor.setDefinitions(definitions);
    kv::FuseCommands commands(programmer, editor);
    const QString before = editor.fuseBitString();
    try {
        const QString signature = kv::readSignatureText(programmer, false);
        KV_FUZZ_CHECK(signature.startsWith(QStringLiteral("1E")));

        const QString reading = commands.readFuses(QStringLiteral("ATMEGA8"));
        if (reading.isEmpty()) {
            KV_FUZZ_CHECK(editor.fuseBitString() == before);  // a bad reply changes no cell
        } else {
            KV_FUZZ_CHECK(reading.size() == 8 && isHexDigits(reading));
            const QString bits = editor.fuseBitString();
            KV_FUZZ_CHECK(bits.size() == 32);
            for (int p = 0; p < 32; ++p) {
                const int bit = (reading.mid(p / 4, 1).toInt(nullptr, 16) >> (3 - p % 4)) & 1;
                const QChar want =
                    definitions.defaultBits[p] == u'*' ? QChar(u'*') : QChar(bit ? u'1' : u'0');
                KV_FUZZ_CHECK(bits[p] == want);
            }
        }
        const QString readBack = commands.readBackFuses(QStringLiteral("ATMEGA16"));
        // Extended, high and low byte; ".." for a model without the extended one.
        KV_FUZZ_CHECK(readBack.isEmpty() ||
                      (readBack.size() == 6 && readBack.startsWith(QStringLiteral("..")) &&
                       isHexDigits(readBack.mid(2))));
    } catch (const kv::OperationError& e) {
        // Only the line itself ends a read: any reply is taken or refused as a value.
        KV_FUZZ_CHECK(e.kind() == kv::ErrorKind::LineLost);
        KV_FUZZ_CHECK(!port.isOpen());
    }
    // Each exchange waits a bounded time, whatever comes back.
    KV_FUZZ_CHECK(clock.nowUs() - startUs < 60'000'000);

    // Every other command family. An error may end a command (no answer, a
    // garbled reply, the line gone); nothing may hang, and each command
    // leaves the link idle and reading text for the next one.
    const kv::MemoryGeometry geometry{128, 16, 32};
    programmer.setGeometry(geometry);
    const QByteArray bytes = kv::fuzz::bytesOf(data, qMin<size_t>(size, 100));
    const QByteArray flash = bytes.left(100), eeprom = bytes.left(6);
    const std::function<void()> families[] = {
        [&] { std::ignore = commands.writeFuses(QStringLiteral("ATMEGA8")); },
        [&] { std::ignore = commands.writeLockBits(); },
        [&] { std::ignore = commands.eraseChip(); },
        [&] { std::ignore = programmer.write(kv::MemoryKind::Flash, flash); },
        [&] { std::ignore = programmer.write(kv::MemoryKind::Eeprom, eeprom); },
        [&] { std::ignore = programmer.read(kv::MemoryKind::Flash, geometry.flashSize); },
        [&] { std::ignore = programmer.read(kv::MemoryKind::Eeprom, geometry.eepromSize); },
        [&] { std::ignore = programmer.verify(kv::MemoryKind::Flash, flash); },
        [&] { std::ignore = programmer.verify(kv::MemoryKind::Eeprom, eeprom); },
        [&] {
            std::ignore = programmer.readInfoBytes({0, 1, 2, 3});
        },
        [&] { std::ignore = programmer.writeCalibration(kv::MemoryKind::Eeprom, 5, 0xA5); },
        [&] { std::ignore = programmer.writeCalibration(kv::MemoryKind::Flash, 7, 0x5A); },
        [&] { std::ignore = programmer.writeCell(kv::MemoryKind::Eeprom, 5, QByteArray("\xA5")); },
        [&] {
            std::ignore = programmer.writeCell(kv::MemoryKind::Flash, 3, QByteArray("\x12\x34"));
        },
        [&] { std::ignore = programmer.readCell(kv::MemoryKind::Eeprom, 5); },
        [&] { std::ignore = programmer.readCell(kv::MemoryKind::Flash, 3); },
    };
    for (const auto& command : families) {
        const qint64 before = clock.nowUs();
        try {
            command();
        } catch (const kv::OperationError& e) {
            KV_FUZZ_CHECK(!e.text().isEmpty());
        }
        KV_FUZZ_CHECK(!link.isBusy());
        KV_FUZZ_CHECK(!link.binaryInput());
        // The longest a command may wait: every FLASH page's 5 s limit, or a
        // read's steps of silence, with room to spare.
        KV_FUZZ_CHECK(clock.nowUs() - before < 120'000'000);
    }
    return 0;
}
