// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>

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
#include "ports/PortSettingsState.h"
#include "programmer/Programmer.h"

namespace kv {

class Clock;
class EventPump;
class ImageReader;
class ImageWriter;
class PassRecorder;
class Programmer;
class PortMap;
class SerialControl;
class SettingsStore;
class ShellDialogs;
class StoppableSerialControl;
class UserPrompts;

// What the program is built on; everything must outlive it.
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
    // The stop of running commands, a control wrapped around `port` (or `port`
    // itself); none: commands run to their end.
    StoppableSerialControl* stopper = nullptr;
};

// The link to the programmer, the state the window binds to, and the
// operations that act on them. Every front end drives the chip through one
// session; it shows nothing itself.
class Session {
public:
    explicit Session(const WorkbenchPlatform& platform);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // What the program is built on: port, stop, settings, prompts, dialogs,
    // the data folder.
    const WorkbenchPlatform& platform() const { return m_platform; }
    // The window title: the caption of every warning box.
    const QString& appCaption() const { return m_appCaption; }

    ProgrammerLink& link() { return m_link; }
    // The programmer every operation talks through.
    Programmer& programmer() { return *m_programmer; }
    MessageLog& log() { return m_log; }
    ModelState& model() { return m_model; }
    SignatureReader& signature() { return m_signature; }
    FuseEditor& fuses() { return m_fuses; }
    FuseCommands& fuseCommands() { return m_fuseCommands; }
    CalibrationState& calibration() { return m_calibration; }
    CalibrationBytes& calibrationBytes() { return *m_calibrationBytes; }
    SingleAccessState& singleAccess() { return m_singleState; }
    SingleAccess& singleAccessCommands() { return *m_single; }
    ImageSlot& slot(MemoryKind memory) { return memory == MemoryKind::Flash ? m_flash : m_eeprom; }
    ImageSlot& flash() { return m_flash; }
    ImageSlot& eeprom() { return m_eeprom; }
    ImageFiles& files() { return m_files; }
    ImageReader& reader() { return *m_reader; }
    ProgramPass& programPass() { return *m_pass; }
    ProgramOptions& options() { return m_options; }
    ConnectionState& connection() { return m_connection; }
    DeviceControls& deviceControls() { return m_devices; }
    PortSettingsState& portSettingsState() { return m_portSettingsState; }

    // The selected model's fuse definitions into the editor, and its defaults
    // into the cells.
    void reloadFuseDefinitions();
    // The selected model's sizes, for the sections of an ELF file.
    ElfLimits elfLimits() const;

private:
    WorkbenchPlatform m_platform;
    QString m_appCaption;
    MessageLog m_log;
    ProgrammerLink m_link;
    std::unique_ptr<Programmer> m_programmer;
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
};

}  // namespace kv
