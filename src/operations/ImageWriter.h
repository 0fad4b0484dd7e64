// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "images/MemoryGeometry.h"

namespace kv {

class ImageSlot;
class ProgrammerLink;
class UserPrompts;

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
    // title: the caption of warning boxes.
    ImageWriter(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom, GeometryFn geometry,
                UserPrompts& prompts, QString title);

    // "WF#", a 3-byte header (page words, high and low byte of words − 1), the
    // image in page blocks with one acknowledgement each, and a short last
    // block. An odd byte count is completed with one 0xFF so the header counts
    // whole words that are all sent. Empty image: returns silently.
    void writeFlashImage();
    // "WE" + DD + AAAA + "#" per byte, each waiting up to 100 ms for "!".
    // Bytes left without "!" are counted; after "写EEPROM结束!" their count goes
    // to the log and a warning box. Empty image: returns silently.
    void writeEepromImage();
    // Bytes of the last EEPROM write left without "!"; 0 when all were confirmed.
    qint64 lastEepromMissing() const { return m_eepromMissing; }

private:
    QByteArray checkedBytes(const ImageSlot& slot, qint64 capacity) const;

    ProgrammerLink& m_link;
    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    GeometryFn m_geometry;
    UserPrompts& m_prompts;
    QString m_title;
    qint64 m_eepromMissing = 0;
};

}  // namespace kv
