// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace kv::sim::avr {

class ProgrammerBoard;

// Runs the programmer's firmware on a ProgrammerBoard against a pseudo-terminal
// in real time: a worker thread runs the core in slices and never lets the
// simulated clock get ahead of the wall clock, so a program on the other end
// of the line sees the firmware's replies when a real board would give them.
// Bytes from the terminal reach UART0 one character time apart at the baud
// rate the client set (or a fixed one); the firmware's bytes are written to
// the terminal when their last bit is out. When the machine cannot keep up,
// the firmware runs late and lagMs() says by how much.
class FirmwareHost {
public:
    FirmwareHost(std::unique_ptr<ProgrammerBoard> board);
    ~FirmwareHost();

    bool start(QString* error = nullptr);
    void stop();
    QString slavePath() const { return m_slavePath; }
    void setFixedBaud(int baud) { m_fixedBaud = baud; }
    // Closes the line as a pulled cable would.
    void hangUp();

    // Runs f with the board stopped between two slices.
    void withBoard(const std::function<void(ProgrammerBoard&)>& f);
    // Worst lag of the simulated clock behind the wall clock so far, and the
    // simulated time run per wall-clock second over the last ~2 s while idle.
    double lagMs() const { return m_maxLagUs.load() / 1000.0; }
    double speed() const { return m_speed.load(); }
    // The worker stopped: the firmware crashed or left its program.
    bool stopped() const { return m_stopped.load(); }
    QString stopReason();

private:
    void run();
    void closeLine();

    std::unique_ptr<ProgrammerBoard> m_board;
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::atomic<int> m_waiting{0};  // console calls waiting for the board
    std::atomic<bool> m_stopped{false};
    std::atomic<qint64> m_maxLagUs{0};
    std::atomic<double> m_speed{0};
    QString m_stopReason;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    int m_fixedBaud = 0;
    QByteArray m_pending;
};

}  // namespace kv::sim::avr
