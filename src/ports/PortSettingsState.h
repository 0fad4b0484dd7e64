// SPDX-License-Identifier: MIT
#pragma once

namespace kv {

// Port dialog choices that live for the run, owned by the window's controller.
// The echo flag selects the dialog's echo option when it opens and is saved
// under "回应"; no exchange with the programmer depends on it.
struct PortSettingsState {
    bool echo = false;
};

}  // namespace kv
