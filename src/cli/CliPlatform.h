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

#include "app/ShellDialogs.h"
#include "core/UserPrompts.h"
#include "link/SerialControl.h"
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
// the stop request. A stop refuses the next write or read: every write carries
// one whole command or one whole FLASH page (the writer hands a page over in
// one piece), so a stop never cuts a page in two.
class GuardedSerialControl : public SerialControl {
public:
    explicit GuardedSerialControl(SerialControl& inner);
    ~GuardedSerialControl() override;

    // While off (the firmware transfer, which must not stop half-way) a stop
    // request waits until it is switched on again.
    void setStoppable(bool on) { m_stoppable = on; }
    static QString stoppedText() {
        if (StopSignal::signalNumber() != SIGINT)
            return QCoreApplication::translate("CliPlatform", "收到信号 %1，已停止。")
                .arg(StopSignal::signalName());
        return QCoreApplication::translate("CliPlatform", "已按 Ctrl-C 停止。");
    }

    qint64 bytesSent() const { return m_sent; }
    qint64 bytesReceived() const { return m_received; }

    int portNumber() const override { return m_inner.portNumber(); }
    void setPortNumber(int n) override { m_inner.setPortNumber(n); }
    QString settings() const override { return m_inner.settings(); }
    void setSettings(const QString& text) override { m_inner.setSettings(text); }
    int handshaking() const override { return m_inner.handshaking(); }
    void setHandshaking(int code) override { m_inner.setHandshaking(code); }
    bool isOpen() const override { return m_inner.isOpen(); }
    void setOpen(bool open) override { m_inner.setOpen(open); }
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    int bytesAvailable() const override { return m_inner.bytesAvailable(); }
    int bytesToWrite() const override { return m_inner.bytesToWrite(); }
    bool waitForBytesWritten(int msecs) override { return m_inner.waitForBytesWritten(msecs); }
    bool waitForReadyRead(int msecs) override { return m_inner.waitForReadyRead(msecs); }

    // Called once, just before the first byte goes out.
    std::function<void()> onFirstWrite;
    // Every piece of the line's traffic, as it goes out or is taken in
    // (--verbose); sent: the direction.
    std::function<void(bool sent, const QByteArray& bytes)> onTraffic;

private:
    void checkStop() const;

    SerialControl& m_inner;
    bool m_stoppable = true;
    qint64 m_sent = 0;
    qint64 m_received = 0;
};

// Warning boxes become report lines; the one file dialog a command needs
// (the scheme to load) is answered from the command line.
class CliPrompts : public UserPrompts {
public:
    std::function<void(const QString&)> onWarning;
    std::optional<QString> openAnswer;
    QStringList warnings;

    void warning(const QString& title, const QString& text) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
};

// No window, so no dialogs: each one reports that it did not open.
class CliDialogs : public ShellDialogs {
public:
    void showAbout() override {}
    void showPortSettings() override {}
    void showFirmwareDialog() override {}
    bool openExternal(const QUrl&) override { return false; }
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
