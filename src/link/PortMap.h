// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

class SettingsStore;

// Which operating-system device stands behind port number n ("COM" + n, 1-16).
//
// Default: the serial devices present, numbered from COM1 in this order:
// USB adapters (/dev/ttyUSB*, then /dev/ttyACM*), then on-board UARTs
// (/dev/ttyS*, /dev/ttyAMA*), each group in natural order (ttyUSB2 before
// ttyUSB10). An on-board port counts only when the kernel found a UART behind
// it: its /sys/class/tty/<name>/type is not 0 (PORT_UNKNOWN); the 8250 driver
// registers ttyS0-3 even when no chip is there.
//
// A stored entry (section "端口映射", key "COM" + n, a device path of any kind,
// a pseudo-terminal or symlink included) overrides the default of its number
// only; an empty entry means the default.
class PortMap {
public:
    static constexpr int kPortCount = 16;

    struct Mapping {
        int number = 0;
        QString devicePath;  // empty: nothing behind this number
        bool exists = false;
        bool stored = false;  // from the settings store rather than the default
    };

    // store may be null (defaults only). root is where /dev and /sys are looked
    // up, "/" except in tests; paths handed out never carry it.
    explicit PortMap(SettingsStore* store, const QString& root = QStringLiteral("/"));

    // Empty when n is outside 1-16 or nothing is mapped to it.
    QString devicePath(int n) const;
    Mapping mapping(int n) const;
    QList<Mapping> mappings() const;  // 1 to 16 in order

    // Stores path for n; an empty path goes back to the default. False when
    // nothing was stored (no store, n out of range, or the store refused it).
    bool setDevicePath(int n, const QString& path);
    bool clearDevicePath(int n) { return setDevicePath(n, QString()); }

    // The default devices in COM order.
    QStringList defaultDevices() const;

    static QString storeSection() { return QStringLiteral("端口映射"); }
    static QString storeKey(int n) { return QStringLiteral("COM%1").arg(n); }

private:
    QString storedPath(int n) const;
    Mapping mappingFrom(int n, const QStringList& defaults) const;
    QString hostPath(const QString& path) const;
    bool isRealUart(const QString& name) const;

    SettingsStore* m_store;
    QString m_root;
};

}  // namespace kv
