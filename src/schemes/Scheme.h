// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace kv {

// A complete programming set-up as a scheme file holds it.
struct Scheme {
    static constexpr int kOptionCount = 10;
    static constexpr int kSlotCount = 4;
    static constexpr int kTargetCount = 2;

    QString model;                            // a model table name, as the table spells it
    QString fuseBits;                         // fuseBitString: 32 characters "1", "0" or "*"
    std::array<int, kOptionCount> options{};  // optionValue(0..9), each 0, 1 or 2
    QString flashPath;
    QString eepromPath;
    std::optional<int> calibrationSlot;    // Sel_OA index 0-3, none when no slot is selected
    std::optional<int> calibrationTarget;  // Sel_FE index: 0 FLASH, 1 EEPROM
    QString flashAddress;   // text of flashCalibrationAddress; saved only when decimal
    QString eepromAddress;  // text of eepromCalibrationAddress; saved only when decimal

    bool operator==(const Scheme&) const = default;
};

}  // namespace kv
