// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>
#include <memory>

#include "app/CommandRunner.h"
#include "cli/CliOutcomes.h"
#include "cli/CliPlatform.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "record/SerialScheme.h"

namespace kv {
class PassRecorder;
class Workbench;
}  // namespace kv

namespace kv::cli {

// One run of kelvaro-cli: what every command shares (the port, the record,
// the chip in the socket, the result line) around the command's own unit.
// The unit's work ends by returning or by a CommandEnd; the exit code is
// then decided once, from how it ended.
class CommandRun {
public:
    // The line counts as quiet after this long without a byte; the drain
    // before the first command gives up after the limit (a 32 KiB read takes
    // under 6 s to stream out at 115200 baud).
    static constexpr int kQuietMs = 30;
    static constexpr int kDrainLimitMs = 8000;
    struct Paths {
        QString dataFolder;      // holds "Set"
        QString settingsFolder;  // the window's settings folder; empty: the user's
    };

    CommandRun(const CliRequest& request, CliReport& report, const Paths& paths);
    ~CommandRun();

    // The command; its exit code.
    int run();

    // For the commands' units.
    const CliRequest& request() const { return m_request; }
    CliReport& report() { return m_report; }
    const Paths& paths() const { return m_paths; }
    SettingsStore& settings() { return m_settings.store(); }
    PortMap& portMap() { return m_portMap; }
    GuardedSerialControl& port() { return m_port; }
    SystemClock& clock() { return m_clock; }
    QtEventPump& pump() { return m_pump; }
    CliPrompts& prompts() { return m_prompts; }
    void find(const QString& key, const QJsonValue& value) { m_findings.insert(key, value); }
    void findAll(const QJsonObject& values);
    // The findings as a person reads them on stdout, when the command succeeds.
    void setHuman(const QString& text) { m_human = text; }
    const QString& human() const { return m_human; }
    [[noreturn]] static void end(Ending ending, const QString& message) {
        throw CommandEnd{ending, message};
    }

    // The window's logic without its window, on the command line's port,
    // line and model; made on first use.
    Workbench& workbench();
    // Opens the port; throws when it does not open or the line does not
    // fall quiet.
    void openPort();
    // Reads the signature and selects the model from it; the --model guard.
    void identify();
    const QString& chipSignature() const { return m_signature; }
    const QString& chipModel() const { return m_model; }
    // The serial numbers of the command line or the scheme, again: loading
    // a scheme may set its own.
    void applySerialScheme();
    // The exit of a command that ran through the window's runner.
    void check(const CommandResult& result);

    // The last fuse reading of this run: lock, extended, high, low byte.
    QString fuseReading;

private:
    void runCommand();
    // The record for a command that changes the chip, and its check before
    // anything is sent.
    void makeRecorder();
    void admitRecord();
    void prepareSettings();
    void reportStop();

    CliRequest m_request;
    CliReport& m_report;
    Paths m_paths;
    SettingsSnapshot m_settings;
    PortMap m_portMap;
    QtSerialControl m_serial;
    GuardedSerialControl m_port;
    SystemClock m_clock;
    QtEventPump m_pump{m_clock};
    CliPrompts m_prompts;
    CliDialogs m_dialogs;
    std::unique_ptr<PassRecorder> m_recorder;
    std::optional<SerialScheme> m_serialScheme;
    QString m_serialSource;  // the file it came from
    std::unique_ptr<Workbench> m_workbench;
    QJsonObject m_findings;
    QString m_human;
    QString m_message;
    QString m_signature;  // as identify read it
    QString m_model;
};

}  // namespace kv::cli
