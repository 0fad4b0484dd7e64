// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

class SettingsStore;

// One socket of the gang: its own programmer on its own port.
struct GangSocket {
    QString port;  // "COMn" as the window numbers ports, or a device path
    QString line;  // line settings such as "115200,n,8,1"; empty: the stored default

    // The baud rate of the line settings; empty when they name none.
    QString baud() const;
    bool operator==(const GangSocket&) const = default;
};

// The gang's sockets as the window and the command line share them, stored
// in the window's settings: section "量产", "插座数" sockets, socket n's port
// under "插座n端口" and its line settings under "插座n参数" (n from 1). The
// scheme chosen for all sockets is kept there too ("方案").
class GangSockets {
public:
    static QList<GangSocket> load(const SettingsStore& settings);
    // False when the settings could not be written.
    static bool store(SettingsStore& settings, const QList<GangSocket>& sockets);
    static QString loadScheme(const SettingsStore& settings);
    static bool storeScheme(SettingsStore& settings, const QString& path);
    // "COM1,COM2,/dev/ttyUSB3": the --ports list; line settings stay default.
    static QList<GangSocket> fromPortList(const QString& list);

    static QString section() { return QStringLiteral("量产"); }
    static QString countKey() { return QStringLiteral("插座数"); }
    static QString portKey(int n) { return QStringLiteral("插座%1端口").arg(n); }
    static QString lineKey(int n) { return QStringLiteral("插座%1参数").arg(n); }
    static QString schemeKey() { return QStringLiteral("方案"); }
    // More sockets than this are no gang a station can watch.
    static constexpr int kMaxSockets = 16;
};

}  // namespace kv
