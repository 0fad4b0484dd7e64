// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>
#include <memory>

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

// Runs one parsed command on the window's own logic (the Workbench without
// widgets): the same start-up, the same toolbar commands and programming pass.
// What it adds is the choice of options from the command line, the checks
// of the input before anything is sent, and the exit code.
class CliRunner {
public:
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

    int programChip();
    // Against the last fuse read: what "WS" / "WL" sent.
    int confirmFuses(const QString& sent);
    int confirmLock(const QString& sent);

    // mayBeEmpty: a file without data for this memory is no failure.
    int loadImage(bool flash, const QString& path, bool mayBeEmpty = false);
    int checkImageFits(bool flash);
    // The command's image files, loaded before the port opens; checked again
    // once the model is known, as an ELF file's sections must fit the model.
    int loadCommandFiles();
    int checkCommandFiles();
    int loadProgramFile();
    int runPass(const QList<int>& options);
    int passFindings();
    // storeSetUp code after an exchange: the stop, the chip's findings, or any
    // warning, a silent programmer or a closed port.
    int outcome(qint64 receivedBefore, int chipExit = kExitDone);
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
    std::unique_ptr<Workbench> m_workbench;
    QJsonObject m_findings;
    QString m_human;
    QString m_message;
};

}  // namespace kv::cli
