// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "images/MemoryGeometry.h"
#include "operations/Outcomes.h"

namespace kv {

class ImageSlot;
class Programmer;
struct ImagePlan;

// The window's buttons that program the chip's FLASH and EEPROM from the
// images in its slots. Neither erases nor verifies.
//
// Before anything is sent each write checks its image: digits that are not
// hex, or more bytes than the selected model holds, raise OperationError and
// nothing reaches the programmer. A programmer that stops acknowledging FLASH
// pages, or a port that fails, raises OperationError.
class ImageWriter {
public:
    using GeometryFn = std::function<MemoryGeometry()>;

    // geometry: the selected model's sizes, asked at the start of each write.
    ImageWriter(Programmer& programmer, ImageSlot& flash, ImageSlot& eeprom, GeometryFn geometry);

    // The slot's image through Programmer::write; an empty image sends nothing.
    WriteOutcome write(MemoryKind memory);

    // The slot's image as a pass plans it: the bytes of its text, the file's
    // name and digest; a text that is not all bytes carries its refusal.
    static ImagePlan planOf(const ImageSlot& slot);
    // Why a slot's text is no image to write; empty when it is one.
    static QString refusalOf(const ImageSlot& slot);

private:
    Programmer& m_programmer;
    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    GeometryFn m_geometry;
};

}  // namespace kv
