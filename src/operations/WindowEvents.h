// SPDX-License-Identifier: MIT
#pragma once

#include "images/ImageSlot.h"
#include "link/ProgrammerLink.h"
#include "programmer/ProgrammerEvents.h"

namespace kv {

// The window's side of the event route: log lines into the message log (the
// link's), progress into the memories' bars.
inline EventSink windowEvents(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom) {
    return [&link, &flash, &eeprom](const ProgrammerEvent& event) {
        if (event.isLogLine()) {
            link.sendInfo(event.text);
        } else if (event.kind == ProgrammerEvent::Kind::Progress && event.memory) {
            (*event.memory == MemoryKind::Flash ? flash : eeprom).setProgress(event.percent);
        }
    };
}

}  // namespace kv
