// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace kv {

// Where a model keeps its oscillator calibration bytes and which slot of the
// frame "校准选项" each one fills.
struct CalibrationLayout {
    struct Byte {
        int address;  // information byte address (0x80-0x83)
        int slot;     // 0 "1MHz" ... 3 "8MHz"
    };
    QList<Byte> bytes;           // in increasing address order; empty: nothing to read
    std::optional<int> selects;  // slot a read selects (the one-byte models)

    // ATMEGA161 and names outside the model table read nothing.
    static CalibrationLayout forModel(const QString& model);
};

}  // namespace kv
