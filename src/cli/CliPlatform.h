// SPDX-License-Identifier: MIT
#pragma once

#include <csignal>

#include <QCoreApplication>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "core/UserPrompts.h"
#include "link/StoppableSerialControl.h"
#include "settings/SettingsStore.h"

class QSocketNotifier;

namespace kv::cli {

// Ctrl-C (SIGINT) for the command line: the handler only sets a flag and
// writes to a pipe; the pipe's notifier tells the event loop.
class StopSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handler; one instance per process.
    explicit StopSignal(QObject* parent = nullptr);
    ~StopSignal() override;
    static bool requested();
    // The signal that asked for the stop (SIGINT, SIGTERM or SIGHUP), the exit
    // code it gives (128 + its number: 130, 143, 129) and its name.
    static int signalNumber();
    static int exitCode();
    static QString signalName();
    // For tests and the firmware command's deferral.
    static void clear();

Q_SIGNALS:
    void stopRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

// Overwrites, in place, the passwords of addresses on the process's own
// command line (user:PASSWORD@ and password=...), so that ps and
// /proc/PID/cmdline no longer show them. Call once the arguments are parsed.
void hidePasswordsInArguments(int argc, char** argv);

// A socket's process of a gang (KV_GANG_PARENT names the gang's process):
// a parent that dies sends it SIGTERM, so it stops at the next safe point
// and records the chip as stopped; a closed output pipe is no reason to die
// before that. Outside a gang it does nothing. After StopSignal.
void watchGangParent();

// The real serial control with what the command line needs around it: the
// bytes each way (to tell a silent programmer, to time the first byte), and
// the signals' stop request, which ends the command at its next whole write.
class GuardedSerialControl : public StoppableSerialControl {
public:
    explicit GuardedSerialControl(SerialControl& inner) : StoppableSerialControl(inner) {}

    static QString stoppedText() {
        if (StopSignal::signalNumber() != SIGINT)
            return QCoreApplication::translate("CliPlatform", "收到信号 %1，已停止。")
                .arg(StopSignal::signalName());
        return QCoreApplication::translate("CliPlatform", "已按 Ctrl-C 停止。");
    }

protected:
    bool externalStopRequested() const override { return StopSignal::requested(); }
    QString externalStopText() const override { return stoppedText(); }
};

// Warning boxes (the firmware update's) become report lines; a file dialog
// is answered from the command line.
class CliPrompts : public UserPrompts {
public:
    std::function<void(const QString&)> onWarning;
    std::optional<QString> openAnswer;
    QStringList warnings;

    void warning(const QString& title, const QString& text) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
};

// The window's settings as this run sees them: read once from the window's
// file and then kept in memory, so whatever the logic stores during the run
// (and the command line's own choices of port, line and model) never reaches
// the window's file. Nothing of the run reads or writes the disk for settings:
// on a busy machine each file replacement waits for the disk.
class SettingsSnapshot : public SettingsStore {
public:
    // applicationName: the window title the window's store is named with;
    // sourceFolder: where the window keeps it (empty: the user's folder).
    explicit SettingsSnapshot(const QString& applicationName,
                              const QString& sourceFolder = QString());
    SettingsStore& store() { return *this; }

    QString read(const QString& section, const QString& key) const override;
    bool write(const QString& section, const QString& key, const QString& value) override;

private:
    QJsonObject m_sections;
};

}  // namespace kv::cli
