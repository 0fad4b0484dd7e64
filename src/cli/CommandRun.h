// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>
#include <memory>

#include "catalogue/ChipModel.h"
#include "cli/CliOutcomes.h"
#include "cli/CliPlatform.h"
#include "cli/CliRecord.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/ProgrammerLink.h"
#include "link/QtSerialControl.h"
#include "pass/PassOutcome.h"
#include "pass/PassPlan.h"
#include "pass/PassRunner.h"
#include "programmer/Programmer.h"
#include "programmer/ProgrammerEvents.h"
#include "record/SerialScheme.h"

namespace kv::cli {

// One run of kelvaro-cli: what every command shares (the port, the
// programmer, the chip in the socket, the record, the result line) around
// the command's own unit. The unit's work ends by returning or by a
// CommandEnd; the exit code is then decided once, from how it ended.
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
    [[noreturn]] static void end(Ending ending, const QString& message) {
        throw CommandEnd{ending, message};
    }
    // A line of the program's log, as the window's log would show it.
    void log(const QString& text);

    // Opens the port on the command line's port and line, admits the record
    // while the line falls quiet; throws when either fails. Nothing is sent.
    void openPort();
    ProgrammerLink& link() { return *m_link; }
    Programmer& programmer() { return *m_programmer; }
    // Reads the signature and takes the model from it; the --model guard.
    const ChipModel& identify();
    const QString& chipSignature() const { return m_signature; }
    // The model of the chip (identified, or the plan's).
    const ChipModel& model() const { return *m_model; }

    CliRecord& record() { return *m_record; }
    // A pass on the chip, with the record around it: a plan that would send
    // nothing where it says it writes, or that does not fit the chip, is
    // refused before anything is sent. A numbered pass (a memory write or
    // verify, a scheme) takes the chip's serial number, when the run has a
    // serial file, just before it starts. Its findings go into the result; a
    // pass that did not pass throws its ending.
    PassOutcome runPlan(PassPlan plan, bool numbered = false);
    // The started row of a command that changes the chip, before its first
    // byte; throws when it cannot be written.
    void beginRecord();

private:
    void openLine();
    void reportStop();
    void takeEvent(const ProgrammerEvent& event);
    // The pass's serial number will be taken with its started row: checks
    // that it fits the chip and defines its sequence.
    void numberPass(const PassPlan& plan);
    void setModel(const ChipModel& model);
    // The port as the record names it.
    QString portText() const;

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
    std::unique_ptr<ProgrammerLink> m_link;
    std::unique_ptr<Programmer> m_programmer;
    std::unique_ptr<CliRecord> m_record;
    std::optional<SerialScheme> m_serialScheme;
    QString m_serialSource;  // the file it came from
    const ChipModel* m_model = nullptr;
    QString m_signature;  // as identify read it
    TransferTally m_tally;
    QJsonObject m_findings;
    QString m_human;
    QString m_message;
};

}  // namespace kv::cli
