// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>
#include <memory>

#include "app/CommandRunner.h"
#include "app/CommandTable.h"
#include "cli/CliPlatform.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "operations/Outcomes.h"
#include "record/SerialScheme.h"

namespace kv {
class PassRecorder;
class Workbench;
}  // namespace kv

namespace kv::cli {

// Runs one parsed command on the window's own logic (the Workbench without
// widgets): the same start-up, the same toolbar commands and programming pass.
// What it adds is the choice of options from the command line, the checks
// of the input before anything is sent, and the exit code.
class CliRunner {
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

    CliRunner(const CliRequest& request, CliReport& report, const Paths& paths);
    ~CliRunner();

    int run();

private:
    // Each returns the exit code; findings go into m_findings.
    int runPorts();
    int runFirmware();
    int runScheme();
    int runChipCommand();
    int identify();
    int imageCommand();
    int readCommand(bool flash);
    int fuseRead();
    int fuseWrite();
    int fuseRecover();
    int lockWrite();
    int calibrationRead();
    int calibrationWrite();
    // The record for a command that changes the chip, checked before the
    // port is opened; exit 5 when it cannot be kept.
    int prepareRecorder();
    int runRecordList();
    int runRecordFlush();

    int programChip();
    // Against the last fuse read: what "WS" / "WL" sent.
    int confirmFuses(const QString& sent);
    int confirmLock(const QString& sent);
    int recordedWrite(CommandId id);
    int confirmCalibration(const CalibrationWrite& written);

    // mayBeEmpty: a file without data for this memory is no failure.
    int loadImage(bool flash, const QString& path, bool mayBeEmpty = false);
    int checkImageFits(bool flash);
    // The command's image files, loaded before the port opens; checked again
    // once the model is known, as an ELF file's sections must fit the model.
    int loadCommandFiles();
    int checkCommandFiles();
    int loadProgramFile();
    int runPass(const QList<int>& options);
    int passFindings(const PassOutcome& pass);
    // The exit code for how a command ended: the stop, the error's kind, or
    // the chip's findings (chipExit).
    int outcome(const CommandResult& result, int chipExit = kExitDone);
    // A stop decides the exit code unless the chip had passed before it.
    bool stopCounts() const;
    // A silent programmer: exit 3 with "no answer".
    int noAnswer();
    // A reply where a signature belongs that is not one: exit 3 with advice.
    int garbledSignature(const QString& reading);
    // The programming pass with the record around it.
    CommandResult runRecordedPass(PassOutcome& pass);
    int fail(int code, const QString& message);
    QJsonObject fuseFindings(const QString& reading) const;
    void prepareSettings();
    void startWorkbench();
    int startOnPort();

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
    // The last fuse reading of this run: lock, extended, high, low byte.
    QString m_fuseReading;
};

}  // namespace kv::cli
