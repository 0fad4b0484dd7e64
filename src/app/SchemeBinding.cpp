// SPDX-License-Identifier: MIT
#include "app/SchemeBinding.h"

#include "app/CommandRunner.h"
#include "app/Session.h"
#include "images/ImageFiles.h"

namespace kv {

Scheme SchemeBinding::currentScheme() const {
    Scheme s;
    s.model = m_session.model().selectedModelName();
    s.fuseBits = m_session.fuses().fuseBitString();
    s.options = m_session.options().values();
    s.flashPath = m_session.flash().pathText();
    s.eepromPath = m_session.eeprom().pathText();
    s.calibrationSlot = m_session.calibration().selectedSlot();
    s.calibrationTarget = m_session.calibration().selectedTarget();
    s.flashAddress = m_session.model().flashCalibrationAddress().text();
    s.eepromAddress = m_session.model().eepromCalibrationAddress().text();
    return s;
}

void SchemeBinding::selectModel(const QString& name) {
    m_session.model().selectModel(name);
    m_session.reloadFuseDefinitions();
}

void SchemeBinding::applyFuseBits(const QString& bits) {
    m_session.fuses().applyFuseBits(bits);
}

void SchemeBinding::setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) {
    m_session.options().setValues(values);
}

void SchemeBinding::setImagePaths(const QString& flashPath, const QString& eepromPath) {
    m_session.flash().setPathText(flashPath);
    m_session.eeprom().setPathText(eepromPath);
}

void SchemeBinding::reloadFile(MemoryKind memory, const QString& path) {
    m_runner.present(m_session.files().load(memory, path));
}

void SchemeBinding::setCalibrationChoice(std::optional<int> slot, std::optional<int> target) {
    m_session.calibration().setSelectedSlot(slot);
    m_session.calibration().setSelectedTarget(target);
}

void SchemeBinding::setCalibrationAddresses(const QString& flashAddress,
                                            const QString& eepromAddress) {
    m_session.model().flashCalibrationAddress().setText(flashAddress);
    m_session.model().eepromCalibrationAddress().setText(eepromAddress);
}

// A number outside the 16-bit range leaves its spinner where it is.
void SchemeBinding::syncCalibrationSpinners() {
    for (AddressSpinner* box : {&m_session.model().flashCalibrationAddress(),
                                &m_session.model().eepromCalibrationAddress()}) {
        const qint64 n = box->number();
        if (n >= -32768 && n <= 32767)
            box->setValue(int(-n));
    }
}

}  // namespace kv
