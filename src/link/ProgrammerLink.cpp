// SPDX-License-Identifier: MIT
#include "link/ProgrammerLink.h"

#include <QCoreApplication>

#include <exception>

#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/LineSettings.h"
#include "link/ProgrammerReplies.h"
#include "link/SerialControl.h"
#include "link/WireCommands.h"

namespace kv {

namespace {

// Counts a running wait as part of an exchange, also when it ends by an error.
class BusyScope {
public:
    explicit BusyScope(int& counter) : m_counter(counter) { ++m_counter; }
    ~BusyScope() { --m_counter; }

private:
    int& m_counter;
};

const char* const kNoReply = QT_TRANSLATE_NOOP("ProgrammerLink", "编程器无反应!");

// Puts the link back into text input when an error leaves the scope: every
// exchange after a failed FLASH write expects text.
class TextModeOnError {
public:
    explicit TextModeOnError(ProgrammerLink& link)
        : m_link(link), m_errors(std::uncaught_exceptions()) {}
    ~TextModeOnError() {
        if (std::uncaught_exceptions() > m_errors)
            m_link.setBinaryInput(false);
    }

private:
    ProgrammerLink& m_link;
    int m_errors;
};

// Milliseconds the line needs for `count` characters at the port's settings,
// rounded up; two stop bits are counted for 1.5.
qint64 lineTimeMs(const SerialControl& port, qint64 count) {
    const auto line = LineSettings::parse(port.settings());
    if (!line || count <= 0)
        return 0;
    const int bits = 1 + line->dataBits + (line->parity == LineSettings::Parity::None ? 0 : 1) +
                     (line->stopBits == LineSettings::StopBits::One ? 1 : 2);
    return (count * bits * 1000 + line->baudRate - 1) / line->baudRate;
}

}  // namespace

ProgrammerLink::ProgrammerLink(SerialControl& port, Clock& clock, EventPump& pump,
                               SendInfoFn sendInfo)
    : m_port(port),
      m_clock(clock),
      m_pump(pump),
      m_sendInfo(std::move(sendInfo)),
      m_decoder("GBK") {
    m_port.onInputArrived = [this] { m_pump.wake(); };
}

ProgrammerLink::~ProgrammerLink() {
    m_port.onInputArrived = nullptr;
}

void ProgrammerLink::sendInfo(const QString& message) const {
    if (m_sendInfo)
        m_sendInfo(message);
}

void ProgrammerLink::sendCommand(const QString& text) {
    m_port.write(text.toLatin1());
}

void ProgrammerLink::sendBytes(const QByteArray& block) {
    m_port.write(block);
}

QString ProgrammerLink::readInput() {
    const QByteArray bytes = m_port.readAll();
    if (m_binary)
        return QString::fromLatin1(bytes);
    return m_decoder.decode(bytes);
}

QByteArray ProgrammerLink::readInputBytes() {
    return m_port.readAll();
}

void ProgrammerLink::discardInput() {
    m_port.readAll();
    // A character cut in half by the discard must not glue onto the next reply.
    resetDecoder();
}

int ProgrammerLink::inputCount() {
    return m_port.bytesAvailable();
}

int ProgrammerLink::outputCount() {
    return m_port.bytesToWrite();
}

void ProgrammerLink::setBinaryInput(bool on) {
    if (m_binary == on)
        return;
    m_binary = on;
    resetDecoder();
}

void ProgrammerLink::resetDecoder() {
    m_decoder = QStringDecoder("GBK");
}

void ProgrammerLink::delayMs(int ms) {
    BusyScope busy(m_busy);
    const qint64 start = m_clock.nowUs();
    const qint64 limitUs = qint64(qMax(ms, 0)) * 1000;
    // Strictly greater: the wait ends at the first microsecond past the limit.
    const qint64 deadline = start + limitUs + 1;
    do {
        m_pump.yieldUntil(deadline);
    } while (m_clock.nowUs() - start <= limitUs);
}

void ProgrammerLink::yieldOnce() {
    BusyScope busy(m_busy);
    m_pump.yieldUntil(m_clock.nowUs());
}

QString ProgrammerLink::readAfter(int ms) {
    delayMs(ms);
    return readInput();
}

bool ProgrammerLink::drainUntilQuiet(int quietMs, int limitMs) {
    BusyScope busy(m_busy);
    const qint64 startMs = m_clock.nowMs();
    qint64 lastHeardMs = startMs;
    for (;;) {
        if (!m_port.readAll().isEmpty())
            lastHeardMs = m_clock.nowMs();
        const qint64 nowMs = m_clock.nowMs();
        if (nowMs - lastHeardMs >= quietMs) {
            resetDecoder();
            return true;
        }
        if (nowMs - startMs >= limitMs)
            return false;
        delayMs(qMin(quietMs, 20));
    }
}

QString ProgrammerLink::logReplyAfter(int ms) {
    delayMs(ms);
    QString reply;
    if (inputCount() > 0)
        reply = readInput();
    logReply(reply);
    return reply;
}

void ProgrammerLink::logReply(const QString& reply) const {
    sendInfo(replyText(reply));
}

QString ProgrammerLink::replyText(const QString& reply) {
    return reply.isEmpty() ? QCoreApplication::translate("ProgrammerLink", kNoReply)
                           : replies::presented(reply);
}

bool ProgrammerLink::waitForText(int limitMs, const QString& expected) {
    BusyScope busy(m_busy);
    const qint64 startMs = m_clock.nowMs();
    const qint64 deadline = (startMs + qMax(limitMs, 0)) * 1000;
    QString collected;
    for (;;) {
        m_pump.yieldUntil(deadline);
        collected += readInput();
        if (collected.contains(expected))
            return true;
        if (m_clock.nowMs() - startMs >= limitMs)
            return false;
    }
}

bool ProgrammerLink::waitForAcknowledgement(int ms) {
    const int limit = m_acknowledgementMissed ? ms : qMax(ms, m_acknowledgementLimitMs);
    const bool acknowledged = waitForText(limit, QStringLiteral("!"));
    m_acknowledgementMissed = !acknowledged;
    return acknowledged;
}

QString ProgrammerLink::readInfoByte(int address) {
    sendCommand(wire::readInfoByte(address));
    return readAfter(100);
}

QString ProgrammerLink::padText(const QString& text, QChar fill, int width, bool left) {
    const int missing = width - text.size();
    if (missing <= 0)
        return text;
    const QString padding(missing, fill);
    return left ? padding + text : text + padding;
}

qint64 ProgrammerLink::lineTimeMs(qint64 count) const {
    return kv::lineTimeMs(m_port, count);
}

void ProgrammerLink::waitOutputDrained(int limitMs) {
    BusyScope busy(m_busy);
    TextModeOnError textMode(*this);
    const qint64 start = m_clock.nowUs();
    // A slow line is not a silent programmer: the bytes' own line time comes on top.
    const qint64 boundMs = qint64(limitMs) + lineTimeMs(m_port.bytesToWrite());
    while (m_port.bytesToWrite() > 0) {
        const qint64 leftMs = boundMs - (m_clock.nowUs() - start) / 1000;
        if (leftMs <= 0) {
            throw OperationError(QCoreApplication::translate(
                                     "ProgrammerLink", "串口在%1秒内未能发出数据，FLASH写入已中止!")
                                     .arg(boundMs / 1000.0),
                                 ErrorKind::NoAnswer);
        }
        m_port.waitForBytesWritten(int(qMin<qint64>(leftMs, 100)));
    }
}

void ProgrammerLink::waitInputArrived(int limitMs) {
    BusyScope busy(m_busy);
    TextModeOnError textMode(*this);
    const qint64 start = m_clock.nowUs();
    while (m_port.bytesAvailable() < 1) {
        const qint64 leftMs = limitMs - (m_clock.nowUs() - start) / 1000;
        if (leftMs <= 0) {
            throw OperationError(QCoreApplication::translate(
                                     "ProgrammerLink", "编程器在%1秒内没有确认FLASH页，写入已中止!")
                                     .arg(limitMs / 1000.0),
                                 ErrorKind::NoAnswer);
        }
        m_port.waitForReadyRead(int(qMin<qint64>(leftMs, 100)));
    }
}

}  // namespace kv
