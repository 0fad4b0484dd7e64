// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSerialPort>

#include "link/LineSettings.h"
#include "link/SerialControl.h"
#include "settings/SettingsKeys.h"

namespace kv {

class PortMap;

// SerialControl on a real serial device through QSerialPort. The port number
// is turned into a device path by the PortMap when the port opens.
//
// Handshaking 3 (RTS/CTS and XON/XOFF) has no QSerialPort equivalent and runs
// as RTS/CTS alone. Four data bits and 1.5 stop bits are refused: the Linux
// serial drivers cannot produce them and QSerialPort would silently fall back
// to other values.
//
// Notifications: onInputArrived on every readyRead (the data stays in the
// buffer for the link); onClosedByError when the device goes away (read or
// resource error; the port is closed first, so the error cannot repeat);
// onLineEvent for other line errors. Timeouts, "no error" and unsupported
// modem-line calls (pseudo-terminals) are not reported.
class QtSerialControl : public QObject, public SerialControl {
    Q_OBJECT
public:
    explicit QtSerialControl(const PortMap& map, QObject* parent = nullptr);
    ~QtSerialControl() override;

    int portNumber() const override { return m_portNumber; }
    void setPortNumber(int n) override;
    QString settings() const override { return m_settingsText; }
    void setSettings(const QString& text) override;
    int handshaking() const override { return m_handshaking; }
    void setHandshaking(int code) override;

    bool isOpen() const override { return m_serial.isOpen(); }
    void setOpen(bool open) override;

    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    int bytesAvailable() const override;
    int bytesToWrite() const override;
    bool waitForBytesWritten(int msecs) override;
    bool waitForReadyRead(int msecs) override;

    // The device the port is open on; empty while closed.
    QString devicePath() const { return m_devicePath; }

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void onReadyRead();
    void requireOpen() const;
    // Put the values on m_serial; false when the open device refused one
    // (m_serial.errorString() says why).
    bool applyLine(const LineSettings& line);
    bool applyHandshaking(int code);
    QString openFailureText(const QString& path) const;
    bool heldElsewhere(const QString& path) const;
    int osOutputQueue() const;

    const PortMap& m_map;
    QSerialPort m_serial;
    int m_portNumber = 1;
    QString m_settingsText = SettingsKeys::defaultLineSettings();
    LineSettings m_line;
    int m_handshaking = 0;
    QString m_devicePath;
    // Why the port closed when the device went away; byte I/O reports it until
    // the port is opened again, so the warning box says what the log said.
    QString m_lostReason;
    // Set while one of our own calls reports failures by exception, so the
    // same failure is not also reported as a line event.
    int m_quiet = 0;
};

}  // namespace kv
