// SPDX-License-Identifier: MIT
#include "avr/BoardSerialControl.h"

#include "avr/ProgrammerBoard.h"
#include "core/OperationError.h"
#include "link/LineSettings.h"

namespace kv::sim::avr {

namespace {

// The core runs in steps this long between looks at the line.
constexpr qint64 kStepUs = 50;

}  // namespace

BoardSerialControl::BoardSerialControl(ProgrammerBoard& board) : m_board(board) {}

void BoardSerialControl::setPortNumber(int n) {
    if (n < 1 || n > 16)
        throw OperationError(QStringLiteral("端口号%1无效：应为 1 到 16。").arg(n));
    m_portNumber = n;
}

void BoardSerialControl::setSettings(const QString& text) {
    const LineSettings line = LineSettings::fromText(text);
    m_settings = text;
    m_board.setBaud(line.baudRate);
}

void BoardSerialControl::setHandshaking(int code) {
    if (code < 0 || code > 3)
        throw OperationError(QStringLiteral("握手方式%1无效：应为 0 到 3。").arg(code));
    m_handshaking = code;
}

void BoardSerialControl::setOpen(bool open) {
    if (open && !m_open)
        m_board.takeOutput();  // sent while nobody listened: lost
    m_open = open;
    m_rx.clear();
}

void BoardSerialControl::requireOpen() const {
    if (!m_open)
        throw OperationError(QStringLiteral("端口COM%1未打开，无法收发数据。").arg(m_portNumber));
}

void BoardSerialControl::write(const QByteArray& bytes) {
    requireOpen();
    m_board.send(bytes);
}

bool BoardSerialControl::collect() {
    const QByteArray out = m_board.takeOutput();
    if (out.isEmpty())
        return false;
    m_rx += out;
    if (onInputArrived)
        onInputArrived();
    return true;
}

QByteArray BoardSerialControl::readAll() {
    requireOpen();
    collect();
    QByteArray out;
    out.swap(m_rx);
    return out;
}

int BoardSerialControl::bytesAvailable() const {
    requireOpen();
    m_rx += m_board.takeOutput();
    return int(m_rx.size());
}

int BoardSerialControl::bytesToWrite() const {
    requireOpen();
    return m_board.pendingInput();
}

bool BoardSerialControl::runUntil(qint64 deadlineUs) {
    bool arrived = collect();
    while (!arrived && !m_stopped && m_board.nowUs() < deadlineUs) {
        if (!m_board.runFor(qMin(kStepUs, deadlineUs - m_board.nowUs())))
            m_stopped = true;
        arrived = collect();
    }
    return arrived;
}

bool BoardSerialControl::waitForBytesWritten(int msecs) {
    requireOpen();
    const qint64 deadline = m_board.nowUs() + qMax(0, msecs) * 1000LL;
    while (m_board.pendingInput() > 0 && !m_stopped && m_board.nowUs() < deadline) {
        if (!m_board.runFor(kStepUs))
            m_stopped = true;
    }
    collect();
    return m_board.pendingInput() == 0;
}

bool BoardSerialControl::waitForReadyRead(int msecs) {
    requireOpen();
    if (!m_rx.isEmpty() || collect())
        return true;
    return runUntil(m_board.nowUs() + qMax(0, msecs) * 1000LL);
}

qint64 BoardClock::nowUs() const {
    return m_board.nowUs();
}

}  // namespace kv::sim::avr
