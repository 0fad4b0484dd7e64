// SPDX-License-Identifier: MIT
#include "app/DeviceControls.h"

namespace kv {

void DeviceControls::setEnabled(bool enabled) {
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT changed();
}

}  // namespace kv
