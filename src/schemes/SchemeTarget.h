// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "core/MemoryKind.h"
#include "schemes/Scheme.h"

namespace kv {

// What loading a scheme changes in the main window, one call per step, called
// by applyScheme() in this order. The window's controller implements it.
class SchemeTarget {
public:
    virtual ~SchemeTarget() = default;

    // selectModel with the name (always one the model table knows), then
    // loadFuseDefinitions with the model name + ".FUS".
    virtual void selectModel(const QString& name) = 0;
    // applyFuseBits with the 32-character fuseBitString.
    virtual void applyFuseBits(const QString& bits) = 0;
    virtual void setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) = 0;
    // The two path boxes FileNameText(0) and FileNameText(1).
    virtual void setImagePaths(const QString& flashPath, const QString& eepromPath) = 0;
    // Reload of a path box's file (a load on a copy of the path; the box keeps
    // its text). Called only when "文件重载" is on and the path is not empty.
    virtual void reloadFile(MemoryKind memory, const QString& path) = 0;
    // Sel_OA and Sel_FE; none clears that group's selection.
    virtual void setCalibrationChoice(std::optional<int> slot, std::optional<int> target) = 0;
    // Puts the texts into flashCalibrationAddress and eepromCalibrationAddress (their edit rule
    // limits them to the selected model's largest address).
    virtual void setCalibrationAddresses(const QString& flashAddress,
                                         const QString& eepromAddress) = 0;
    // Sets the two calibration address spinners to minus the numbers now in their boxes.
    virtual void syncCalibrationSpinners() = 0;
};

}  // namespace kv
