// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace kv {

// The enabled state the port gives, as one flag, to every control that talks
// to the target chip: the commands of CommandTable::portControls(). A control
// an operation disables for its own run is enabled only when both agree.
class DeviceControls : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

Q_SIGNALS:
    void changed();

private:
    bool m_enabled = true;
};

}  // namespace kv
