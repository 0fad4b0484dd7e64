// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "images/MemoryGeometry.h"
#include "operations/Outcomes.h"

namespace kv {

class ImageSlot;
class ProgrammerLink;

// Reads the chip's FLASH and EEPROM into the images ("RF"/"RE" + NNNN + "#",
// answered with 2 × NNNN hex digits) and verifies the images against the chip.
//
// The reply is collected in fixed steps until the expected digits arrived;
// when the programmer sends nothing for kQuietLimitMs the collection ends and
// the log says how much arrived. A reply that keeps trickling ends too, once
// the first wait, kLineTimeFactor times the reply's own line time and
// kQuietLimitMs have passed. A read that does not complete, or whose reply
// holds anything but hex digits, leaves its image empty and the log says why;
// digits beyond the expected count are dropped.
class ImageReader {
public:
    using GeometryFn = std::function<MemoryGeometry()>;

    static constexpr int kQuietLimitMs = 2000;
    static constexpr int kLineTimeFactor = 2;

    ImageReader(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom, GeometryFn geometry);

    // Buttons "读取FLASH" / "读取EEPROM": read the model's whole memory into
    // its image. Port errors propagate as OperationError, leaving it empty.
    ReadOutcome read(MemoryKind memory);
    // Steps of the programming pass: the image against the chip; digits
    // compare by value, either case. An image larger than the model's memory
    // raises OperationError before anything is sent.
    VerifyOutcome verify(MemoryKind memory);

private:
    struct Reply {
        QString text;
        ReadOutcome outcome;
    };
    qint64 replyLimitMs(qint64 count, int firstWaitMs) const;
    ImageSlot& slot(MemoryKind memory) { return memory == MemoryKind::Flash ? m_flash : m_eeprom; }
    Reply collect(ImageSlot& slot, qint64 count, int firstWaitMs, int stepWaitMs);

    ProgrammerLink& m_link;
    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    GeometryFn m_geometry;
};

}  // namespace kv
