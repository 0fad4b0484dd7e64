// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QStringList>
#include <QUrl>
#include <functional>

#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "sim/SimulatedProgrammer.h"
#include "sim/SimulatedSerialControl.h"
#include "sim/VirtualClock.h"
#include "sim/VirtualPump.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempSettings.h"

namespace kv::test {

// Records which dialog or viewer the shell asked for.
class FakeDialogs : public ShellDialogs {
public:
    QStringList calls;
    QList<QUrl> opened;
    bool viewerAvailable = true;
    std::function<void()> onDialog;

    void showAbout() override { record(QStringLiteral("About")); }
    void showPortSettings() override { record(QStringLiteral("PortSettings")); }
    void showFirmwareDialog() override { record(QStringLiteral("Firmware")); }
    void showRecordViewer() override { record(QStringLiteral("RecordViewer")); }
    void showRecordSettings() override { record(QStringLiteral("RecordSettings")); }
    bool openExternal(const QUrl& url) override {
        opened << url;
        return viewerAvailable;
    }

private:
    void record(const QString& name) {
        calls << name;
        if (onDialog)
            onDialog();
    }
};

// The platform of the window's controller, all simulated: a programmer with
// an ATMEGA8 on COM1, a virtual clock, a temporary settings store named with
// the window title, and the fuse definitions beside the built program.
struct ShellPlatform {
    ShellPlatform() : port(clock), pump(clock, port) { port.attach(1, &device); }

    QString dataFolder() const { return QStringLiteral(KV_BIN_DIR); }
    QString read(const QString& section, const QString& key) const {
        return settings.read(section, key);
    }
    WorkbenchPlatform parts() {
        return {port, clock, pump, prompts, dialogs, settings, dataFolder()};
    }

    sim::VirtualClock clock;
    sim::SimulatedProgrammer device;
    sim::SimulatedSerialControl port;
    sim::VirtualPump pump;
    TempSettings settings{ShellTexts::appTitle()};
    FakePrompts prompts;
    FakeDialogs dialogs;
};

}  // namespace kv::test
