// SPDX-License-Identifier: MIT
#include "ports/PortSearch.h"

#include <QStringList>

#include "core/OperationError.h"
#include "link/ProgrammerLink.h"
#include "link/SerialControl.h"
#include "link/WireCommands.h"

namespace kv {

PortSearch::PortSearch(ProgrammerLink& link, std::function<QString(int)> devicePath)
    : m_link(link), m_devicePath(std::move(devicePath)) {}

std::optional<int> PortSearch::run() {
    ProgrammerLink::Exchange exchange(m_link);
    m_probed.clear();
    QStringList devicesSeen;
    for (int n = 1; n <= kLastPort; ++n) {
        m_link.yieldOnce();
        if (m_devicePath) {
            const QString device = m_devicePath(n);
            if (device.isEmpty() || devicesSeen.contains(device))
                continue;
            devicesSeen.append(device);
        }
        if (probe(n))
            return n;
    }
    return std::nullopt;
}

bool PortSearch::probe(int n) {
    SerialControl& port = m_link.port();
    try {
        port.setOpen(false);
        port.setPortNumber(n);
        port.setOpen(true);
    } catch (const OperationError&) {
        return false;
    }
    m_probed.append(n);
    try {
        m_link.discardInput();
        m_link.delayMs(100);
        m_link.sendCommand(wire::checkLink());
        return m_link.readAfter(200) == expectedReply();
    } catch (const OperationError&) {
        // The device went away during its probe: go on with the next number.
        return false;
    }
}

}  // namespace kv
