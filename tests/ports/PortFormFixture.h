// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "link/PortMap.h"
#include "ports/PortSettingsForm.h"
#include "ports/PortSettingsState.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/SimRig.h"
#include "tests/support/TempSettings.h"

namespace kv::test {

// The port settings form on a simulated programmer (open on the given port,
// "115200,n,8,1", handshaking 0), its hooks counted, its choices stored in a
// temporary store under the section "属性".
class PortFormFixture : public ::testing::Test {
protected:
    explicit PortFormFixture(int portNumber = 1) : rig(QStringLiteral("ATMEGA8"), portNumber) {}

    PortSettingsForm& makeForm(PortMap* map = nullptr) {
        PortSettingsHooks hooks;
        hooks.togglePort = [this] {
            ++toggles;
            rig.port.setOpen(!rig.port.isOpen());
        };
        hooks.refreshIndicators = [this] { ++refreshes; };
        hooks.setPortPanel = [this](const QString& text) { panel = text; };
        form = std::make_unique<PortSettingsForm>(rig.link, store, prompts, state, hooks, map);
        form->fill();
        return *form;
    }
    QString stored(const QString& key) const { return store.read(QStringLiteral("属性"), key); }

    SimRig rig;
    TempSettings store;
    FakePrompts prompts;
    PortSettingsState state;
    std::unique_ptr<PortSettingsForm> form;
    int toggles = 0, refreshes = 0;
    QString panel;
};

}  // namespace kv::test
