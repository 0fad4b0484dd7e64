// SPDX-License-Identifier: MIT
#include "link/PortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "settings/SettingsStore.h"

namespace kv {

namespace {

struct DeviceGroup {
    const char* prefix;
    bool needsUart;  // on-board port: only when a UART was found behind it
};

constexpr DeviceGroup kGroups[] = {
    {"ttyUSB", false},
    {"ttyACM", false},
    {"ttyS", true},
    {"ttyAMA", true},
};

// The unit number after the prefix, or -1 when the rest is not all digits.
int unitNumber(const QString& name, int prefixLength) {
    const QString rest = name.mid(prefixLength);
    if (rest.isEmpty() || rest.size() > 6) {
        return -1;
    }
    for (QChar c : rest) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
    }
    return rest.toInt();
}

}  // namespace

PortMap::PortMap(SettingsStore* store, const QString& root) : m_store(store), m_root(root) {
    while (m_root.size() > 1 && m_root.endsWith(u'/')) {
        m_root.chop(1);
    }
}

QString PortMap::hostPath(const QString& path) const {
    if (m_root.isEmpty() || m_root == u"/" || !path.startsWith(u'/')) {
        return path;
    }
    return m_root + path;
}

bool PortMap::isRealUart(const QString& name) const {
    QFile type(hostPath(QStringLiteral("/sys/class/tty/%1/type").arg(name)));
    if (!type.open(QIODevice::ReadOnly)) {
        return false;
    }
    bool ok = false;
    const int value = type.readAll().trimmed().toInt(&ok);
    return ok && value != 0;
}

QStringList PortMap::defaultDevices() const {
    const QStringList names =
        QDir(hostPath(QStringLiteral("/dev"))).entryList(QDir::System | QDir::Files, QDir::NoSort);
    QStringList result;
    for (const DeviceGroup& group : kGroups) {
        const QString prefix = QString::fromLatin1(group.prefix);
        QList<std::pair<int, QString>> found;
        for (const QString& name : names) {
            if (!name.startsWith(prefix)) {
                continue;
            }
            const int unit = unitNumber(name, prefix.size());
            if (unit < 0 || (group.needsUart && !isRealUart(name))) {
                continue;
            }
            found.append({unit, name});
        }
        std::sort(found.begin(), found.end());
        for (const auto& entry : found) {
            result.append(QStringLiteral("/dev/") + entry.second);
        }
    }
    return result;
}

QString PortMap::storedPath(int n) const {
    if (!m_store) {
        return QString();
    }
    return m_store->read(storeSection(), storeKey(n)).trimmed();
}

PortMap::Mapping PortMap::mappingFrom(int n, const QStringList& defaults) const {
    Mapping m;
    m.number = n;
    if (n < 1 || n > kPortCount) {
        return m;
    }
    m.devicePath = storedPath(n);
    m.stored = !m.devicePath.isEmpty();
    if (!m.stored) {
        m.devicePath = defaults.value(n - 1);
    }
    m.exists = !m.devicePath.isEmpty() && QFileInfo::exists(hostPath(m.devicePath));
    return m;
}

PortMap::Mapping PortMap::mapping(int n) const {
    // Only the unstored case needs the directory scan.
    if (n >= 1 && n <= kPortCount && !storedPath(n).isEmpty()) {
        return mappingFrom(n, QStringList());
    }
    return mappingFrom(n, defaultDevices());
}

QString PortMap::devicePath(int n) const {
    return mapping(n).devicePath;
}

QList<PortMap::Mapping> PortMap::mappings() const {
    const QStringList defaults = defaultDevices();
    QList<Mapping> result;
    for (int n = 1; n <= kPortCount; ++n) {
        result.append(mappingFrom(n, defaults));
    }
    return result;
}

bool PortMap::setDevicePath(int n, const QString& path) {
    if (!m_store || n < 1 || n > kPortCount) {
        return false;
    }
    return m_store->write(storeSection(), storeKey(n), path.trimmed());
}

}  // namespace kv
