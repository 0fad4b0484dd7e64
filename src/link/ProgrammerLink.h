// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <functional>

#include "core/Clock.h"

namespace kv {

class SerialControl;

// The one conversation channel with the programmer. Owns no port: it drives the
// injected SerialControl, waits on the injected Clock and yields to the window
// through the injected EventPump. All calls run on the user-interface thread.
//
// A read or write on a closed port throws OperationError; nothing else does,
// except the bounded non-yielding waits of FLASH writing (see below).
class ProgrammerLink {
public:
    using SendInfoFn = std::function<void(const QString&)>;

    ProgrammerLink(SerialControl& port, Clock& clock, EventPump& pump, SendInfoFn sendInfo);
    ~ProgrammerLink();
    ProgrammerLink(const ProgrammerLink&) = delete;
    ProgrammerLink& operator=(const ProgrammerLink&) = delete;

    SerialControl& port() { return m_port; }
    Clock& clock() { return m_clock; }
    EventPump& pump() { return m_pump; }

    // Appends one entry to the message log (the window's sendInfo).
    void sendInfo(const QString& message) const;

    void sendCommand(const QString& text);
    void sendBytes(const QByteArray& block);
    // Takes everything received. Text mode: decoded as GBK with one decoder kept
    // for the connection, so a character split across two reads still decodes.
    QString readInput();
    // Binary mode counterpart of readInput: the raw bytes.
    QByteArray readInputBytes();
    void discardInput();
    int inputCount();
    int outputCount();
    void setBinaryInput(bool on);
    bool binaryInput() const { return m_binary; }
    // Binary input for the lifetime of the scope; text input again when it ends,
    // also when an error leaves the scope early (every later exchange expects
    // text input).
    class BinaryInput {
    public:
        explicit BinaryInput(ProgrammerLink& link) : m_link(link) { m_link.setBinaryInput(true); }
        ~BinaryInput() { m_link.setBinaryInput(false); }
        BinaryInput(const BinaryInput&) = delete;
        BinaryInput& operator=(const BinaryInput&) = delete;

    private:
        ProgrammerLink& m_link;
    };

    // Waits more than ms milliseconds, yielding to the window on every pass;
    // the first yield comes before the first test, so 0 ms still yields once.
    void delayMs(int ms);
    // Yields to the window once without waiting.
    void yieldOnce();
    QString readAfter(int ms);
    // Discards what the programmer still sends (the rest of a reply whose
    // command was cut off) until the line has been quiet for quietMs, for at
    // most limitMs. False when it still talked at the limit.
    bool drainUntilQuiet(int quietMs, int limitMs);
    // Logs what arrived within ms (or that nothing did) and returns it as
    // received; the log shows it in the user's language.
    QString logReplyAfter(int ms);
    // Logs a reply already taken, or that there was none.
    void logReply(const QString& reply) const;
    // The log's line for a reply: the reply in the user's language, or that
    // there was none.
    static QString replyText(const QString& reply);
    // Collects input until `expected` occurs in what this call collected or
    // limitMs passed; at least one read is made. The collected text is dropped.
    bool waitForText(int limitMs, const QString& expected);
    // The wait for a write's "!" (EEPROM byte, FLASH word). The window waits
    // the programmer's 100 ms. A longer limit (the command line's) lets a
    // machine under load deliver a late "!" to its own byte instead of to the
    // next one; once a whole long wait passed without one, the programmer is
    // taken as silent and the waits are 100 ms again until a "!" comes back,
    // so a silent programmer costs one long wait, not one per byte.
    // `ms` is the protocol's own wait, the floor of the longer limit.
    void setAcknowledgementLimitMs(int ms) { m_acknowledgementLimitMs = ms; }
    bool waitForAcknowledgement(int ms);
    QString readInfoByte(int address);

    static QString padText(const QString& text, QChar fill, int width, bool left);

    // Milliseconds the line needs for `count` characters at the port's settings,
    // rounded up; a waiting bound for replies whose length is known.
    qint64 lineTimeMs(qint64 count) const;

    // The two waits of the FLASH page loop. They do not yield to the window.
    // A programmer never needs this long for one page; when the limit passes
    // OperationError is thrown. Whatever error ends them, the link is back in
    // text input. The drain wait adds the line time of the bytes waiting at its
    // start.
    static constexpr int kPageWaitLimitMs = 5000;
    void waitOutputDrained(int limitMs = kPageWaitLimitMs);
    void waitInputArrived(int limitMs = kPageWaitLimitMs);

    // True while an exchange is running: inside any wait of the link, or inside
    // an Exchange scope. The window refuses device commands, the port toggle,
    // dialogs and closing while it is set, since a second exchange started
    // inside a wait would interleave with the first on the wire.
    bool isBusy() const { return m_busy > 0; }
    class Exchange {
    public:
        explicit Exchange(ProgrammerLink& link) : m_link(link) { ++m_link.m_busy; }
        ~Exchange() { --m_link.m_busy; }
        Exchange(const Exchange&) = delete;
        Exchange& operator=(const Exchange&) = delete;

    private:
        ProgrammerLink& m_link;
    };

private:
    void resetDecoder();

    SerialControl& m_port;
    Clock& m_clock;
    EventPump& m_pump;
    SendInfoFn m_sendInfo;
    QStringDecoder m_decoder;
    bool m_binary = false;
    int m_busy = 0;
    int m_acknowledgementLimitMs = 0;
    bool m_acknowledgementMissed = false;
};

}  // namespace kv
