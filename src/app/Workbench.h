// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "app/CommandRunner.h"
#include "app/CommandTable.h"
#include "app/RecentFiles.h"
#include "app/RecordKeeper.h"
#include "app/SchemeBinding.h"
#include "app/Session.h"
#include "ports/PortSettingsHooks.h"

namespace kv {

// The main window without widgets: it puts the session, the command runner,
// the record and the scheme binding together, starts and ends the window's
// life, and runs the window's commands by their id in the command table.
class Workbench : public QObject {
    Q_OBJECT
public:
    explicit Workbench(const WorkbenchPlatform& platform, QObject* parent = nullptr);
    ~Workbench() override;

    Session& session() { return m_session; }
    CommandRunner& runner() { return m_runner; }
    RecordKeeper& record() { return m_record; }
    SchemeBinding& schemes() { return m_schemes; }

    // Texts of the shell.
    const QString& appCaption() const { return m_session.appCaption(); }
    const QString& linkCaption() const { return m_linkCaption; }
    QString helpFilePath() const;
    // The title of port warnings, as the port settings dialog shows them.
    static QString portWarningTitle();

    // Window load: the start-up steps, each failing step skipped. Returns
    // why the port did not open; nullopt when it did.
    std::optional<OperationError> start();
    // Window close. False while a command runs: the close is deferred and
    // closeRequested() follows when it has ended.
    bool requestClose() { return m_runner.requestClose(); }
    // Window unload: stores fuse bits, options and calibration choices.
    void storeSetUp();

    // The port toggle as the user starts it (pictures, menu); refused while a
    // command runs.
    void requestPortToggle();
    // The toggle itself, for callers that own the exchange (the port dialog).
    std::optional<OperationError> togglePort();
    // Indicators and device controls from the port's state.
    void refreshConnection();
    PortSettingsHooks portSettingsHooks();

    // A command of the window: a toolbar button, a menu entry or a button.
    // How it ended; its findings were shown already.
    CommandResult runCommand(CommandId id);
    // An entry of the model menu.
    void selectModelFromMenu(const QString& name);
    // A file dropped on the window or chosen from the recent list: a scheme
    // (".SET") is loaded; an image goes to `memory`, by default the one its
    // name says (see memoryForFile), and an ELF file with an EEPROM section
    // fills both memories. Refused while a command runs.
    CommandResult openFile(const QString& path, std::optional<MemoryKind> memory = std::nullopt);
    static bool isSchemeFile(const QString& path);
    RecentFiles& recentFiles() { return m_recent; }
    // The log into a text file the user names; and the log emptied.
    CommandResult saveLog();
    void clearLog();
    void openWebPage();

    // Edits of the fuse cells and the programming options from the window.
    // False when refused because a command runs: the window then shows the
    // state again in place of the user's change.
    bool toggleFuseBit(int cell);
    bool restoreDefaultFuseBits();
    bool setFuseOptionChecked(int position, bool checked);
    bool setProgramOption(int index, int value);

Q_SIGNALS:
    // A close that was deferred may now proceed.
    void closeRequested();

private:
    CommandResult runExchangeCommand(CommandId id);
    CommandResult runRecordedCommand(CommandId id);
    CommandResult runGuardedCommand(CommandId id);
    // The chip-changing commands, inside the record's wrapper.
    RecordKeeper::StepFinding runChipCommand(CommandId id);
    // Throws OperationError("无目标芯片或不支持!") for a chip the table does not
    // know; the runner shows it after the exchange.
    void autoSelectModel();
    void checkLink();
    // Reads back the cell a calibration write went to; the record's fault when
    // it does not hold the value (logged), nullopt when it does.
    std::optional<QString> confirmCalibration(const CalibrationWrite& written);
    void queryFirmwareVersion();
    void openHelp();
    // "调入文件熔丝位": the fuse and lock bytes of the loaded ELF file into the
    // cells, as a fuse read shows the chip's. Nothing is written to the chip.
    void applyFileFuses();
    void loadScheme();
    void loadSchemeFile(const QString& path);
    void loadStoredImageFiles();

    Session m_session;
    RecordKeeper m_record;
    CommandRunner m_runner;
    SchemeBinding m_schemes;
    RecentFiles m_recent;
    QString m_linkCaption;
};

}  // namespace kv
