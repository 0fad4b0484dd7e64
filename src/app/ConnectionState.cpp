// SPDX-License-Identifier: MIT
#include "app/ConnectionState.h"

namespace kv {

void ConnectionState::setConnected(bool connected) {
    if (m_connected == connected)
        return;
    m_connected = connected;
    Q_EMIT changed();
}

void ConnectionState::setPortText(const QString& text) {
    if (m_portText == text)
        return;
    m_portText = text;
    Q_EMIT changed();
}

}  // namespace kv
