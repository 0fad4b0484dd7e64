// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "images/MemoryGeometry.h"
#include "operations/Outcomes.h"

namespace kv {

class ImageSlot;
class ProgrammerLink;

// Programs the chip's FLASH and EEPROM from the images; steps of the
// programming pass. Neither erases nor verifies.
//
// Before anything is sent each write checks its image: digits that are not
// hex, or more bytes than the selected model holds, raise OperationError and
// nothing reaches the programmer. A programmer that stops acknowledging FLASH
// pages, or a port that fails, raises OperationError with the link back in
// text input.
class ImageWriter {
public:
    using GeometryFn = std::function<MemoryGeometry()>;

    // geometry: the selected model's sizes, asked at the start of each write.
    ImageWriter(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom, GeometryFn geometry);

    // FLASH: "WF#", a 3-byte header (page words, high and low byte of words −
    // 1), the image in page blocks with one acknowledgement each, and a short
    // last block. An odd byte count is completed with one 0xFF so the header
    // counts whole words that are all sent.
    // EEPROM: "WE" + DD + AAAA + "#" per byte, each waiting up to 100 ms for
    // "!"; after "写EEPROM结束!" the count of bytes left without one is logged.
    // An empty image sends nothing.
    WriteOutcome write(MemoryKind memory);

private:
    WriteOutcome writeFlash();
    WriteOutcome writeEeprom();
    QByteArray checkedBytes(const ImageSlot& slot, qint64 capacity) const;

    ProgrammerLink& m_link;
    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    GeometryFn m_geometry;
};

}  // namespace kv
