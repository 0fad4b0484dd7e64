// SPDX-License-Identifier: MIT
#include <QFileInfo>
#include <QUrl>
#include <optional>

#include "app/PassRecorder.h"
#include "app/SerialFile.h"
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

QString noTargetText() {
    return Workbench::tr("无目标芯片或不支持!");
}

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
    m_log.sendInfo(busyText());
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

void Workbench::runRecorded(const QString& step, const std::function<void()>& command) {
    if (refuseWhileBusy())
        return;
    const bool recording = m_recorder != nullptr;
    if (recording) {
        // Before the first byte: a line that must record may not program unrecorded chips.
        if (const auto refusal = m_recorder->admit()) {
            showError(*refusal);
            return;
        }
    }
    const bool keep = recording && m_recorder->unrecordedNote().isEmpty();
    // Serial numbers come from the shared sequence in the record: taken
    // without it, two stations could hand out the same number.
    if (recording && !keep && step.isEmpty() && m_serialScheme) {
        const QString refusal = tr("方案要求写入序列号，序列号只能从生产记录中取得；"
                                   "生产记录不可用，没有编程。\n%1")
                                    .arg(m_recorder->unrecordedReason());
        m_log.sendInfo(refusal);
        showError(refusal);
        return;
    }
    if (recording && !keep)
        m_log.sendInfo(m_recorder->unrecordedNote());
    m_takenSerial.reset();
    if (keep && step.isEmpty()) {
        if (const auto refusal = takeSerialNumber()) {
            showError(*refusal);
            return;
        }
    }
    ++m_commandDepth;
    m_lastRecordId = 0;
    std::optional<QString> failure;
    {
        ProgrammerLink::Exchange exchange(m_link);
        if (keep) {
            beginRecord();
            if (!step.isEmpty())
                m_recorder->startStep(step);
        }
        failure = failureOf(command);
        if (keep && m_takenSerial)
            writeSerialNumber(failure);
        if (keep)
            completeRecord(failure);
    }
    if (keep)
        finishRecord(failure);
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
    return runEdit([this, cell] { m_fuses.onBitCellClicked(cell); });
}

bool Workbench::doubleClickFuseFrame() {
    return runEdit([this] { m_fuses.restoreDefaultBits(); });
}

bool Workbench::checkFuseOption(int position, bool checked) {
    return runEdit([this, position, checked] { m_fuses.onOptionChecked(position, checked); });
}

bool Workbench::setProgramOption(int index, int value) {
    return runEdit([this, index, value] { m_options.setOptionValue(index, value); });
}

// What waited for the exchange to end: a line event, a close.
void Workbench::afterCommand() {
    if (isBusy())
        return;
    if (m_lineEventPending)
        onLineEvent();
    if (m_closePending) {
        m_closePending = false;
        Q_EMIT closeRequested();
    }
}

void Workbench::onToolbarButton(const QString& key) {
    if (key == QLatin1String("SelectMCU")) {
        runExchange([this] { autoSelectModel(); });
    } else if (key == QLatin1String("SetFuseDefault")) {
        // A running pass may be about to write the cells; without usable
        // definitions there are no defaults to put there.
        runEdit([this] { m_fuseCommands.applyFuseDefaults(); });
    } else if (key == QLatin1String("ReadFuse")) {
        runExchange([this] { m_fuseCommands.readFuses(m_model.selectedModelName()); });
    } else if (key == QLatin1String("WriteFuse")) {
        runRecorded(QStringLiteral("fuses"),
                    [this] { m_fuseCommands.writeFuses(m_model.selectedModelName()); });
    } else if (key == QLatin1String("WriteLock")) {
        runRecorded(QStringLiteral("lock"), [this] { m_fuseCommands.writeLockBits(); });
    } else if (key == QLatin1String("RecoverFuse")) {
        runRecorded(QStringLiteral("recover fuses"),
                    [this] { m_fuseCommands.recoverDefaultFuses(m_model.selectedModelName()); });
    } else if (key == QLatin1String("EraserFlash")) {
        runRecorded(QStringLiteral("erase"), [this] { m_fuseCommands.eraseChip(); });
    } else if (key == QLatin1String("CheckCOM")) {
        runExchange([this] { checkLink(); });
    } else if (key == QLatin1String("SetCOM")) {
        runGuarded([this] { m_dialogs.showPortSettings(); });
    } else if (key == QLatin1String("About")) {
        runGuarded([this] { m_dialogs.showAbout(); });
    } else if (key == QLatin1String("Production")) {
        // Reading the record disturbs no command, so it opens at any time.
        m_dialogs.showRecordViewer();
    }
    // "ProgramMCU" and "slSET" act through their menus only.
}

void Workbench::onToolbarMenuItem(const QString& key) {
    const bool model = key.startsWith(QLatin1String("AT"));
    const bool exchange = key == QLatin1String("FIRMWARE");
    const bool guarded = model || key == QLatin1String("UPDATE") ||
                         key == QLatin1String("SaveSet") || key == QLatin1String("LoadSet");
    if (key == QLatin1String("OpenCOM") || key == QLatin1String("CloseCOM")) {
        requestPortToggle();
        return;
    }
    if (key == QLatin1String("HELP")) {
        openHelp();
        return;
    }
    if (key == QLatin1String("RecordViewer")) {
        m_dialogs.showRecordViewer();
        return;
    }
    if (key == QLatin1String("RecordSettings")) {
        // New settings must not change the record under a running command.
        runGuarded([this] { m_dialogs.showRecordSettings(); });
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
        const QString before = m_model.selectedModelName();
        if (key == QLatin1String("UPDATE")) {
            m_dialogs.showFirmwareDialog();
        } else if (key == QLatin1String("SaveSet")) {
            saveSchemeCommand(m_prompts, currentScheme());
        } else if (key == QLatin1String("LoadSet")) {
            QString loaded;
            // The serial numbers travel beside the scheme, in a file of their own.
            if (loadSchemeCommand(m_prompts, *this, &loaded))
                m_serialScheme = SerialFile::loadBeside(loaded);
        } else if (key == QLatin1String("FIRMWARE")) {
            queryFirmwareVersion();
        } else if (model) {
            m_model.selectModel(key);
        }
        if (model && m_model.selectedModelName() != before) {
            reloadFuseDefinitions();
            applyDefaultFuseBits();
        }
    };
    if (exchange)
        runExchange(command);
    else
        runGuarded(command);
}

void Workbench::checkLink() {
    m_link.discardInput();
    m_link.delayMs(10);
    m_link.sendCommand(QStringLiteral("CC#"));
    m_link.logReplyAfter(250);
}

void Workbench::queryFirmwareVersion() {
    m_link.discardInput();
    m_link.sendCommand(QStringLiteral("FM#"));
    m_link.logReplyAfter(100);
}

void Workbench::autoSelectModel() {
    const QString signature = readSignatureText(m_link, true);
    m_signature.setSignatureText(signature);
    const QString name = modelFromSignature(signature);
    if (name.isEmpty())
        throw OperationError(noTargetText());
    m_signature.setIdentifiedModel(name);
    m_model.selectModel(name);
    // Also for the model already selected: the cells go back to its defaults.
    reloadFuseDefinitions();
    applyDefaultFuseBits();
}

void Workbench::reloadFuseDefinitions() {
    m_fuses.loadFuseDefinitions(m_model.selectedModelName() + QStringLiteral(".FUS"));
}

void Workbench::applyDefaultFuseBits() {
    m_fuses.applyFuseBits(m_fuses.defaultFuseBits());
}

void Workbench::openHelp() {
    const QString path = helpFilePath();
    if (!QFileInfo::exists(path) || !m_dialogs.openExternal(QUrl::fromLocalFile(path)))
        showError(tr("帮助文件打不开：%1").arg(path));
}

void Workbench::openWebPage() {
    m_dialogs.openExternal(ShellTexts::webPage());
}

void Workbench::readSignature() {
    runExchange([this] { m_signature.readSignature(); });
}

void Workbench::readFlash() {
    runExchange([this] { m_reader->readFlash(); });
}

void Workbench::readEeprom() {
    runExchange([this] { m_reader->readEeprom(); });
}

void Workbench::runProgrammingPass() {
    runRecorded(QString(), [this] { m_pass->runPass(); });
}

void Workbench::readCalibrationBytes() {
    runExchange([this] { m_calibrationBytes->readCalibrationBytes(); });
}

void Workbench::writeCalibrationByte() {
    runRecorded(QStringLiteral("calibration"),
                [this] { m_calibrationBytes->writeCalibrationByte(); });
}

void Workbench::singleRead(int row) {
    runExchange([this, row] { m_single->singleRead(row); });
}

void Workbench::singleWrite(int row) {
    runRecorded(row == 0 ? QStringLiteral("write flash word") : QStringLiteral("write eeprom byte"),
                [this, row] { m_single->singleWrite(row); });
}

void Workbench::openFlashFile() {
    runGuarded([this] { m_files.openFlashFile(); });
}

void Workbench::openEepromFile() {
    runGuarded([this] { m_files.openEepromFile(); });
}

void Workbench::saveFlashFile() {
    runGuarded([this] { m_files.saveFlashFile(); });
}

void Workbench::saveEepromFile() {
    runGuarded([this] { m_files.saveEepromFile(); });
}

}  // namespace kv
