// SPDX-License-Identifier: MIT
#pragma once

#include "schemes/Scheme.h"
#include "schemes/SchemeTarget.h"

namespace kv {

class CommandRunner;
class Session;

// The session's set-up as a scheme holds it: what a saved scheme takes from
// it, and where a loaded one (or the start-up's stored set-up) goes.
class SchemeBinding : public SchemeTarget {
public:
    SchemeBinding(Session& session, CommandRunner& runner) : m_session(session), m_runner(runner) {}

    // The set-up as a scheme holds it; also what the exit stores.
    Scheme currentScheme() const;

    void selectModel(const QString& name) override;
    void applyFuseBits(const QString& bits) override;
    void setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) override;
    void setImagePaths(const QString& flashPath, const QString& eepromPath) override;
    void reloadFile(MemoryKind memory, const QString& path) override;
    void setCalibrationChoice(std::optional<int> slot, std::optional<int> target) override;
    void setCalibrationAddresses(const QString& flashAddress,
                                 const QString& eepromAddress) override;
    void syncCalibrationSpinners() override;

private:
    Session& m_session;
    CommandRunner& m_runner;
};

}  // namespace kv
