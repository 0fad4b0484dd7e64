#pragma once

#include <QByteArray>
#include <QString>
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
class SimulatedSerialControl : public SerialControl {
public:
    explicit SimulatedSerialControl(VirtualClock& clock);

    void attach(int portNumber, SimulatedProgrammer* device);
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
    bool waitForBytesWritten(int msecs) override;
    bool waitForReadyRead(int msecs) override;

    // Virtual-time stepping, used by VirtualPump: the time of the next thing that
    // happens on the line (a byte fully sent or fully received), or -1.
    qint64 nextEventUs() const;
    // Moves everything due up to the clock's current time.
    void settle();

    // Everything the program wrote, across all ports (also while no device is
    // attached), for tests that assert "nothing was sent".
    const QByteArray& written() const { return m_written; }

    // Simulates the cable being pulled: the port closes and onClosedByError runs.
    void hangUp();

private:
    SimulatedProgrammer* device() const;

    VirtualClock& m_clock;
    std::map<int, SimulatedProgrammer*> m_devices;
    std::map<int, bool> m_busy;
    int m_portNumber = 1;
    QString m_settings = QStringLiteral("115200,n,8,1");
    int m_handshaking = 0;
    bool m_open = false;
    QByteArray m_txQueue;          // written, not yet on the line
    qint64 m_txLineFreeUs = 0;     // when the last queued byte finishes sending
    QByteArray m_rx;               // received, not yet read
    QByteArray m_written;
};

}  // namespace kv::sim
