// SPDX-License-Identifier: MIT
// Whatever the programmer answers: a scripted programmer on the virtual clock
// answers each command with the next NUL-separated part of the input, cut in
// two as a slow line would deliver it, while the signature read and the fuse
// reads run. Every wait ends, and only a well-formed reply reaches the cells.
#include "FuzzTarget.h"
#include "catalogue/SignatureReader.h"
#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "link/ProgrammerLink.h"
#include "programmer/SerialProgrammer.h"
#include "sim/VirtualClock.h"
#include "tests/support/StubSerialControl.h"

namespace {

class ScriptedProgrammer : public kv::test::StubSerialControl {
public:
    explicit ScriptedProgrammer(QList<QByteArray> replies) : m_replies(std::move(replies)) {}

    // The line delivers half of what is under way (at least a byte) per settle.
    void settle() {
        const qsizetype n = qMax<qsizetype>(1, (m_underway.size() + 1) / 2);
        m_arrived += m_underway.left(n);
        m_underway.remove(0, n);
        if (onInputArrived && !m_arrived.isEmpty())
            onInputArrived();
    }

    void write(const QByteArray&) override {
        if (!m_replies.isEmpty())
            m_underway += m_replies.takeFirst();
    }
    QByteArray readAll() override { return std::exchange(m_arrived, QByteArray()); }
    int bytesAvailable() const override { return int(m_arrived.size()); }
    bool waitForReadyRead(int) override {
        settle();
        return !m_arrived.isEmpty();
    }

private:
    QList<QByteArray> m_replies;
    QByteArray m_underway;
    QByteArray m_arrived;
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
    ScriptedProgrammer port(kv::fuzz::partsOf(data, size));
    ScriptPump pump(clock, port);
    kv::ProgrammerLink link(port, clock, pump, [](const QString&) {});
    kv::SerialProgrammer programmer(link);
    const qint64 startUs = clock.nowUs();

    const QString signature = kv::readSignatureText(programmer, false);
    KV_FUZZ_CHECK(signature.startsWith(QStringLiteral("1E")));

    kv::FuseEditor editor;
    kv::FuseDefinitions definitions;
    // Lock bits 7 and 6 and the extended byte's top bits do not exist: "*".
    definitions.defaultBits = QStringLiteral("**111111******110011111111011111");
    definitions.names = QStringList(32, QString());
    editor.setDefinitions(definitions);
    kv::FuseCommands commands(programmer, editor);
    const QString before = editor.fuseBitString();
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
    // Each exchange waits a bounded time, whatever comes back.
    KV_FUZZ_CHECK(clock.nowUs() - startUs < 60'000'000);
    return 0;
}
