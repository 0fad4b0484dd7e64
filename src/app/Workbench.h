// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "app/ConnectionState.h"
#include "app/DeviceControls.h"
#include "app/MessageLog.h"
#include "catalogue/ModelState.h"
#include "catalogue/SignatureReader.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "link/ProgrammerLink.h"
#include "operations/CalibrationBytes.h"
#include "operations/CalibrationState.h"
#include "operations/ProgramOptions.h"
#include "operations/ProgramPass.h"
#include "operations/SingleAccess.h"
#include "operations/SingleAccessState.h"
#include "ports/PortSettingsHooks.h"
#include "ports/PortSettingsState.h"
#include "record/SerialScheme.h"
#include "schemes/Scheme.h"
#include "schemes/SchemeTarget.h"

namespace kv {

class Clock;
class EventPump;
class ImageReader;
class ImageWriter;
class PassRecorder;
class PortMap;
class SerialControl;
class SettingsStore;
class ShellDialogs;
class UserPrompts;

// What the controller is built on; everything must outlive it.
struct WorkbenchPlatform {
    SerialControl& port;
    Clock& clock;
    EventPump& pump;
    UserPrompts& prompts;
    ShellDialogs& dialogs;
    // Named with the window title (ShellTexts::appTitle()).
    SettingsStore& settings;
    // The folder that holds "Set" and the help file.
    QString dataFolder;
    PortMap* portMap = nullptr;
    // Keeps a record of every command that changes a chip; none: no record.
    PassRecorder* recorder = nullptr;
};

// The main window without widgets: start-up and exit, the port toggle and the
// device-control switch, the toolbar dispatch and every command the window's
// buttons start. It owns the link and the state the window binds to. While a
// command runs (an exchange, a dialog, a file load that yields to the window),
// every other command is refused with a log entry, and closing is deferred
// until it ends.
class Workbench : public QObject, public SchemeTarget {
    Q_OBJECT
public:
    explicit Workbench(const WorkbenchPlatform& platform, QObject* parent = nullptr);
    ~Workbench() override;

    // Texts of the shell.
    const QString& appCaption() const { return m_appCaption; }
    const QString& linkCaption() const { return m_linkCaption; }
    QString helpFilePath() const;
    // The title of port warnings, as the port settings dialog shows them.
    static QString portWarningTitle();
    static QString busyText();

    // State the window binds to.
    ProgrammerLink& link() { return m_link; }
    MessageLog& log() { return m_log; }
    ModelState& model() { return m_model; }
    SignatureReader& signature() { return m_signature; }
    FuseEditor& fuses() { return m_fuses; }
    FuseCommands& fuseCommands() { return m_fuseCommands; }
    CalibrationState& calibration() { return m_calibration; }
    SingleAccessState& singleAccess() { return m_singleState; }
    ProgramPass& programPass() { return *m_pass; }
    const ImageReader& reader() const { return *m_reader; }
    ImageSlot& flash() { return m_flash; }
    ImageSlot& eeprom() { return m_eeprom; }
    ImageFiles& files() { return m_files; }
    ProgramOptions& options() { return m_options; }
    ConnectionState& connection() { return m_connection; }
    DeviceControls& deviceControls() { return m_devices; }
    SettingsStore& settings() { return m_settings; }
    UserPrompts& prompts() { return m_prompts; }
    PortSettingsState& portSettingsState() { return m_portSettingsState; }
    PortSettingsHooks portSettingsHooks();
    PortMap* portMap() const { return m_portMap; }
    PassRecorder* recorder() const { return m_recorder; }
    // Serial numbers for each pass (from the scheme's serial file); nullopt: none.
    void setSerialScheme(const std::optional<SerialScheme>& scheme) { m_serialScheme = scheme; }
    // The id of the record the last command appended; 0 when it kept none.
    qint64 lastRecordId() const { return m_lastRecordId; }

    // A command runs: an exchange, a dialog or a file load.
    bool isBusy() const { return m_link.isBusy() || m_commandDepth > 0; }

    // Window load: the start-up steps, each failing step skipped.
    void start();
    // Window close. False while an exchange runs: the close is deferred and
    // closeRequested() follows when it has ended.
    bool requestClose();
    // Window unload: stores fuse bits, options and calibration choices.
    void storeSetUp();

    // The port toggle as the user starts it (pictures, menu); refused while an
    // exchange runs.
    void requestPortToggle();
    // The toggle itself, for callers that own the exchange (the port dialog).
    void togglePort();
    // Indicators and device controls from the port's state.
    void refreshConnection();
    void enableDeviceControls(bool enabled);
    // The serial control's line event: whatever waits in the receive buffer
    // becomes one log entry; during an exchange it waits until the exchange ends.
    void onLineEvent();

    void onToolbarButton(const QString& key);
    void onToolbarMenuItem(const QString& key);
    void checkLink();
    void queryFirmwareVersion();
    // Throws OperationError("无目标芯片或不支持!") for a chip the table does not
    // know; the dispatch shows it after the exchange.
    void autoSelectModel();
    void openHelp();
    void openWebPage();
    // Toolbar menu entry "FileFuses" ("调入文件熔丝位"): the fuse and lock bytes
    // of the loaded ELF file into the cells, as a fuse read shows the chip's.
    // Nothing is written to the chip.
    void applyFileFuses();

    // Window buttons.
    void readSignature();
    void readFlash();
    void readEeprom();
    void openFlashFile();
    void openEepromFile();
    void saveFlashFile();
    void saveEepromFile();
    void runProgrammingPass();
    void readCalibrationBytes();
    void writeCalibrationByte();
    void singleRead(int row);
    void singleWrite(int row);
    void resetLog() { m_log.reset(); }

    // Edits of the fuse cells and the programming options from the window.
    // False when refused because a command runs: the window then shows the
    // state again in place of the user's change.
    bool clickFuseCell(int cell);
    bool doubleClickFuseFrame();
    bool checkFuseOption(int position, bool checked);
    bool setProgramOption(int index, int value);

    // The set-up as a scheme holds it; also what the exit stores.
    Scheme currentScheme();

    // SchemeTarget
    void selectModel(const QString& name) override;
    void applyFuseBits(const QString& bits) override;
    void setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) override;
    void setImagePaths(const QString& flashPath, const QString& eepromPath) override;
    void reloadFlashFile(const QString& path) override;
    void reloadEepromFile(const QString& path) override;
    void setCalibrationChoice(std::optional<int> slot, std::optional<int> target) override;
    void setCalibrationAddresses(const QString& flashAddress,
                                 const QString& eepromAddress) override;
    void syncCalibrationSpinners() override;

Q_SIGNALS:
    // A close that was deferred may now proceed.
    void closeRequested();

private:
    // Runs a command that talks to the programmer: refused while another one
    // runs, marked busy while it runs; a failure inside it ends it and is shown
    // in a warning box titled with the window title once the exchange is over.
    void runExchange(const std::function<void()>& command);
    // Runs a command that opens a dialog or changes the model: refused while
    // an exchange runs; a failure is shown as for runExchange.
    void runGuarded(const std::function<void()>& command);
    // runExchange for a command that changes the chip: refused before anything
    // is sent when no record can be kept, and recorded with `step` as its one
    // step (the programming pass names its own steps: `step` empty).
    void runRecorded(const QString& step, const std::function<void()>& command);
    void connectRecorder();
    void beginRecord();
    void completeRecord(const std::optional<QString>& failure);
    void finishRecord(const std::optional<QString>& failure);
    // The step's result and detail from what the logic reports of it.
    std::pair<QString, QString> stepFinding(const QString& step) const;
    // Before the pass: the next number, taken in its own transaction; the
    // refusal text when none can be taken.
    std::optional<QString> takeSerialNumber();
    // After the pass's steps, through the single-access writes; a number
    // not written is marked spoiled.
    void writeSerialNumber(const std::optional<QString>& failure);
    bool writeSerialBytes(const QByteArray& bytes);
    bool refuseWhileBusy();
    bool runEdit(const std::function<void()>& edit);
    void showError(const QString& text);
    void afterCommand();
    void reloadFuseDefinitions();
    void applyDefaultFuseBits();
    void loadStoredImageFiles();
    // The selected model's sizes, for the sections of an ELF file.
    ElfLimits elfLimits() const;

    SerialControl& m_port;
    UserPrompts& m_prompts;
    ShellDialogs& m_dialogs;
    SettingsStore& m_settings;
    QString m_dataFolder;
    PortMap* m_portMap;
    PassRecorder* m_recorder;
    qint64 m_lastRecordId = 0;
    std::optional<SerialScheme> m_serialScheme;
    std::optional<qint64> m_takenSerial;

    QString m_appCaption;
    QString m_linkCaption;
    MessageLog m_log;
    ProgrammerLink m_link;
    ModelState m_model;
    SignatureReader m_signature;
    FuseEditor m_fuses;
    FuseCommands m_fuseCommands;
    CalibrationState m_calibration;
    SingleAccessState m_singleState;
    ImageSlot m_flash;
    ImageSlot m_eeprom;
    ImageFiles m_files;
    std::unique_ptr<ImageReader> m_reader;
    std::unique_ptr<ImageWriter> m_writer;
    std::unique_ptr<CalibrationBytes> m_calibrationBytes;
    std::unique_ptr<SingleAccess> m_single;
    std::unique_ptr<ProgramPass> m_pass;
    ProgramOptions m_options;
    ConnectionState m_connection;
    DeviceControls m_devices;
    PortSettingsState m_portSettingsState;

    int m_commandDepth = 0;
    bool m_lineEventPending = false;
    bool m_closePending = false;
};

}  // namespace kv
