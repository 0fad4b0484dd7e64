// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

#include "images/ImageSlot.h"
#include "operations/Outcomes.h"

namespace kv {

class ModelState;
class Programmer;
class SingleAccessState;

// The frame "读写数据": row 0 reads or writes one FLASH word ("RW"/"WW", word
// address), row 1 one EEPROM byte ("RB"/"WE", byte address). Addresses go out
// as four hex digits, data as typed (hex), left-padded with "0".
//
// Port errors propagate as OperationError. A bad address box or data box is
// refused with OperationError (ErrorKind::Refused) before anything is sent.
class SingleAccess {
public:
    SingleAccess(Programmer& programmer, ModelState& model, SingleAccessState& state);

    // "写": the address must be decimal and within the model's memory, the data
    // 1-4 (FLASH) or 1-2 (EEPROM) hex digits. Waits up to 100 ms for "!"; only
    // its absence is logged (noReplyText). True when "!" came.
    bool write(MemoryKind memory);
    // The same write at an address the program chose rather than the box's
    // (a FLASH word address, an EEPROM byte address): refused beyond the
    // memory, never moved into it.
    bool writeAt(MemoryKind memory, qint64 address, const QString& data);
    // A read at an address the program chose; the data box is left alone.
    QString readAt(MemoryKind memory, qint64 address);
    // What the cell a calibration write went to holds now, as two upper-case
    // hex digits; empty when no answer came. A cell that held another value
    // keeps only the bits both have, so a write is confirmed by this read.
    QString heldCalibration(const CalibrationWrite& written);
    // "读": the reply goes into the data box as received and is returned;
    // when nothing came the box is emptied and noReplyText logged.
    QString read(MemoryKind memory);

    static QString dataFormatError() {
        return QCoreApplication::translate("SingleAccess", "数据框数据格式错误!");
    }
    static QString noReplyText() {
        return QCoreApplication::translate("SingleAccess", "编程器无反应!");
    }

private:
    qint64 address(int row);
    bool send(int row, qint64 address, const QString& data);

    Programmer& m_programmer;
    ModelState& m_model;
    SingleAccessState& m_state;
};

}  // namespace kv
