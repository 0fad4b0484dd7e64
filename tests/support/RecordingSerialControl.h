// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>

#include "core/Clock.h"
#include "link/SerialControl.h"

namespace kv::test {

// Passes every call on to another port and records each write and each
// successful open with the clock time it was made, so that tests can check
// write boundaries and the pacing between them.
class RecordingSerialControl : public SerialControl {
public:
    struct Event {
        qint64 atUs;
        QByteArray bytes;  // a write; empty for an open
        int portNumber;
    };

    RecordingSerialControl(SerialControl& inner, const Clock& clock)
        : m_inner(inner), m_clock(clock) {
        m_inner.onInputArrived = [this] {
            if (onInputArrived)
                onInputArrived();
        };
    }
    ~RecordingSerialControl() override { m_inner.onInputArrived = nullptr; }

    // Bytes found in the receive buffer right after every open, as a driver
    // that kept what arrived before the port was opened would deliver them.
    QByteArray staleOnOpen;
    // Bytes that arrive now, ahead of anything the other port holds.
    void inject(const QByteArray& bytes) {
        m_extra += bytes;
        if (onInputArrived)
            onInputArrived();
    }

    QList<Event> events;
    QList<QByteArray> writes() const {
        QList<QByteArray> result;
        for (const Event& e : events) {
            if (!e.bytes.isEmpty())
                result << e.bytes;
        }
        return result;
    }
    QList<qint64> opensAtUs() const {
        QList<qint64> result;
        for (const Event& e : events) {
            if (e.bytes.isEmpty())
                result << e.atUs;
        }
        return result;
    }

    int portNumber() const override { return m_inner.portNumber(); }
    void setPortNumber(int n) override { m_inner.setPortNumber(n); }
    QString settings() const override { return m_inner.settings(); }
    void setSettings(const QString& text) override { m_inner.setSettings(text); }
    int handshaking() const override { return m_inner.handshaking(); }
    void setHandshaking(int code) override { m_inner.setHandshaking(code); }
    bool isOpen() const override { return m_inner.isOpen(); }
    void setOpen(bool open) override {
        const bool wasOpen = m_inner.isOpen();
        m_inner.setOpen(open);
        if (!open) {
            m_extra.clear();
        } else if (!wasOpen) {
            m_extra = staleOnOpen;
            events.append({m_clock.nowUs(), QByteArray(), m_inner.portNumber()});
        }
    }
    void write(const QByteArray& bytes) override {
        m_inner.write(bytes);
        events.append({m_clock.nowUs(), bytes, m_inner.portNumber()});
    }
    QByteArray readAll() override {
        QByteArray bytes = m_inner.readAll();
        bytes.prepend(m_extra);
        m_extra.clear();
        return bytes;
    }
    int bytesAvailable() const override { return int(m_extra.size()) + m_inner.bytesAvailable(); }
    int bytesToWrite() const override { return m_inner.bytesToWrite(); }
    bool waitForBytesWritten(int msecs) override { return m_inner.waitForBytesWritten(msecs); }
    bool waitForReadyRead(int msecs) override {
        return !m_extra.isEmpty() || m_inner.waitForReadyRead(msecs);
    }

private:
    SerialControl& m_inner;
    const Clock& m_clock;
    QByteArray m_extra;
};

}  // namespace kv::test
