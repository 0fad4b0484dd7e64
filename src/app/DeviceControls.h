// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QStringList>

namespace kv {

// The enabled state enableDeviceControls gives, as one flag, to every control
// that talks to the target chip: the toolbar buttons of toolbarKeys() and the
// window buttons of windowControls(). A control an operation disables for its
// own run is enabled only when both agree.
class DeviceControls : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // In the order they are switched.
    static const QStringList& toolbarKeys();
    static const QStringList& windowControls();

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

Q_SIGNALS:
    void changed();

private:
    bool m_enabled = true;
};

}  // namespace kv
