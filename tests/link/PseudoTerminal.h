// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <QByteArray>
#include <QString>

namespace kv::test {

// A pseudo-terminal whose slave side a port under test opens by path while the
// test plays the device on the master side. A slave descriptor is kept open so
// the master never sees a hang-up between clients; hangUp() closes the master.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            return;
        }
        m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
        termios raw{};
        ::tcgetattr(m_master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_master, TCSANOW, &raw);
        m_keepSlave = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal() {
        hangUp();
        if (m_keepSlave >= 0) {
            ::close(m_keepSlave);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return m_master >= 0 && m_keepSlave >= 0; }
    const QString& slavePath() const { return m_slavePath; }
    // The slave descriptor the terminal keeps; its termios are the port's.
    int slaveDescriptor() const { return m_keepSlave; }

    bool send(const QByteArray& bytes) {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Reads until `count` bytes came or timeoutMs passed without any.
    QByteArray receive(int count, int timeoutMs = 2000) {
        QByteArray result;
        while (result.size() < count) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) {
                break;
            }
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            result.append(buffer, int(n));
        }
        return result;
    }
    void hangUp() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    int m_keepSlave = -1;
    QString m_slavePath;
};

}  // namespace kv::test
