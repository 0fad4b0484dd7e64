// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include "app/CommandTable.h"

namespace kv::ui {

// Pictures drawn for this program: toolbar buttons, the two connection
// pictures, the option list's entry picture and the About box logo; and the
// program's icon from the desktop files.
namespace Icons {

// Picture of a toolbar button; a command without one of its own gets a
// plain frame.
QIcon toolbar(CommandId command);
QPixmap connected(int size, qreal devicePixelRatio = 1.0);
QPixmap notConnected(int size, qreal devicePixelRatio = 1.0);
QIcon optionEntry();
QPixmap logo(int size, qreal devicePixelRatio = 1.0);
// The program's own icon, in the sizes the desktop menu entry ships, for the
// window frame and the task bar.
QIcon application();

}  // namespace Icons
}  // namespace kv::ui
