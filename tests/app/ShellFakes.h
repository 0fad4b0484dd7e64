#pragma once

#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <functional>

#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "app/UserPrompts.h"
#include "settings/SettingsStore.h"
#include "sim/SimulatedProgrammer.h"
#include "sim/SimulatedSerialControl.h"
#include "sim/VirtualClock.h"
#include "sim/VirtualPump.h"

namespace kv::test {

// Answers message boxes and file dialogs; records the warnings.
class FakePrompts : public UserPrompts {
public:
    QList<QPair<QString, QString>> warnings;  // title, text
    std::deque<std::optional<QString>> fileAnswers;
    std::function<void()> onWarning;

    void warning(const QString& title, const QString& text) override {
        warnings.append({title, text});
        if (onWarning)
            onWarning();
    }
    std::optional<QString> openFile(const FileDialogRequest&) override { return next(); }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return next(); }

private:
    std::optional<QString> next() {
        if (fileAnswers.empty())
            return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

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
    ShellPlatform()
        : port(clock), pump(clock, port), settings(ShellTexts::AppTitle(), settingsDir.path()) {
        port.attach(1, &device);
    }

    QString dataFolder() const { return QStringLiteral(KV_BIN_DIR); }
    QString read(const QString& section, const QString& key) const {
        return settings.read(section, key);
    }

    QTemporaryDir settingsDir;
    sim::VirtualClock clock;
    sim::SimulatedProgrammer device;
    sim::SimulatedSerialControl port;
    sim::VirtualPump pump;
    SettingsStore settings;
    FakePrompts prompts;
    FakeDialogs dialogs;
};

}  // namespace kv::test
