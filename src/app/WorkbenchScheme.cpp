// SPDX-License-Identifier: MIT
#include "app/Workbench.h"

namespace kv {

Scheme Workbench::currentScheme() {
    Scheme s;
    s.model = m_model.selectedModelName();
    s.fuseBits = m_fuses.fuseBitString();
    s.options = m_options.values();
    s.flashPath = m_flash.pathText();
    s.eepromPath = m_eeprom.pathText();
    s.calibrationSlot = m_calibration.selectedSlot();
    s.calibrationTarget = m_calibration.selectedTarget();
    s.flashAddress = m_model.flashCalibrationAddress().text();
    s.eepromAddress = m_model.eepromCalibrationAddress().text();
    return s;
}

void Workbench::selectModel(const QString& name) {
    m_model.selectModel(name);
    reloadFuseDefinitions();
}

void Workbench::applyFuseBits(const QString& bits) {
    m_fuses.applyFuseBits(bits);
}

void Workbench::setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) {
    m_options.setValues(values);
}

void Workbench::setImagePaths(const QString& flashPath, const QString& eepromPath) {
    m_flash.setPathText(flashPath);
    m_eeprom.setPathText(eepromPath);
}

// The loaders work on a copy: the path box never shows the "NO" marker.
void Workbench::reloadFlashFile(const QString& path) {
    QString copy = path;
    m_files.loadFlashFile(copy);
}

void Workbench::reloadEepromFile(const QString& path) {
    QString copy = path;
    m_files.loadEepromFile(copy);
}

void Workbench::setCalibrationChoice(std::optional<int> slot, std::optional<int> target) {
    m_calibration.setSelectedSlot(slot);
    m_calibration.setSelectedTarget(target);
}

void Workbench::setCalibrationAddresses(const QString& flashAddress, const QString& eepromAddress) {
    m_model.flashCalibrationAddress().setText(flashAddress);
    m_model.eepromCalibrationAddress().setText(eepromAddress);
}

// A number outside the 16-bit range leaves its spinner where it is.
void Workbench::syncCalibrationSpinners() {
    for (AddressSpinner* box :
         {&m_model.flashCalibrationAddress(), &m_model.eepromCalibrationAddress()}) {
        const qint64 n = box->number();
        if (n >= -32768 && n <= 32767)
            box->setValue(int(-n));
    }
}

}  // namespace kv
