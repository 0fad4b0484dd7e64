// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>

#include "link/SerialControl.h"

namespace kv {

// A serial control that a stop request ends at a safe point: once a stop is
// asked for, the next write or read is refused with an OperationError of kind
// Stopped. Every write carries one whole command or one whole FLASH page (the
// writer hands a page over in one piece), so a stop never cuts a page in two,
// and nothing on the wire changes until the stop. It also counts the bytes
// each way. The window's Stop and the command line's signals both end here.
class StoppableSerialControl : public SerialControl {
public:
    explicit StoppableSerialControl(SerialControl& inner);
    ~StoppableSerialControl() override;
    StoppableSerialControl(const StoppableSerialControl&) = delete;
    StoppableSerialControl& operator=(const StoppableSerialControl&) = delete;

    static QString defaultStopText() {
        return QCoreApplication::translate("StoppableSerialControl", "已停止。");
    }

    // Asks the running work to stop; reason is the text of the error that ends it.
    void requestStop(const QString& reason = defaultStopText());
    // Forgets a request, before the next command starts.
    void clearStop();
    // A request of this control or of the outside source below.
    bool isStopRequested() const;
    // While off (the firmware transfer, which must not stop half-way) a stop
    // request waits until it is switched on again.
    void setStoppable(bool on) { m_stoppable = on; }
    bool isStoppable() const { return m_stoppable; }

    qint64 bytesSent() const { return m_sent; }
    qint64 bytesReceived() const { return m_received; }

    int portNumber() const override { return m_inner.portNumber(); }
    void setPortNumber(int n) override { m_inner.setPortNumber(n); }
    QString settings() const override { return m_inner.settings(); }
    void setSettings(const QString& text) override { m_inner.setSettings(text); }
    int handshaking() const override { return m_inner.handshaking(); }
    void setHandshaking(int code) override { m_inner.setHandshaking(code); }
    bool isOpen() const override { return m_inner.isOpen(); }
    void setOpen(bool open) override { m_inner.setOpen(open); }
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    int bytesAvailable() const override { return m_inner.bytesAvailable(); }
    int bytesToWrite() const override { return m_inner.bytesToWrite(); }
    bool waitForBytesWritten(int msecs) override { return m_inner.waitForBytesWritten(msecs); }
    bool waitForReadyRead(int msecs) override { return m_inner.waitForReadyRead(msecs); }

    // Called once, just before the first byte goes out.
    std::function<void()> onFirstWrite;
    // Every piece of the line's traffic, as it goes out or is taken in
    // (--verbose); sent: the direction.
    std::function<void(bool sent, const QByteArray& bytes)> onTraffic;

protected:
    // A stop asked for outside this control (a signal handler's flag), read
    // at every write and read; none by default.
    virtual bool externalStopRequested() const { return false; }
    // The text of the error that ends the work after such an outside stop.
    virtual QString externalStopText() const { return defaultStopText(); }

private:
    void checkStop() const;

    SerialControl& m_inner;
    bool m_stoppable = true;
    bool m_requested = false;
    QString m_reason;
    qint64 m_sent = 0;
    qint64 m_received = 0;
};

}  // namespace kv
