// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "core/Clock.h"
#include "link/SerialControl.h"

namespace kv::sim::avr {

class ProgrammerBoard;

// The board's UART0 as the program's serial port, on the board's own
// simulated time: waiting runs the firmware for as long as the wait lasts, so
// the program's timing is measured in the simulator's clock, whatever the
// machine's speed. BoardClock and BoardPump are the link's clock and event
// pump on the same time.
class BoardSerialControl : public SerialControl {
public:
    explicit BoardSerialControl(ProgrammerBoard& board);

    int portNumber() const override { return m_portNumber; }
    void setPortNumber(int n) override;
    QString settings() const override { return m_settings; }
    void setSettings(const QString& text) override;
    int handshaking() const override { return m_handshaking; }
    void setHandshaking(int code) override;
    bool isOpen() const override { return m_open; }
    void setOpen(bool open) override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    int bytesAvailable() const override;
    int bytesToWrite() const override;
    bool waitForBytesWritten(int msecs) override;
    bool waitForReadyRead(int msecs) override;

    // Runs the board until deadlineUs or until a byte arrives; true if one did.
    bool runUntil(qint64 deadlineUs);
    // The firmware stopped (crashed): waits return at once.
    bool boardStopped() const { return m_stopped; }

private:
    void requireOpen() const;
    bool collect();

    ProgrammerBoard& m_board;
    int m_portNumber = 1;
    QString m_settings = QStringLiteral("115200,n,8,1");
    int m_handshaking = 0;
    bool m_open = false;
    bool m_stopped = false;
    mutable QByteArray m_rx;
};

class BoardClock : public Clock {
public:
    explicit BoardClock(const ProgrammerBoard& board) : m_board(board) {}
    qint64 nowUs() const override;

private:
    const ProgrammerBoard& m_board;
};

class BoardPump : public EventPump {
public:
    explicit BoardPump(BoardSerialControl& port) : m_port(port) {}
    void yieldUntil(qint64 deadlineUs) override {
        m_port.runUntil(deadlineUs);
        if (onYield)
            onYield();
    }

    // The "window events" of a test: runs once per yield.
    std::function<void()> onYield;

private:
    BoardSerialControl& m_port;
};

}  // namespace kv::sim::avr
