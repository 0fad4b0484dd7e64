// SPDX-License-Identifier: MIT
#include "sim/SimulatedSerialControl.h"

#include "core/OperationError.h"
#include "link/LineSettings.h"
#include "sim/SimTiming.h"
#include "sim/SimulatedProgrammer.h"
#include "sim/VirtualClock.h"

namespace kv::sim {

SimulatedSerialControl::SimulatedSerialControl(VirtualClock& clock) : m_clock(clock) {}

qint64 SimulatedSerialControl::TxChunk::dueUs(int i) const {
    return startUs + timing::lineTimeUs(i + 1, baud);
}

void SimulatedSerialControl::attach(int portNumber, SimulatedProgrammer* device) {
    m_devices[portNumber] = device;
    if (device) {
        device->setClock(&m_clock);
        if (m_open && portNumber == m_portNumber) {
            device->setBaud(m_baud);
        }
    }
}

void SimulatedSerialControl::detach(int portNumber) {
    m_devices.erase(portNumber);
}

void SimulatedSerialControl::setBusy(int portNumber, bool busy) {
    m_busy[portNumber] = busy;
}

SimulatedProgrammer* SimulatedSerialControl::device() const {
    const auto it = m_devices.find(m_portNumber);
    return it == m_devices.end() ? nullptr : it->second;
}

void SimulatedSerialControl::setPortNumber(int n) {
    if (n < 1 || n > 16) {
        throw OperationError(QStringLiteral("端口号%1无效：应为 1 到 16。").arg(n));
    }
    if (m_open && n != m_portNumber) {
        throw OperationError(
            QStringLiteral("端口COM%1已打开：请先关闭端口再更换。").arg(m_portNumber));
    }
    if (n != m_portNumber) {
        m_lostReason.clear();
    }
    m_portNumber = n;
}

void SimulatedSerialControl::setSettings(const QString& text) {
    const LineSettings line = LineSettings::fromText(text);
    m_settings = text;
    m_baud = line.baudRate;
    if (m_open && device()) {
        device()->setBaud(m_baud);
    }
}

void SimulatedSerialControl::setHandshaking(int code) {
    if (code < 0 || code > 3) {
        throw OperationError(QStringLiteral("握手方式%1无效：应为 0 到 3。").arg(code));
    }
    m_handshaking = code;
}

void SimulatedSerialControl::setOpen(bool open) {
    if (!open) {
        m_lostReason.clear();
    }
    if (open == m_open) {
        return;
    }
    if (!open) {
        m_open = false;
        m_tx.clear();
        m_rx.clear();
        return;
    }
    if (m_busy[m_portNumber]) {
        throw OperationError(
            QStringLiteral("无法打开端口COM%1（SIM%1）：%2\n该端口正被其他程序使用。")
                .arg(m_portNumber)
                .arg(QString::fromUtf8(kBusyText)));
    }
    const auto it = m_devices.find(m_portNumber);
    if (it == m_devices.end() || (it->second && it->second->hungUp())) {
        throw OperationError(QStringLiteral("无法打开端口COM%1：%2。")
                                 .arg(m_portNumber)
                                 .arg(QString::fromUtf8(kAbsentText)));
    }
    m_open = true;
    m_lostReason.clear();
    if (SimulatedProgrammer* d = device()) {
        d->setBaud(m_baud);
        d->takeOutput(m_clock.nowUs());  // sent while nobody listened: lost
    }
}

void SimulatedSerialControl::requireOpen() const {
    if (!m_open && !m_lostReason.isEmpty()) {
        throw OperationError(m_lostReason);
    }
    if (!m_open) {
        throw OperationError(
            QStringLiteral("端口COM%1%2。").arg(m_portNumber).arg(QString::fromUtf8(kNotOpenText)));
    }
}

void SimulatedSerialControl::write(const QByteArray& bytes) {
    requireOpen();
    m_written += bytes;
    if (bytes.isEmpty()) {
        return;
    }
    qint64 start = m_clock.nowUs();
    if (!m_tx.empty()) {
        const TxChunk& last = m_tx.back();
        start = qMax(start, last.dueUs(last.bytes.size() - 1));
    }
    m_tx.push_back({start, bytes, 0, m_baud});
}

QByteArray SimulatedSerialControl::readAll() {
    requireOpen();
    QByteArray out;
    out.swap(m_rx);
    return out;
}

int SimulatedSerialControl::bytesAvailable() const {
    requireOpen();
    return int(m_rx.size());
}

int SimulatedSerialControl::bytesToWrite() const {
    requireOpen();
    qint64 count = 0;
    for (const TxChunk& chunk : m_tx) {
        count += chunk.bytes.size() - chunk.sent;
    }
    return int(count);
}

qint64 SimulatedSerialControl::nextEventUs() const {
    if (!m_open) {
        return -1;
    }
    qint64 next = m_tx.empty() ? -1 : m_tx.front().dueUs(m_tx.front().sent);
    if (SimulatedProgrammer* d = device()) {
        const qint64 out = d->nextOutputDueUs();
        if (out >= 0 && (next < 0 || out < next)) {
            next = out;
        }
    }
    return next;
}

void SimulatedSerialControl::settle() {
    if (!m_open) {
        return;
    }
    const qint64 now = m_clock.nowUs();
    SimulatedProgrammer* d = device();
    while (!m_tx.empty()) {
        TxChunk& chunk = m_tx.front();
        while (chunk.sent < chunk.bytes.size() && chunk.dueUs(chunk.sent) <= now) {
            if (d) {
                d->receive(QByteArray(1, chunk.bytes[chunk.sent]), chunk.dueUs(chunk.sent));
            }
            ++chunk.sent;
        }
        if (chunk.sent < chunk.bytes.size()) {
            break;
        }
        m_tx.pop_front();
    }
    if (!d) {
        return;
    }
    if (d->hungUp()) {
        closeWithError();
        return;
    }
    const QByteArray arrived = d->takeOutput(now);
    if (!arrived.isEmpty()) {
        m_rx += arrived;
        if (onInputArrived) {
            onInputArrived();
        }
    }
}

void SimulatedSerialControl::closeWithError() {
    setOpen(false);
    m_lostReason = hangUpText(m_portNumber);
    if (onClosedByError) {
        onClosedByError(m_lostReason);
    }
}

void SimulatedSerialControl::hangUp() {
    if (m_open) {
        closeWithError();
    }
}

bool SimulatedSerialControl::step(qint64 deadlineUs) {
    const qint64 next = nextEventUs();
    qint64 target = deadlineUs;
    if (next >= 0 && (target < 0 || next < target)) {
        target = next;
    }
    if (target < 0) {
        return false;
    }
    m_clock.advanceTo(target);
    settle();
    return true;
}

bool SimulatedSerialControl::waitForBytesWritten(int msecs) {
    requireOpen();
    const qint64 deadline = m_clock.nowUs() + qint64(qMax(msecs, 0)) * 1000;
    settle();
    while (m_open && !m_tx.empty()) {
        if (m_clock.nowUs() >= deadline || !step(deadline)) {
            break;
        }
    }
    return m_open && m_tx.empty();
}

bool SimulatedSerialControl::waitForReadyRead(int msecs) {
    requireOpen();
    const qint64 deadline = m_clock.nowUs() + qint64(qMax(msecs, 0)) * 1000;
    settle();
    while (m_open && m_rx.isEmpty()) {
        if (m_clock.nowUs() >= deadline || !step(deadline)) {
            break;
        }
    }
    return m_open && !m_rx.isEmpty();
}

}  // namespace kv::sim
