// SPDX-License-Identifier: MIT
#pragma once

namespace kv::ui {

// What the program's windows add to Qt's accessibility and keyboard, for the
// whole application; each call after the first does nothing:
// - the program's own top-level windows (not its dialogs) say they are
//   windows: Qt takes a plain widget for a "filler";
// - Shift+F10 opens the context menu wherever the Menu key does.
void installWindowAccessibility();

}  // namespace kv::ui
