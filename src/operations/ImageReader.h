// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "images/MemoryGeometry.h"
#include "operations/Outcomes.h"

namespace kv {

class ImageSlot;
class Programmer;

// The window's buttons that read the chip's FLASH and EEPROM into the images
// and verify the images against the chip, through Programmer::read and
// Programmer::verify. A read that does not complete, or whose reply holds
// anything but hex digits, leaves its image empty (the log says why).
class ImageReader {
public:
    using GeometryFn = std::function<MemoryGeometry()>;

    ImageReader(Programmer& programmer, ImageSlot& flash, ImageSlot& eeprom, GeometryFn geometry);

    // Buttons "读取FLASH" / "读取EEPROM": read the model's whole memory into
    // its image. Port errors propagate as OperationError, leaving it empty.
    ReadOutcome read(MemoryKind memory);
    // Steps of the programming pass: the image against the chip; digits
    // compare by value, either case. An image larger than the model's memory
    // raises OperationError before anything is sent.
    VerifyOutcome verify(MemoryKind memory);

private:
    ImageSlot& slot(MemoryKind memory) { return memory == MemoryKind::Flash ? m_flash : m_eeprom; }

    Programmer& m_programmer;
    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    GeometryFn m_geometry;
};

}  // namespace kv
