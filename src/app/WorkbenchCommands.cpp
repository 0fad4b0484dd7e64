#include <QFileInfo>
#include <QUrl>
#include <optional>

#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "catalogue/ChipModelTable.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "operations/ImageReader.h"
#include "schemes/SchemeCommands.h"

namespace kv {

namespace {

const QString kNoTarget = QStringLiteral("无目标芯片或不支持!");

// Runs a command; the text for the warning box when it failed. Any exception
// ends the command there: none may leave a window event's handler.
std::optional<QString> failureOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const OperationError& e) {
        return e.text();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
    return std::nullopt;
}

}  // namespace

// Also while a file load or a dialog runs: the loads yield to the window, and
// a command started there would act on a half-loaded image or open a second
// dialog over the first.
bool Workbench::refuseWhileBusy() {
    if (!isBusy())
        return false;
    m_log.SendInfo(busyText());
    return true;
}

void Workbench::showError(const QString& text) {
    m_prompts.warning(m_appCaption, text);
}

void Workbench::runExchange(const std::function<void()>& command) {
    if (refuseWhileBusy())
        return;
    ++m_commandDepth;
    std::optional<QString> failure;
    {
        ProgrammerLink::Exchange exchange(m_link);
        failure = failureOf(command);
    }
    // The box comes after the exchange so that nothing waits behind it.
    if (failure)
        showError(*failure);
    --m_commandDepth;
    afterCommand();
}

void Workbench::runGuarded(const std::function<void()>& command) {
    if (refuseWhileBusy())
        return;
    ++m_commandDepth;
    if (const auto failure = failureOf(command))
        showError(*failure);
    --m_commandDepth;
    afterCommand();
}

// No yield happens inside an edit, so it needs no busy mark of its own. An
// edit refused for its own reason (no usable definitions) shows it in a box.
bool Workbench::runEdit(const std::function<void()>& edit) {
    if (refuseWhileBusy())
        return false;
    if (const auto failure = failureOf(edit)) {
        showError(*failure);
        return false;
    }
    return true;
}

bool Workbench::clickFuseCell(int cell) {
    return runEdit([this, cell] { m_fuses.Label1_Click(cell); });
}

bool Workbench::doubleClickFuseFrame() {
    return runEdit([this] { m_fuses.Frame1_DblClick(); });
}

bool Workbench::checkFuseOption(int position, bool checked) {
    return runEdit([this, position, checked] { m_fuses.TreeView1_NodeCheck(position, checked); });
}

bool Workbench::setProgramOption(int index, int value) {
    return runEdit([this, index, value] { m_options.setCheckPRO(index, value); });
}

// What waited for the exchange to end: a line event, a close.
void Workbench::afterCommand() {
    if (isBusy())
        return;
    if (m_lineEventPending)
        MSComm1_OnComm();
    if (m_closePending) {
        m_closePending = false;
        Q_EMIT closeRequested();
    }
}

void Workbench::Toolbar1_ButtonClick(const QString& key) {
    if (key == QLatin1String("SelectMCU")) {
        runExchange([this] { AutoSelectModel(); });
    } else if (key == QLatin1String("SetFuseDefault")) {
        // A running pass may be about to write the cells; without usable
        // definitions there are no defaults to put there.
        runEdit([this] { m_fuseCommands.SetFuseDefault(); });
    } else if (key == QLatin1String("ReadFuse")) {
        runExchange([this] { m_fuseCommands.ReadFuses(m_model.SelectedModel()); });
    } else if (key == QLatin1String("WriteFuse")) {
        runExchange([this] { m_fuseCommands.WriteFuses(m_model.SelectedModel()); });
    } else if (key == QLatin1String("WriteLock")) {
        runExchange([this] { m_fuseCommands.WriteLockBits(); });
    } else if (key == QLatin1String("RecoverFuse")) {
        runExchange([this] { m_fuseCommands.RecoverFuse(m_model.SelectedModel()); });
    } else if (key == QLatin1String("EraserFlash")) {
        runExchange([this] { m_fuseCommands.EraseChip(); });
    } else if (key == QLatin1String("CheckCOM")) {
        runExchange([this] { CheckLink(); });
    } else if (key == QLatin1String("SetCOM")) {
        runGuarded([this] { m_dialogs.showPortSettings(); });
    } else if (key == QLatin1String("About")) {
        runGuarded([this] { m_dialogs.showAbout(); });
    }
    // "ProgramMCU" and "slSET" act through their menus only.
}

void Workbench::Toolbar1_ButtonMenuClick(const QString& key) {
    const bool model = key.startsWith(QLatin1String("AT"));
    const bool exchange = key == QLatin1String("FIRMWARE");
    const bool guarded = model || key == QLatin1String("UPDATE") ||
                         key == QLatin1String("SaveSet") || key == QLatin1String("LoadSet");
    if (key == QLatin1String("OpenCOM") || key == QLatin1String("CloseCOM")) {
        OpenCOM_Click();
        return;
    }
    if (key == QLatin1String("HELP")) {
        OpenHelp();
        return;
    }
    if (key == QLatin1String("FileFuses")) {
        // An edit of the cells: refused while a pass may be writing them.
        runEdit([this] { applyFileFuses(); });
        return;
    }
    if (!exchange && !guarded)
        return;  // "ProgramFLASH", "ProgramEEPROM"
    auto command = [this, key, model] {
        const QString before = m_model.SelectedModel();
        if (key == QLatin1String("UPDATE")) {
            m_dialogs.showFirmwareDialog();
        } else if (key == QLatin1String("SaveSet")) {
            saveSchemeCommand(m_prompts, currentScheme());
        } else if (key == QLatin1String("LoadSet")) {
            loadSchemeCommand(m_prompts, *this);
        } else if (key == QLatin1String("FIRMWARE")) {
            QueryFirmwareVersion();
        } else if (model) {
            m_model.SelectModel(key);
        }
        if (model && m_model.SelectedModel() != before) {
            reloadFuseDefinitions();
            applyDefaultFuseBits();
        }
    };
    if (exchange)
        runExchange(command);
    else
        runGuarded(command);
}

void Workbench::CheckLink() {
    m_link.DiscardInput();
    m_link.DelayMs(10);
    m_link.SendCommand(QStringLiteral("CC#"));
    m_link.ReplyToLog(250);
}

void Workbench::QueryFirmwareVersion() {
    m_link.DiscardInput();
    m_link.SendCommand(QStringLiteral("FM#"));
    m_link.ReplyToLog(100);
}

void Workbench::AutoSelectModel() {
    const QString signature = ReadSignatureText(m_link, true);
    m_signature.setSIG_LABEL(signature);
    const QString name = ModelFromSignature(signature);
    if (name.isEmpty())
        throw OperationError(kNoTarget);
    m_signature.setCrunt_MCUTYPE(name);
    m_model.SelectModel(name);
    // Also for the model already selected: the cells go back to its defaults.
    reloadFuseDefinitions();
    applyDefaultFuseBits();
}

void Workbench::reloadFuseDefinitions() {
    m_fuses.LoadFuseDefinitions(m_model.SelectedModel() + QStringLiteral(".FUS"));
}

void Workbench::applyDefaultFuseBits() {
    m_fuses.ApplyFuseBits(m_fuses.DefaultFuseBits());
}

void Workbench::OpenHelp() {
    const QString path = helpFilePath();
    if (!QFileInfo::exists(path) || !m_dialogs.openExternal(QUrl::fromLocalFile(path)))
        showError(QStringLiteral("帮助文件打不开：") + path);
}

void Workbench::OpenWebPage() {
    m_dialogs.openExternal(ShellTexts::WebPage());
}

void Workbench::ReadSIG_Click() {
    runExchange([this] { m_signature.ReadSIG_Click(); });
}

void Workbench::ReadFlash_Click() {
    runExchange([this] { m_reader->ReadFlash_Click(); });
}

void Workbench::ReadEEPROM_Click() {
    runExchange([this] { m_reader->ReadEEPROM_Click(); });
}

void Workbench::ProCommand_Click() {
    runExchange([this] { m_pass->ProCommand_Click(); });
}

void Workbench::ReadOA_Click() {
    runExchange([this] { m_calibrationBytes->ReadOA_Click(); });
}

void Workbench::WriteOA_Command_Click() {
    runExchange([this] { m_calibrationBytes->WriteOA_Command_Click(); });
}

void Workbench::R_DataCommand_Click(int row) {
    runExchange([this, row] { m_single->R_DataCommand_Click(row); });
}

void Workbench::W_DataCommand_Click(int row) {
    runExchange([this, row] { m_single->W_DataCommand_Click(row); });
}

void Workbench::OpenFFile_Click() {
    runGuarded([this] { m_files.OpenFFile_Click(); });
}

void Workbench::OpenEFile_Click() {
    runGuarded([this] { m_files.OpenEFile_Click(); });
}

void Workbench::SaveFlash_Click() {
    runGuarded([this] { m_files.SaveFlash_Click(); });
}

void Workbench::SaveEEPROM_Click() {
    runGuarded([this] { m_files.SaveEEPROM_Click(); });
}

}  // namespace kv
