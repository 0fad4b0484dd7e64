// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

namespace kv {

// What the port dialog asks of the main window. Each hook may be empty.
struct PortSettingsHooks {
    // The port toggle (requestPortToggle): opens a closed port, closes an open one,
    // and refreshes every connection indicator from the port's state.
    std::function<void()> togglePort;
    // Refreshes the indicators and device controls from the port's state
    // without toggling it.
    std::function<void()> refreshIndicators;
    // Shows a text in the status-bar panel "COMStatus".
    std::function<void(const QString&)> setPortPanel;
};

}  // namespace kv
