// SPDX-License-Identifier: MIT
#include "sim/PtyServer.h"

#include <ctime>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "sim/PtyBaud.h"
#include "sim/SimulatedProgrammer.h"

namespace kv::sim {

namespace {

// Bytes nobody reads are dropped beyond this, as on a line without a listener.
constexpr qsizetype kPendingLimit = 1 << 20;

}  // namespace

PtyServer::PtyServer(SimulatedProgrammer& device, QObject* parent)
    : QObject(parent), m_device(device) {
    m_device.setClock(&m_clock);
    m_outputTimer.setSingleShot(true);
    m_outputTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_outputTimer, &QTimer::timeout, this, &PtyServer::service);
}

PtyServer::~PtyServer() {
    closeLine();
    m_device.setClock(nullptr);
}

bool PtyServer::start(QString* error) {
    const auto fail = [&](const char* step) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        }
        closeLine();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) {
        return fail("posix_openpt");
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        return fail("grantpt");
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        return fail("ptsname");
    }
    m_slavePath = QString::fromLocal8Bit(name);
    termios raw{};
    ::tcgetattr(m_master, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B115200);
    ::tcsetattr(m_master, TCSANOW, &raw);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        return fail("open");
    }
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyServer::onWritable);
    m_device.setBaud(currentBaud());
    return true;
}

int PtyServer::currentBaud() const {
    if (m_fixedBaud > 0) {
        return m_fixedBaud;
    }
    const int baud = m_master >= 0 ? ptyBaudRate(m_master) : 0;
    return baud > 0 ? baud : 115200;
}

void PtyServer::hangUp() {
    closeLine();
}

void PtyServer::closeLine() {
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    m_outputTimer.stop();
    m_pending.clear();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

void PtyServer::onReadable() {
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        closeLine();
        Q_EMIT hungUp();
        return;
    }
    // The pseudo-terminal hands bytes over at once; a real line delivers them
    // one character time apart.
    m_device.setBaud(currentBaud());
    const qint64 byteUs = m_device.byteTimeUs();
    m_rxLineFreeUs = qMax(m_rxLineFreeUs, m_clock.nowUs());
    for (ssize_t i = 0; i < n; ++i) {
        m_rxLineFreeUs += byteUs;
        m_device.receive(QByteArray(1, buffer[i]), m_rxLineFreeUs);
    }
    service();
}

void PtyServer::service() {
    if (m_master < 0) {
        return;
    }
    if (m_device.hungUp()) {
        closeLine();
        Q_EMIT hungUp();
        return;
    }
    for (;;) {
        const qint64 now = m_clock.nowUs();
        const QByteArray due = m_device.takeOutput(now);
        m_pending += due;
        if (m_pending.size() > kPendingLimit) {
            m_pending.remove(0, m_pending.size() - kPendingLimit);
        }
        flushPending();
        const qint64 next = m_device.nextOutputDueUs();
        if (next < 0) {
            m_outputTimer.stop();
            return;
        }
        const qint64 waitUs = next - now;
        // Qt timers count whole milliseconds. The first byte of a reply after a
        // quiet line leaves on time: the sub-millisecond rest is slept off. A
        // running stream goes out in 1 ms batches instead, so a long read does
        // not cost a wake-up per character.
        if (waitUs < 1000 && due.isEmpty()) {
            const timespec rest{0, long(qMax<qint64>(waitUs, 0) * 1000)};
            ::nanosleep(&rest, nullptr);
            continue;
        }
        m_outputTimer.start(int(qMax<qint64>(1, waitUs / 1000)));
        return;
    }
}

void PtyServer::flushPending() {
    while (!m_pending.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        break;  // full (nobody reading): wait until the terminal takes more
    }
    if (m_writeNotifier) {
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
    }
}

void PtyServer::onWritable() {
    flushPending();
}

}  // namespace kv::sim
