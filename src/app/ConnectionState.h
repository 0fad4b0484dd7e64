// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

namespace kv {

// What the window shows about the port: which connection picture is in
// front, which of the menu entries "OpenCOM" / "CloseCOM" is enabled, and the
// "COMStatus" panel text. Refreshed from the port's own open flag; the
// program keeps no other copy of it.
class ConnectionState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool connected() const { return m_connected; }
    bool openEntryEnabled() const { return !m_connected; }
    bool closeEntryEnabled() const { return m_connected; }
    const QString& portText() const { return m_portText; }

    void setConnected(bool connected);
    void setPortText(const QString& text);

Q_SIGNALS:
    void changed();

private:
    bool m_connected = false;
    QString m_portText;
};

}  // namespace kv
