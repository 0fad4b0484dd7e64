// SPDX-License-Identifier: MIT
#include "app/CommandTable.h"

#include <QCoreApplication>

namespace kv {

namespace {

constexpr const char* kCaptionContext = "kv::ui::MainToolbar";
constexpr const char* kTextContext = "kv::CommandTable";

using K = CommandKind;
using P = Placement;
using C = CommandId;

CommandInfo row(C id, P placement, const char* key, const char* caption, K kind,
                bool followsPort = false, const char* step = "") {
    return {id,   placement,   QString::fromLatin1(key), caption, std::nullopt,
            kind, followsPort, QString::fromLatin1(step)};
}

CommandInfo entry(C id, C button, const char* key, const char* caption, K kind,
                  const char* step = "") {
    CommandInfo info = row(id, P::Menu, key, caption, kind, false, step);
    info.menuOf = button;
    return info;
}

CommandInfo withCli(CommandInfo info, const char* name, int arguments, QStringList options,
                    const char* usage, const char* summary) {
    info.cli = CliCommand{QString::fromLatin1(name), arguments, std::move(options),
                          QString::fromLatin1(usage), QString::fromLatin1(summary)};
    return info;
}

CommandInfo cliOnly(C id, K kind, const char* name, int arguments, QStringList options,
                    const char* usage, const char* summary) {
    return withCli(row(id, P::None, "", nullptr, kind), name, arguments, std::move(options), usage,
                   summary);
}

// Names, descriptions and keys of the window's commands. The buttons' keys
// are Alt+letter, the same in both languages, so the captions stay as they
// are: the letter shows in the tooltip and to screen readers, not as an
// underline. Images and schemes take the usual Ctrl+O and Ctrl+S: plain for
// FLASH, with Shift for EEPROM, with Alt for schemes.
struct Texts {
    C id;
    const char* name;
    const char* description;
    const char* shortcut;
};

const Texts kTexts[] = {
    {C::SelectModel, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable",
                       "读出插座中芯片的标识字并选择其型号；箭头菜单用于手动选择型号"),
     "Alt+D"},
    {C::FuseDefaults, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "把所选型号的出厂熔丝位调入右边的熔丝位"), "Alt+F"},
    {C::ReadFuses, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "从芯片读出熔丝位和锁定位"),
     "Alt+R"},
    {C::WriteFuses, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "把右边的熔丝位写入芯片"),
     "Alt+W"},
    {C::WriteLock, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "把右边的锁定位写入芯片"),
     "Alt+L"},
    {C::RecoverFuses, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "把所选型号的出厂熔丝位写入芯片"), "Alt+T"},
    {C::EraseChip, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "擦除整个芯片"), "Alt+E"},
    {C::ProgramMenu, QT_TRANSLATE_NOOP("kv::CommandTable", "芯片编程菜单"),
     QT_TRANSLATE_NOOP("kv::CommandTable",
                       "此菜单的项目不起作用；编程请用编程选项下的“编 程”按钮（F5）"),
     "Alt+P"},
    {C::CheckLink, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "检查与编程器的通讯"), "Alt+K"},
    {C::PortSettings, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "设置通信端口；箭头菜单用于打开或关闭端口"), "Alt+O"},
    {C::Schemes, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "打开菜单：打开或保存方案，调入文件熔丝位"), "Alt+S"},
    {C::Production, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "查看生产记录；箭头菜单有记录设置和量产"), "Alt+N"},
    {C::About, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "关于本程序；箭头菜单有固件版本、升级固件和帮助"),
     "Alt+B"},
    {C::ProgramFlashEntry, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "不起作用；编程请用“编 程”按钮"), nullptr},
    {C::ProgramEepromEntry, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "不起作用；编程请用“编 程”按钮"), nullptr},
    {C::OpenPort, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "打开设置的通信端口"), nullptr},
    {C::ClosePort, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "关闭通信端口"), nullptr},
    {C::LoadScheme, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "从方案文件调入型号、熔丝位、编程选项和文件"),
     "Ctrl+Alt+O"},
    {C::SaveScheme, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "把型号、熔丝位、编程选项和文件保存为方案文件"),
     "Ctrl+Alt+S"},
    {C::FileFuses, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "把已调入的ELF文件中的熔丝位和锁定位调入右边"), nullptr},
    {C::RecordViewer, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "查看生产记录"), nullptr},
    {C::RecordSettings, nullptr,
     QT_TRANSLATE_NOOP("kv::CommandTable", "设置生产记录的数据库和工位"), nullptr},
    {C::Gang, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "在多个插座上同时编程"), nullptr},
    {C::FirmwareVersion, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "读出编程器的固件版本"),
     nullptr},
    {C::FirmwareUpdate, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "升级编程器的固件"),
     nullptr},
    {C::Help, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "打开帮助"), "F1"},
    {C::RunPass, QT_TRANSLATE_NOOP("kv::CommandTable", "编 程（按编程选项）"),
     QT_TRANSLATE_NOOP("kv::CommandTable",
                       "依次执行勾选的编程选项：擦除、写入、校验、熔丝位和锁定位"),
     "F5"},
    {C::ReadFlash, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "从芯片读出FLASH并显示"),
     "Alt+H"},
    {C::ReadEeprom, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "从芯片读出EEPROM并显示"),
     "Alt+M"},
    {C::ReadSignature, nullptr, QT_TRANSLATE_NOOP("kv::CommandTable", "读出芯片的标识字和型号"),
     "Alt+I"},
    {C::ReadCalibration, QT_TRANSLATE_NOOP("kv::CommandTable", "读校准字节"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "读出1、2、4、8MHz的振荡器校准字节"), "Alt+C"},
    {C::ReadFlashWord, QT_TRANSLATE_NOOP("kv::CommandTable", "读FLASH字"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "读出地址处的FLASH字"), nullptr},
    {C::ReadEepromByte, QT_TRANSLATE_NOOP("kv::CommandTable", "读EEPROM字节"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "读出地址处的EEPROM字节"), nullptr},
    {C::WriteFlashWord, QT_TRANSLATE_NOOP("kv::CommandTable", "写FLASH字"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "把数据写入地址处的FLASH字"), nullptr},
    {C::WriteEepromByte, QT_TRANSLATE_NOOP("kv::CommandTable", "写EEPROM字节"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "把数据写入地址处的EEPROM字节"), nullptr},
    {C::WriteCalibration, QT_TRANSLATE_NOOP("kv::CommandTable", "写入校准字节"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "把所选频率的校准字节写入FLASH或EEPROM的写入地址"),
     nullptr},
    {C::OpenFlashFile, QT_TRANSLATE_NOOP("kv::CommandTable", "打开FLASH文件"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "调入要写入FLASH的文件"), "Ctrl+O"},
    {C::OpenEepromFile, QT_TRANSLATE_NOOP("kv::CommandTable", "打开EEPROM文件"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "调入要写入EEPROM的文件"), "Ctrl+Shift+O"},
    {C::SaveFlashFile, QT_TRANSLATE_NOOP("kv::CommandTable", "另存为FLASH文件"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "把显示的FLASH数据保存为文件"), "Ctrl+S"},
    {C::SaveEepromFile, QT_TRANSLATE_NOOP("kv::CommandTable", "另存为EEPROM文件"),
     QT_TRANSLATE_NOOP("kv::CommandTable", "把显示的EEPROM数据保存为文件"), "Ctrl+Shift+S"},
};

// The window's order: toolbar left to right, each menu top to bottom, and the
// port-following window buttons in the order they are switched.
QList<CommandInfo> makeRows() {
    QList<CommandInfo> rows = {
        withCli(row(C::SelectModel, P::Toolbar, "SelectMCU",
                    QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "自动选择"), K::Exchange),
                "detect", 0, {}, "detect", "read the signature; print signature and model"),
        row(C::FuseDefaults, P::Toolbar, "SetFuseDefault",
            QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "调入默认"), K::Edit),
        withCli(row(C::ReadFuses, P::Toolbar, "ReadFuse",
                    QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "读熔丝位"), K::Exchange, true),
                "fuses read", 0, {}, "fuses read", "read fuse and lock bytes"),
        withCli(
            row(C::WriteFuses, P::Toolbar, "WriteFuse",
                QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "写熔丝位"), K::Recorded, true, "fuses"),
            "fuses write", 0, {"low", "high", "ext"},
            "fuses write [--low XX] [--high XX] [--ext XX]",
            "write fuse bytes (others kept), confirmed by read-back"),
        withCli(
            row(C::WriteLock, P::Toolbar, "WriteLock",
                QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "写锁定位"), K::Recorded, true, "lock"),
            "lock write", 1, {}, "lock write XX", "write the lock byte, confirmed by read-back"),
        withCli(row(C::RecoverFuses, P::Toolbar, "RecoverFuse",
                    QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "恢复熔丝"), K::Recorded, true,
                    "recover fuses"),
                "fuses recover", 0, {}, "fuses recover",
                "the model's factory fuses, confirmed by read-back"),
        withCli(
            row(C::EraseChip, P::Toolbar, "EraserFlash",
                QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "擦除芯片"), K::Recorded, true, "erase"),
            "erase", 0, {}, "erase", "erase the chip"),
        row(C::ProgramMenu, P::Toolbar, "ProgramMCU",
            QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "芯片编程"), K::MenuOnly, true),
        row(C::CheckLink, P::Toolbar, "CheckCOM",
            QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "通讯检测"), K::Exchange, true),
        row(C::PortSettings, P::Toolbar, "SetCOM",
            QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "设置端口"), K::Guarded),
        row(C::Schemes, P::Toolbar, "slSET", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "存取方案"),
            K::MenuOnly),
        // Reading the record disturbs no command, so the viewer opens at any time.
        row(C::Production, P::Toolbar, "Production",
            QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "生产"), K::Anytime),
        row(C::About, P::Toolbar, "About", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "关于"),
            K::Guarded),

        entry(C::ProgramFlashEntry, C::ProgramMenu, "ProgramFLASH",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "FLASH"), K::MenuOnly),
        entry(C::ProgramEepromEntry, C::ProgramMenu, "ProgramEEPROM",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "EEPROM"), K::MenuOnly),
        entry(C::OpenPort, C::PortSettings, "OpenCOM",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "打开端口"), K::Exchange),
        entry(C::ClosePort, C::PortSettings, "CloseCOM",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "关闭端口"), K::Exchange),
        entry(C::LoadScheme, C::Schemes, "LoadSet",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "打开方案"), K::Guarded),
        entry(C::SaveScheme, C::Schemes, "SaveSet",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "保存方案"), K::Guarded),
        // A loaded ELF file's fuse and lock bytes go into the cells only when
        // asked for; its own button would widen the toolbar beyond the window.
        entry(C::FileFuses, C::Schemes, "FileFuses",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "调入文件熔丝位"), K::Edit),
        entry(C::RecordViewer, C::Production, "RecordViewer",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "生产记录"), K::Anytime),
        // New settings must not change the record under a running command.
        entry(C::RecordSettings, C::Production, "RecordSettings",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "记录设置"), K::Guarded),
        entry(C::Gang, C::Production, "Gang", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "量产"),
              K::Anytime),
        entry(C::FirmwareVersion, C::About, "FIRMWARE",
              QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "固件版本"), K::Exchange),
        withCli(entry(C::FirmwareUpdate, C::About, "UPDATE",
                      QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "升级固件"), K::Guarded),
                "firmware", 1, {"page-size", "encrypted"},
                "firmware FILE [--page-size 32|64|128] [--encrypted]",
                "update the programmer's firmware through its loader"),
        entry(C::Help, C::About, "HELP", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "帮助(F1)"),
              K::Anytime),

        // The pass names its own steps.
        withCli(row(C::RunPass, P::Window, "ProCommand", nullptr, K::Recorded, true), "run", 1, {},
                "run SCHEME.SET", "the programming pass exactly as the window runs it"),
        withCli(row(C::ReadFlash, P::Window, "ReadFlash", nullptr, K::Exchange, true), "read-flash",
                1, {}, "read-flash FILE", "read FLASH; .hex writes Intel HEX, else binary"),
        withCli(row(C::ReadEeprom, P::Window, "ReadEEPROM", nullptr, K::Exchange, true),
                "read-eeprom", 1, {}, "read-eeprom FILE", "read EEPROM; .hex/.eep write Intel HEX"),
        row(C::ReadSignature, P::Window, "ReadSIG", nullptr, K::Exchange, true),
        withCli(row(C::ReadCalibration, P::Window, "ReadOA", nullptr, K::Exchange, true),
                "calibration read", 0, {}, "calibration read",
                "read the oscillator calibration bytes"),
        row(C::ReadFlashWord, P::Window, "R_DataCommand_0", nullptr, K::Exchange, true),
        row(C::ReadEepromByte, P::Window, "R_DataCommand_1", nullptr, K::Exchange, true),
        row(C::WriteFlashWord, P::Window, "W_DataCommand_0", nullptr, K::Recorded, true,
            "write flash word"),
        row(C::WriteEepromByte, P::Window, "W_DataCommand_1", nullptr, K::Recorded, true,
            "write eeprom byte"),
        // Enabled by the calibration read that fills its slots, not by the port.
        withCli(row(C::WriteCalibration, P::Window, "WriteOA_Command", nullptr, K::Recorded, false,
                    "calibration"),
                "calibration write", 0, {"slot", "to", "address"},
                "calibration write --slot 1|2|4|8 --to flash|eeprom [--address A]",
                "store the calibration byte of that MHz in the chip's FLASH or EEPROM"),
        row(C::OpenFlashFile, P::Window, "OpenFFile", nullptr, K::Guarded),
        row(C::OpenEepromFile, P::Window, "OpenEFile", nullptr, K::Guarded),
        row(C::SaveFlashFile, P::Window, "SaveFlash", nullptr, K::Guarded),
        row(C::SaveEepromFile, P::Window, "SaveEEPROM", nullptr, K::Guarded),

        cliOnly(C::ListPorts, K::Process, "ports", 0, {"probe"}, "ports [--probe]",
                "COM1..COM16 with the device behind each; --probe asks each for a programmer"),
        cliOnly(C::WriteFlashFile, K::Recorded, "write-flash", 1, {"verify", "no-erase"},
                "write-flash FILE [--verify] [--no-erase]",
                "erase, then write FLASH from Intel HEX, raw binary (.bin) or ELF (.elf)"),
        cliOnly(C::VerifyFlashFile, K::Exchange, "verify-flash", 1, {}, "verify-flash FILE",
                "compare FLASH with the file"),
        cliOnly(C::WriteEepromFile, K::Recorded, "write-eeprom", 1, {"verify", "raw"},
                "write-eeprom FILE [--verify] [--raw]",
                "write EEPROM from .eep/.hex/.bin, or an ELF file's .eeprom section;\n"
                "      an .eep that is not Intel HEX goes in as raw bytes, --raw if they look like "
                "text"),
        cliOnly(C::VerifyEepromFile, K::Exchange, "verify-eeprom", 1, {"raw"},
                "verify-eeprom FILE [--raw]", "compare EEPROM with the file"),
        cliOnly(C::ProgramElf, K::Recorded, "program", 1, {"fuses", "lock", "verify", "erase"},
                "program FILE.elf [--fuses] [--lock] [--verify] [--erase]",
                "write what the ELF file holds: erase, FLASH, EEPROM, verify, fuses, lock last;\n"
                "      fuse and lock bytes only when asked, confirmed by read-back"),
        cliOnly(C::RecordList, K::Process, "record list", 0, {"since", "failed", "csv"},
                "record list [--since DATE] [--failed] [--csv]",
                "the production record, newest first; --csv prints every column as CSV"),
        cliOnly(C::RecordFlush, K::Process, "record flush", 0, {}, "record flush",
                "upload the records that wait in the spool (chips done while the\n"
                "      record's database was away); every run does this first"),
        // Its words after the ports are a command line of their own.
        cliOnly(
            C::GangRun, K::Process, "gang", -1, {},
            "gang [--ports PORT,PORT,...] COMMAND [arguments]",
            "the command on every socket at once, each programmer in a process of its own;\n"
            "      default: the sockets stored by the window; exit 0 when every socket passed,\n"
            "      else the code of the first socket that did not"),
    };
    for (CommandInfo& info : rows) {
        if (info.id == C::Help)
            info.ruleBefore = true;
        for (const Texts& texts : kTexts) {
            if (texts.id == info.id) {
                info.name = texts.name;
                info.description = texts.description;
                info.shortcut = texts.shortcut;
            }
        }
    }
    return rows;
}

// The order of the command line's --help.
const CommandId kCliOrder[] = {
    C::ListPorts,       C::SelectModel,    C::EraseChip,       C::WriteFlashFile,
    C::VerifyFlashFile, C::ReadFlash,      C::WriteEepromFile, C::VerifyEepromFile,
    C::ReadEeprom,      C::ProgramElf,     C::ReadFuses,       C::WriteFuses,
    C::RecoverFuses,    C::WriteLock,      C::ReadCalibration, C::WriteCalibration,
    C::RunPass,         C::FirmwareUpdate, C::RecordList,      C::RecordFlush,
    C::GangRun,
};

}  // namespace

QString CommandInfo::shownCaption() const {
    return caption ? QCoreApplication::translate(kCaptionContext, caption) : QString();
}

QString CommandInfo::shownName() const {
    return name ? QCoreApplication::translate(kTextContext, name) : shownCaption();
}

QString CommandInfo::shownDescription() const {
    return description ? QCoreApplication::translate(kTextContext, description) : QString();
}

namespace CommandTable {

const QList<CommandInfo>& rows() {
    static const QList<CommandInfo> table = makeRows();
    return table;
}

const CommandInfo& info(CommandId id) {
    for (const CommandInfo& row : rows()) {
        if (row.id == id)
            return row;
    }
    Q_UNREACHABLE();
}

const CommandInfo* byKey(const QString& key) {
    if (key.isEmpty())
        return nullptr;
    for (const CommandInfo& row : rows()) {
        if (row.key == key)
            return &row;
    }
    return nullptr;
}

QList<const CommandInfo*> cliCommands() {
    QList<const CommandInfo*> list;
    for (const CommandId id : kCliOrder)
        list << &info(id);
    return list;
}

const CommandInfo* findCli(const QStringList& words) {
    const QList<const CommandInfo*> commands = cliCommands();
    for (qsizetype at = 0; at < words.size(); ++at) {
        for (const CommandInfo* command : commands) {
            const QStringList name = command->cli->name.split(u' ');
            if (words.mid(at, name.size()) == name)
                return command;
        }
    }
    return nullptr;
}

QList<const CommandInfo*> toolbarButtons() {
    QList<const CommandInfo*> list;
    for (const CommandInfo& row : rows()) {
        if (row.placement == Placement::Toolbar)
            list << &row;
    }
    return list;
}

QList<const CommandInfo*> menuEntries(CommandId button) {
    QList<const CommandInfo*> list;
    for (const CommandInfo& row : rows()) {
        if (row.placement == Placement::Menu && row.menuOf == button)
            list << &row;
    }
    return list;
}

QList<const CommandInfo*> portControls(Placement placement) {
    QList<const CommandInfo*> list;
    for (const CommandInfo& row : rows()) {
        if (row.placement == placement && row.followsPort)
            list << &row;
    }
    return list;
}

}  // namespace CommandTable

}  // namespace kv
