// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

// Every command the program has, in the window and on the command line.
enum class CommandId {
    // Toolbar buttons, left to right.
    SelectModel,
    FuseDefaults,
    ReadFuses,
    WriteFuses,
    WriteLock,
    RecoverFuses,
    EraseChip,
    ProgramMenu,
    CheckLink,
    PortSettings,
    Schemes,
    Production,
    About,
    // Entries of the toolbar buttons' menus.
    ProgramFlashEntry,
    ProgramEepromEntry,
    OpenPort,
    ClosePort,
    LoadScheme,
    SaveScheme,
    FileFuses,
    RecordViewer,
    RecordSettings,
    Gang,
    FirmwareVersion,
    FirmwareUpdate,
    Help,
    // Buttons of the window.
    RunPass,
    ReadFlash,
    ReadEeprom,
    ReadSignature,
    ReadCalibration,
    ReadFlashWord,
    ReadEepromByte,
    WriteFlashWord,
    WriteEepromByte,
    WriteCalibration,
    OpenFlashFile,
    OpenEepromFile,
    SaveFlashFile,
    SaveEepromFile,
    // Only on the command line.
    ListPorts,
    WriteFlashFile,
    VerifyFlashFile,
    WriteEepromFile,
    VerifyEepromFile,
    ProgramElf,
    RecordList,
    RecordFlush,
    GangRun,
};

// How a command runs.
enum class CommandKind {
    Exchange,  // talks to the programmer; refused while another command runs
    Recorded,  // an exchange that changes the chip: kept in the production record
    Guarded,   // opens a dialog or changes the set-up; refused while a command runs
    Edit,      // changes the window's cells at once; refused while a command runs
    Anytime,   // only reads, so it disturbs nothing and opens at any time
    MenuOnly,  // a button that acts through its menu, or an entry that does nothing
    Process,   // the command line's own work beside the chip (listing, record, gang)
};

// Where the window shows a command.
enum class Placement { None, Toolbar, Menu, Window };

// The command line's view of a command.
struct CliCommand {
    QString name;         // one or two words: "detect", "fuses write"
    int arguments = 0;    // positional arguments after the name; -1: the rest is its own line
    QStringList options;  // long names of its own options, besides the global ones
    QString usage;
    QString summary;
};

struct CommandInfo {
    CommandId id;
    Placement placement;
    QString key;          // toolbar or menu key, or the window control's object name; empty: none
    const char* caption;  // toolbar and menu captions (context "kv::ui::MainToolbar"); may be null
    std::optional<CommandId> menuOf;  // the toolbar button whose menu holds the entry
    CommandKind kind;
    bool followsPort;    // enabled only while the port is open
    QString recordStep;  // the record's step name of a recorded command; the pass names its own
    std::optional<CliCommand> cli;
    bool ruleBefore = false;  // a menu entry set apart from the ones above it
    // What a screen reader calls the control where the caption is missing or
    // would be mistaken for another's; null: the caption.
    const char* name = nullptr;
    // What the command does, for tooltips and screen readers.
    const char* description = nullptr;
    // The key sequence in portable text ("Ctrl+O", "Alt+R"); null: none.
    const char* shortcut = nullptr;

    // The caption in the language of the messages.
    QString shownCaption() const;
    // The name and description in the language of the messages.
    QString shownName() const;
    QString shownDescription() const;
};

// The one table: the toolbar, its menus and icons, the controls that follow
// the port, the window's dispatch, the command line's dispatch and its help
// all come from it.
namespace CommandTable {

const QList<CommandInfo>& rows();
const CommandInfo& info(CommandId id);
// The row placed in the window under this key or object name.
const CommandInfo* byKey(const QString& key);
// The command line's commands in the order --help lists them.
QList<const CommandInfo*> cliCommands();
// The command named by the first run of words that names one; null for none.
const CommandInfo* findCli(const QStringList& words);
// Toolbar buttons left to right; entries of one button's menu in order.
QList<const CommandInfo*> toolbarButtons();
QList<const CommandInfo*> menuEntries(CommandId button);
// Controls that talk to the chip, disabled while the port is closed, in the
// order they are switched.
QList<const CommandInfo*> portControls(Placement placement);

}  // namespace CommandTable

}  // namespace kv
