// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QUrl>

namespace kv {

// The window's modal dialogs and the two outside viewers, as the controller
// asks for them. The window implements it; tests record the calls.
class ShellDialogs {
public:
    virtual ~ShellDialogs() = default;
    // The About box; returns when it closed.
    virtual void showAbout() = 0;
    // The port settings dialog; returns when it closed.
    virtual void showPortSettings() = 0;
    // The firmware update dialog; returns when it closed.
    virtual void showFirmwareDialog() = 0;
    // The production record viewer: opens it, or brings the open one forward,
    // and returns at once. Nothing where there is no window.
    virtual void showRecordViewer() {}
    // The record connection settings dialog; returns when it closed.
    virtual void showRecordSettings() {}
    // Hands a file or page to the system's viewer. False when none took it.
    virtual bool openExternal(const QUrl& url) = 0;
    // The help page; the window shows it itself, so no browser is needed.
    // False when it could not be shown.
    virtual bool showHelp(const QUrl& page) { return openExternal(page); }
};

}  // namespace kv
