// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <functional>

namespace kv {

// The serial port as the program sees it: a port number n (shown as "COM" + n),
// a line settings text such as "115200,n,8,1", a handshaking code 0-3 and an
// open flag, plus byte I/O. Implemented on QSerialPort for real devices and by
// the simulated programmer for tests. Every failing call throws OperationError
// with a text fit for the warning box.
class SerialControl {
public:
    // What onClosedByError reports when the device went away.
    static QString hangUpText(int portNumber) {
        return QCoreApplication::translate("SerialControl",
                                           "端口COM%1的连接已断开（设备被拔出或已关闭）。")
            .arg(portNumber);
    }

    virtual ~SerialControl() = default;

    virtual int portNumber() const = 0;
    // Throws when n is outside 1-16, or names another port while this one is
    // open (close it first).
    virtual void setPortNumber(int n) = 0;
    virtual QString settings() const = 0;
    // Throws on a text that is not "baud,parity,data,stop" with parity one of
    // e/o/n/m/s (either case), data bits 4-8 and stop bits 1, 1.5 or 2.
    virtual void setSettings(const QString& text) = 0;
    virtual int handshaking() const = 0;
    // Throws outside 0-3 (0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both).
    virtual void setHandshaking(int code) = 0;

    virtual bool isOpen() const = 0;
    // Opens or closes; opening throws with the system's text when the device is
    // missing, busy or not accessible. Closing a closed port does nothing.
    virtual void setOpen(bool open) = 0;

    // Byte I/O; each throws when the port is closed.
    virtual void write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual int bytesAvailable() const = 0;
    virtual int bytesToWrite() const = 0;
    // Blocking waits that do NOT yield to the window (the two waits of the FLASH
    // page loop). Return false when the time passed first. A negative time
    // counts as 0: no wait is unbounded.
    virtual bool waitForBytesWritten(int msecs) = 0;
    virtual bool waitForReadyRead(int msecs) = 0;

    // Notifications, set by the owner of the link.
    // Called when bytes arrived (wakes the link's waits; never reads them).
    std::function<void()> onInputArrived;
    // A modem-line change or a line error the user should see in the log.
    std::function<void()> onLineEvent;
    // The device went away (cable pulled, other side hung up); the port is
    // already closed when this is called. Argument: the reason.
    std::function<void(const QString&)> onClosedByError;
};

}  // namespace kv
