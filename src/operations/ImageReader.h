// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "images/MemoryGeometry.h"

namespace kv {

class ImageSlot;
class ProgrammerLink;
class UserPrompts;

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

    // title: the window title, the caption of warning boxes.
    ImageReader(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom, GeometryFn geometry,
                UserPrompts& prompts, QString title);

    // Buttons "读取FLASH" / "读取EEPROM": read the model's whole memory. An error
    // (such as a closed port) is shown in a warning box.
    void readFlash();
    void readEeprom();
    // Steps of the programming pass. A difference is shown in a warning box
    // with its address; digits compare by value, either case. An image larger
    // than the model's memory raises OperationError before anything is sent.
    void verifyFlashImage();
    void verifyEepromImage();

    // What the last verify of a memory found, for callers that report it
    // beyond the log and the box (the command line's exit code).
    struct VerifyResult {
        bool ran = false;             // a read-back was asked for
        bool readComplete = false;    // every expected digit arrived
        qint64 firstDifference = -1;  // byte address; -1 when all matched
        bool passed() const { return ran && firstDifference < 0; }
    };
    const VerifyResult& lastVerify(bool flash) const {
        return flash ? m_flashVerify : m_eepromVerify;
    }

private:
    struct Reply {
        QString text;
        bool complete = false;
    };
    qint64 replyLimitMs(qint64 count, int firstWaitMs) const;
    void read(ImageSlot& slot);
    void verify(ImageSlot& slot);
    Reply collect(ImageSlot& slot, qint64 count, int firstWaitMs, int stepWaitMs);

    ProgrammerLink& m_link;
    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    GeometryFn m_geometry;
    UserPrompts& m_prompts;
    QString m_title;
    VerifyResult m_flashVerify;
    VerifyResult m_eepromVerify;
};

}  // namespace kv
