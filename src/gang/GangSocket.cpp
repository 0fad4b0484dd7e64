// SPDX-License-Identifier: MIT
#include "gang/GangSocket.h"

#include "settings/SettingsStore.h"

namespace kv {

QString GangSocket::baud() const {
    return line.section(u',', 0, 0).trimmed();
}

QList<GangSocket> GangSockets::load(const SettingsStore& settings) {
    const int count = qBound(0, settings.read(section(), countKey()).toInt(), kMaxSockets);
    QList<GangSocket> sockets;
    for (int n = 1; n <= count; ++n)
        sockets.append(
            {settings.read(section(), portKey(n)), settings.read(section(), lineKey(n))});
    return sockets;
}

bool GangSockets::store(SettingsStore& settings, const QList<GangSocket>& sockets) {
    SettingsStore::Batch batch(settings);
    bool ok = settings.write(section(), countKey(), QString::number(sockets.size()));
    for (int n = 1; n <= sockets.size(); ++n) {
        ok = settings.write(section(), portKey(n), sockets[n - 1].port) && ok;
        ok = settings.write(section(), lineKey(n), sockets[n - 1].line) && ok;
    }
    return ok;
}

QString GangSockets::loadScheme(const SettingsStore& settings) {
    return settings.read(section(), schemeKey());
}

bool GangSockets::storeScheme(SettingsStore& settings, const QString& path) {
    return settings.write(section(), schemeKey(), path);
}

QList<GangSocket> GangSockets::fromPortList(const QString& list) {
    QList<GangSocket> sockets;
    for (const QString& port : list.split(u',', Qt::SkipEmptyParts)) {
        if (!port.trimmed().isEmpty())
            sockets.append({port.trimmed(), QString()});
    }
    return sockets;
}

}  // namespace kv
