// SPDX-License-Identifier: MIT
#pragma once

#include "schemes/Scheme.h"
#include "schemes/SchemeTarget.h"

namespace kv {

class Session;

// The session's set-up as a scheme holds it: what a saved scheme takes from
// it, and where a loaded one (or the start-up's stored set-up) goes.
class SchemeBinding : public SchemeTarget {
public:
    explicit SchemeBinding(Session& session) : m_session(session) {}

    // The set-up as a scheme holds it; also what the exit stores.
    Scheme currentScheme() const;

    void selectModel(const QString& name) override;
    void applyFuseBits(const QString& bits) override;
    void setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) override;
    void setImagePaths(const QString& flashPath, const QString& eepromPath) override;
    void reloadFlashFile(const QString& path) override;
    void reloadEepromFile(const QString& path) override;
    void setCalibrationChoice(std::optional<int> slot, std::optional<int> target) override;
    void setCalibrationAddresses(const QString& flashAddress,
                                 const QString& eepromAddress) override;
    void syncCalibrationSpinners() override;

private:
    Session& m_session;
};

}  // namespace kv
