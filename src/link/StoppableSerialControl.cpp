// SPDX-License-Identifier: MIT
#include "link/StoppableSerialControl.h"

#include "core/OperationError.h"

namespace kv {

StoppableSerialControl::StoppableSerialControl(SerialControl& inner) : m_inner(inner) {
    m_inner.onInputArrived = [this] {
        if (onInputArrived)
            onInputArrived();
    };
    m_inner.onLineEvent = [this] {
        if (onLineEvent)
            onLineEvent();
    };
    m_inner.onClosedByError = [this](const QString& reason) {
        if (onClosedByError)
            onClosedByError(reason);
    };
}

StoppableSerialControl::~StoppableSerialControl() {
    m_inner.onInputArrived = nullptr;
    m_inner.onLineEvent = nullptr;
    m_inner.onClosedByError = nullptr;
}

void StoppableSerialControl::requestStop(const QString& reason) {
    m_requested = true;
    m_reason = reason;
}

void StoppableSerialControl::clearStop() {
    m_requested = false;
    m_reason.clear();
}

bool StoppableSerialControl::isStopRequested() const {
    return m_requested || externalStopRequested();
}

void StoppableSerialControl::checkStop() const {
    if (!m_stoppable)
        return;
    if (m_requested)
        throw OperationError(m_reason, ErrorKind::Stopped);
    if (externalStopRequested())
        throw OperationError(externalStopText(), ErrorKind::Stopped);
}

void StoppableSerialControl::write(const QByteArray& bytes) {
    checkStop();
    if (m_sent == 0 && onFirstWrite)
        onFirstWrite();
    m_inner.write(bytes);
    m_sent += bytes.size();
    if (onTraffic)
        onTraffic(true, bytes);
}

QByteArray StoppableSerialControl::readAll() {
    checkStop();
    const QByteArray bytes = m_inner.readAll();
    m_received += bytes.size();
    if (onTraffic && !bytes.isEmpty())
        onTraffic(false, bytes);
    return bytes;
}

}  // namespace kv
