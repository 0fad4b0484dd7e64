// SPDX-License-Identifier: MIT
#include "avr/FirmwareHost.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "avr/ProgrammerBoard.h"
#include "sim/PtyBaud.h"

namespace kv::sim::avr {

namespace {

// Simulated time run per slice; short enough that a reply is never held back
// noticeably, long enough that the slice's overhead does not count.
constexpr qint64 kSliceUs = 500;
// How far the simulated clock may run ahead of the wall clock.
constexpr qint64 kLeadUs = 1000;

qint64 wallUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

FirmwareHost::FirmwareHost(std::unique_ptr<ProgrammerBoard> board) : m_board(std::move(board)) {}

FirmwareHost::~FirmwareHost() {
    stop();
    closeLine();
}

bool FirmwareHost::start(QString* error) {
    const auto fail = [&](const char* step) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        }
        closeLine();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail("grantpt");
    const char* name = ::ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);
    termios raw{};
    ::tcgetattr(m_master, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B115200);
    ::tcsetattr(m_master, TCSANOW, &raw);
    // Held open so the master never reads EIO between clients.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0)
        return fail("open");
    m_thread = std::thread([this] { run(); });
    return true;
}

void FirmwareHost::stop() {
    m_quit = true;
    if (m_thread.joinable())
        m_thread.join();
}

void FirmwareHost::closeLine() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

void FirmwareHost::hangUp() {
    withBoard([this](ProgrammerBoard&) { closeLine(); });
}

void FirmwareHost::withBoard(const std::function<void(ProgrammerBoard&)>& f) {
    ++m_waiting;
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_waiting;
    f(*m_board);
}

QString FirmwareHost::stopReason() {
    QString reason;
    withBoard([&](ProgrammerBoard&) { reason = m_stopReason; });
    return reason;
}

void FirmwareHost::run() {
    qint64 wallStart = wallUs();
    qint64 simStart = m_board->nowUs();
    qint64 speedWall = wallStart, speedSim = simStart;
    while (!m_quit) {
        qint64 aheadUs = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_master >= 0) {
                const int baud = m_fixedBaud > 0 ? m_fixedBaud : ptyBaudRate(m_master);
                m_board->setBaud(baud > 0 ? baud : 115200);
                char buffer[4096];
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n > 0)
                    m_board->send(QByteArray(buffer, int(n)));
            }
            if (!m_board->runFor(kSliceUs)) {
                m_stopReason = m_board->stopReason();
                m_stopped = true;
                return;
            }
            m_pending += m_board->takeOutput();
            while (!m_pending.isEmpty() && m_master >= 0) {
                const ssize_t n =
                    ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
                if (n <= 0)
                    break;  // nobody reads: keep it for later
                m_pending.remove(0, n);
            }
            if (m_pending.size() > (1 << 20))
                m_pending.clear();
            const qint64 sim = m_board->nowUs() - simStart;
            const qint64 wall = wallUs() - wallStart;
            aheadUs = sim - wall;
            if (-aheadUs > m_maxLagUs)
                m_maxLagUs = -aheadUs;
            if (aheadUs < -100'000) {
                // Too far behind to catch up: carry on from here rather than
                // run flat out for ever after a stall.
                wallStart += -aheadUs;
                aheadUs = 0;
            }
            const qint64 now = wallUs();
            if (now - speedWall >= 2'000'000) {
                m_speed = double(m_board->nowUs() - speedSim) / double(now - speedWall);
                speedWall = now;
                speedSim = m_board->nowUs();
            }
        }
        // The worker would win the lock again at once; let a console command in.
        while (m_waiting > 0 && !m_quit)
            std::this_thread::yield();
        if (aheadUs > kLeadUs) {
            // Sleep off the lead, but wake for input.
            pollfd fd{m_master, POLLIN, 0};
            ::poll(m_master >= 0 ? &fd : nullptr, m_master >= 0 ? 1 : 0,
                   int((aheadUs - kLeadUs / 2) / 1000));
        }
    }
}

}  // namespace kv::sim::avr
