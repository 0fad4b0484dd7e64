// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "core/SystemClock.h"

class QSocketNotifier;

namespace kv::sim {

class SimulatedProgrammer;

// Serves a SimulatedProgrammer on a pseudo-terminal in real time. A client
// opens the slave path like a serial port. Both directions are paced at the
// baud rate the client set on the slave (or a fixed one): received bytes count
// as arrived one character time apart, replies leave when they are due, by
// precise timers. A slave descriptor is kept open so the master never reads EIO
// between clients.
class PtyServer : public QObject {
    Q_OBJECT
public:
    explicit PtyServer(SimulatedProgrammer& device, QObject* parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal; false with the system's reason on failure.
    bool start(QString* error = nullptr);
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // 0 (default): follow the client's line settings.
    void setFixedBaud(int baud) { m_fixedBaud = baud; }
    int currentBaud() const;

    // Closes the master as a pulled cable would: the client reads EIO/hang-up.
    void hangUp();
    // Call after changing the device from outside (loader restart, faults):
    // hands over what became due and schedules the next output.
    void service();

    const SystemClock& clock() const { return m_clock; }

Q_SIGNALS:
    // The line died by itself (the device's hang-up fault), not by hangUp().
    void hungUp();

private:
    void onReadable();
    void onWritable();
    void flushPending();
    void closeLine();

    SimulatedProgrammer& m_device;
    SystemClock m_clock;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_outputTimer;
    QByteArray m_pending;  // due, not yet accepted by the pseudo-terminal
    qint64 m_rxLineFreeUs = 0;
    int m_fixedBaud = 0;
};

}  // namespace kv::sim
