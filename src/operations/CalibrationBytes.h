// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>

#include "operations/Outcomes.h"

namespace kv {

class CalibrationState;
class ModelState;
class Programmer;
struct CalibrationPlan;

// The buttons of the frame "校准选项": read the chip's oscillator calibration
// bytes into the slots, and write the selected slot's byte into the chip's own
// FLASH or EEPROM. Both are also steps of the programming pass.
//
// Port errors propagate as OperationError; the caller shows them. Refusals
// (bad address box, nothing to write) are OperationError too (ErrorKind::
// Refused), raised before anything is sent.
class CalibrationBytes {
public:
    CalibrationBytes(Programmer& programmer, ModelState& model, CalibrationState& state);

    // "读校准字节": "RI" reads of the model's calibration addresses, the log line
    // "校准字节:" with the replies joined by "-". Slots are filled, and the write
    // button enabled, only when every reply is two hex digits; otherwise all
    // slots stay disabled. Returns whether they were filled.
    bool readCalibrationBytes();
    // "写 入": "WW" (FLASH: the byte goes into its half of the word, the other
    // half "FF") or "WE" (EEPROM), then "写校准字节结束!", and when no "!" came
    // a log line saying the byte was not acknowledged. Only a slot filled by
    // the last successful read can be written.
    CalibrationWrite writeCalibrationByte();

    // The calibration step of a pass as the window's state chooses it: the
    // model's bytes, the slot that will be selected once they are read, the
    // target memory and the address box (refused when it holds no address).
    CalibrationPlan plan() const;
    // What a read brought, into the slots: filled only when every reply was
    // a byte; the model's own choice of slot is selected then.
    void showReading(const QStringList& replies, bool filled);

    static QString noValueText() {
        return QCoreApplication::translate("CalibrationBytes",
                                           "请先读出校准字节并选中要写入的一项!");
    }

private:
    Programmer& m_programmer;
    ModelState& m_model;
    CalibrationState& m_state;
};

}  // namespace kv
