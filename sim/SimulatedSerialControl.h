// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <deque>
#include <map>

#include "link/SerialControl.h"

namespace kv::sim {

class SimulatedProgrammer;
class VirtualClock;

// An in-process serial port on a virtual clock. Port numbers can carry a
// simulated programmer, be "busy" (opening fails as if another program had the
// port) or be absent (opening fails: no such device). Bytes written take their
// line time at the configured baud rate before the device sees them, and the
// device's replies take theirs before they are readable.
//
// Like a real port, the buffers change only when the line is settled: by
// settle(), the blocking waits, or a VirtualPump yield.
class SimulatedSerialControl : public SerialControl {
public:
    // The system's part of the failure texts; the full texts name the port as
    // the real port's do, e.g. "无法打开端口COM3（SIM3）：Permission denied…".
    static constexpr char kBusyText[] = "Permission denied";
    static constexpr char kAbsentText[] = "没有与它对应的串口设备";
    static constexpr char kNotOpenText[] = "未打开，无法收发数据";

    explicit SimulatedSerialControl(VirtualClock& clock);

    // A null device makes a port that opens but has nothing connected.
    void attach(int portNumber, SimulatedProgrammer* device);
    void detach(int portNumber);
    void setBusy(int portNumber, bool busy = true);

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
    // Both advance virtual time without yielding. They return true at once when
    // nothing is left to send / something is already readable; a negative
    // msecs counts as 0, as on the real port.
    bool waitForBytesWritten(int msecs) override;
    bool waitForReadyRead(int msecs) override;

    // Virtual-time stepping, used by VirtualPump: the time of the next thing that
    // happens on the line (a byte fully sent or fully received), or -1.
    qint64 nextEventUs() const;
    // Moves everything due up to the clock's current time.
    void settle();

    int baud() const { return m_baud; }

    // Everything the program wrote, across all ports (also while no device is
    // attached), for tests that assert "nothing was sent".
    const QByteArray& written() const { return m_written; }
    void clearWritten() { m_written.clear(); }

    // Simulates the cable being pulled: the port closes and onClosedByError runs.
    void hangUp();

private:
    struct TxChunk {
        qint64 startUs;
        QByteArray bytes;
        int sent;
        int baud;
        qint64 dueUs(int i) const;
    };
    SimulatedProgrammer* device() const;
    void requireOpen() const;
    void closeWithError();
    // Advances to the next line event or the deadline (-1: none) and settles;
    // false when neither exists, so nothing can change any more.
    bool step(qint64 deadlineUs);

    VirtualClock& m_clock;
    std::map<int, SimulatedProgrammer*> m_devices;
    std::map<int, bool> m_busy;
    int m_portNumber = 1;
    QString m_settings = QStringLiteral("115200,n,8,1");
    int m_baud = 115200;
    int m_handshaking = 0;
    bool m_open = false;
    QString m_lostReason;      // set by a hang-up until the port is opened or closed again
    std::deque<TxChunk> m_tx;  // written, not yet fully on the line
    QByteArray m_rx;           // received, not yet read
    QByteArray m_written;
};

}  // namespace kv::sim
