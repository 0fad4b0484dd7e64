// SPDX-License-Identifier: MIT
// The window's commands, run by their id in the command table.
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <QCoreApplication>

#include "app/ImageFileDialogs.h"
#include "app/PassRecorder.h"
#include "app/SerialFile.h"
#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "catalogue/ChipModelTable.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "fuses/FileFuseBits.h"
#include "images/ElfReader.h"
#include "images/ImageFiles.h"
#include "link/SerialControl.h"
#include "link/WireCommands.h"
#include "operations/CalibrationBytes.h"
#include "operations/ImageReader.h"
#include "operations/OutcomeBoxes.h"
#include "operations/SingleAccess.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

QString noTargetText() {
    return Workbench::tr("无目标芯片或不支持!");
}

}  // namespace

CommandResult Workbench::runCommand(CommandId id) {
    const CommandInfo& info = CommandTable::info(id);
    switch (info.kind) {
        case CommandKind::Exchange:
            return runExchangeCommand(id);
        case CommandKind::Recorded:
            return runRecordedCommand(id);
        case CommandKind::Guarded:
            return runGuardedCommand(id);
        case CommandKind::Edit:
            if (id == CommandId::FuseDefaults) {
                // A running pass may be about to write the cells; without usable
                // definitions there are no defaults to put there.
                return m_runner.runEdit([this] { m_session.fuseCommands().applyFuseDefaults(); });
            }
            // An edit of the cells: refused while a pass may be writing them.
            return m_runner.runEdit([this] { applyFileFuses(); });
        // The gang window is the window's own; the logic has no part in opening it.
        case CommandKind::Anytime:
            if (id == CommandId::Production || id == CommandId::RecordViewer)
                m_session.platform().dialogs.showRecordViewer();
            else if (id == CommandId::Help)
                openHelp();
            return {true, std::nullopt};
        case CommandKind::MenuOnly:
        case CommandKind::Process:
            break;
    }
    return {};
}

CommandResult Workbench::runExchangeCommand(CommandId id) {
    if (id == CommandId::OpenPort || id == CommandId::ClosePort) {
        requestPortToggle();
        return {true, std::nullopt};
    }
    return m_runner.runExchange([this, id] {
        Session& s = m_session;
        switch (id) {
            case CommandId::SelectModel:
                autoSelectModel();
                break;
            case CommandId::ReadFuses:
                std::ignore = s.fuseCommands().readFuses(s.model().selectedModelName());
                break;
            case CommandId::CheckLink:
                checkLink();
                break;
            case CommandId::FirmwareVersion:
                queryFirmwareVersion();
                break;
            case CommandId::ReadSignature:
                s.signature().readSignature();
                break;
            case CommandId::ReadFlash:
                std::ignore = s.reader().read(MemoryKind::Flash);
                break;
            case CommandId::ReadEeprom:
                std::ignore = s.reader().read(MemoryKind::Eeprom);
                break;
            case CommandId::ReadCalibration:
                std::ignore = s.calibrationBytes().readCalibrationBytes();
                break;
            case CommandId::ReadFlashWord:
                std::ignore = s.singleAccessCommands().read(MemoryKind::Flash);
                break;
            case CommandId::ReadEepromByte:
                std::ignore = s.singleAccessCommands().read(MemoryKind::Eeprom);
                break;
            default:
                break;
        }
    });
}

CommandResult Workbench::runRecordedCommand(CommandId id) {
    const CommandInfo& info = CommandTable::info(id);
    const std::optional<QString> step =
        id == CommandId::RunPass ? std::nullopt : std::optional<QString>(info.recordStep);
    return m_runner.runRecorded(step, [this, id] { return runChipCommand(id); });
}

RecordKeeper::StepFinding Workbench::runChipCommand(CommandId id) {
    Session& s = m_session;
    const QString model = s.model().selectedModelName();
    RecordKeeper::StepFinding finding;
    const QString notAcknowledged = QStringLiteral("not acknowledged");
    const QString noAnswer = QStringLiteral("no answer");
    switch (id) {
        case CommandId::WriteFuses:
            if (s.fuseCommands().writeFuses(model) == QString())
                finding.fault = noAnswer;
            break;
        case CommandId::WriteLock:
            if (s.fuseCommands().writeLockBits() == QString())
                finding.fault = noAnswer;
            break;
        case CommandId::RecoverFuses: {
            const FuseCommands::Recovery recovery = s.fuseCommands().recoverDefaultFuses(model);
            finding.fuseReading = recovery.reading;
            if (!recovery.confirmed)
                finding.fault = QStringLiteral("read-back differs");
            break;
        }
        case CommandId::EraseChip:
            if (s.fuseCommands().eraseChip().isEmpty())
                finding.fault = noAnswer;
            break;
        case CommandId::RunPass:
            // Each step's finding is shown as it happens (see the constructor).
            std::ignore = s.programPass().runPass();
            break;
        case CommandId::WriteCalibration: {
            const CalibrationWrite written = s.calibrationBytes().writeCalibrationByte();
            finding.calibration = written;
            if (const auto box = boxFor(written))
                m_runner.showError(*box);
            if (!written.acknowledged)
                finding.fault = notAcknowledged;
            else if (m_record.recorder()
                         ? m_record.recorder()->policy().readBack
                         : RecordPolicy::fromSettings(s.platform().settings).readBack)
                finding.fault = confirmCalibration(written);
            break;
        }
        case CommandId::WriteFlashWord:
        case CommandId::WriteEepromByte:
            if (!s.singleAccessCommands().write(
                    id == CommandId::WriteFlashWord ? MemoryKind::Flash : MemoryKind::Eeprom))
                finding.fault = notAcknowledged;
            break;
        default:
            break;
    }
    return finding;
}

CommandResult Workbench::runGuardedCommand(CommandId id) {
    return m_runner.runGuarded([this, id] {
        Session& s = m_session;
        switch (id) {
            case CommandId::PortSettings:
                s.platform().dialogs.showPortSettings();
                break;
            case CommandId::About:
                s.platform().dialogs.showAbout();
                break;
            case CommandId::RecordSettings:
                s.platform().dialogs.showRecordSettings();
                break;
            case CommandId::FirmwareUpdate:
                s.platform().dialogs.showFirmwareDialog();
                break;
            case CommandId::SaveScheme: {
                QString saved;
                if (saveSchemeCommand(s.platform().prompts, m_schemes.currentScheme(), &saved))
                    m_recent.add(saved);
                break;
            }
            case CommandId::LoadScheme:
                loadScheme();
                break;
            case CommandId::OpenFlashFile:
            case CommandId::OpenEepromFile:
                if (const auto chosen =
                        openImageFile(s.files(),
                                      s.slot(id == CommandId::OpenFlashFile ? MemoryKind::Flash
                                                                            : MemoryKind::Eeprom),
                                      s.platform().prompts, s.platform().settings))
                    m_recent.add(*chosen);
                break;
            case CommandId::SaveFlashFile:
            case CommandId::SaveEepromFile:
                saveImageFile(
                    s.slot(id == CommandId::SaveFlashFile ? MemoryKind::Flash : MemoryKind::Eeprom),
                    s.platform().prompts, s.platform().settings);
                break;
            default:
                break;
        }
    });
}

void Workbench::selectModelFromMenu(const QString& name) {
    if (!ChipModelTable::find(name))
        return;
    m_runner.runGuarded([this, name] {
        const QString before = m_session.model().selectedModelName();
        m_session.model().selectModel(name);
        if (m_session.model().selectedModelName() != before) {
            m_session.reloadFuseDefinitions();
            m_session.fuses().applyFuseBits(m_session.fuses().defaultFuseBits());
        }
    });
}

bool Workbench::isSchemeFile(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("SET"), Qt::CaseInsensitive) == 0;
}

CommandResult Workbench::openFile(const QString& path, std::optional<MemoryKind> memory) {
    return m_runner.runGuarded([this, path, memory] {
        Session& s = m_session;
        if (!memory && isSchemeFile(path)) {
            applyScheme(SchemeFile::load(path), m_schemes);
            loadSchemeFile(path);
            m_recent.add(path);
            return;
        }
        const std::optional<MemoryKind> target = memory ? memory : memoryForFile(path);
        if (!target)
            throw OperationError(
                tr("不知道 %1 是FLASH还是EEPROM的文件，未载入。").arg(QFileInfo(path).fileName()),
                ErrorKind::File);
        loadImageFile(s.files(), s.slot(*target), s.platform().prompts, s.platform().settings,
                      path);
        // An ELF file carries both memories; its EEPROM section goes along.
        if (*target == MemoryKind::Flash && !memory &&
            QFileInfo(path).suffix().compare(QStringLiteral("ELF"), Qt::CaseInsensitive) == 0) {
            const ElfReader::Result elf = ElfReader::readFile(path, s.elfLimits());
            if (elf.ok() && !elf.image.eeprom.isEmpty())
                loadImageFile(s.files(), s.eeprom(), s.platform().prompts, s.platform().settings,
                              path);
        }
        m_recent.add(path);
    });
}

CommandResult Workbench::saveLog() {
    return m_runner.runGuarded([this] {
        FileDialogRequest request;
        request.filter = tr("文本文件(*.TXT)|*.TXT");
        std::optional<QString> path = m_session.platform().prompts.saveFile(request);
        if (!path || path->isEmpty())
            return;
        if (QFileInfo(*path).suffix().isEmpty())
            *path += QStringLiteral(".TXT");
        QSaveFile file(*path);
        if (!file.open(QIODevice::WriteOnly) || file.write(m_session.log().text().toUtf8()) < 0 ||
            !file.commit())
            throw OperationError(tr("日志保存失败：%1\n%2").arg(*path, file.errorString()),
                                 ErrorKind::File);
    });
}

void Workbench::clearLog() {
    m_session.log().reset();
}

void Workbench::loadScheme() {
    QString loaded;
    if (!loadSchemeCommand(m_session.platform().prompts, m_schemes, &loaded))
        return;
    loadSchemeFile(loaded);
    m_recent.add(loaded);
}

// What follows a scheme's load: the record names it, and its serial numbers.
void Workbench::loadSchemeFile(const QString& loaded) {
    if (PassRecorder* recorder = m_record.recorder())
        recorder->setSchemeFile(loaded);
    // The serial numbers travel beside the scheme, in a file of their own. A
    // refused one leaves no numbering of the line before behind: the pass is
    // refused until the file is mended.
    try {
        m_record.setSerialScheme(SerialFile::loadBeside(loaded), SerialFile::besideScheme(loaded));
    } catch (const OperationError& e) {
        m_record.refuseSerial(e.text());
        throw;
    }
    if (const auto problem = m_record.serialPlacementProblem()) {
        m_record.refuseSerial(*problem);
        throw OperationError(*problem, ErrorKind::File);
    }
}

bool Workbench::toggleFuseBit(int cell) {
    return m_runner.runEdit([this, cell] { m_session.fuses().toggleBitCell(cell); }).ok();
}

bool Workbench::restoreDefaultFuseBits() {
    return m_runner.runEdit([this] { m_session.fuses().restoreDefaultBits(); }).ok();
}

bool Workbench::setFuseOptionChecked(int position, bool checked) {
    return m_runner
        .runEdit(
            [this, position, checked] { m_session.fuses().setOptionChecked(position, checked); })
        .ok();
}

bool Workbench::setProgramOption(int index, int value) {
    return m_runner
        .runEdit([this, index, value] { m_session.options().setOptionValue(index, value); })
        .ok();
}

// Only with the record's read-back on: the window sends nothing more by
// default. The write's own log lines stay as they are; a difference adds one.
std::optional<QString> Workbench::confirmCalibration(const CalibrationWrite& written) {
    const QString held = m_session.singleAccessCommands().heldCalibration(written);
    if (held.compare(written.value, Qt::CaseInsensitive) == 0)
        return std::nullopt;
    m_session.log().sendInfo(
        held.isEmpty()
            ? tr("写入后读校准字节无应答：写入%1，地址%2。").arg(written.value).arg(written.address)
            : tr("校准字节写入后读回不符：写入%1，地址%2读回%3。")
                  .arg(written.value)
                  .arg(written.address)
                  .arg(held));
    return held.isEmpty() ? QStringLiteral("no answer to the read-back")
                          : QStringLiteral("read-back differs");
}

void Workbench::checkLink() {
    m_session.programmer().checkConnection();
}

void Workbench::queryFirmwareVersion() {
    const QString reply = m_session.programmer().firmwareVersion().text.trimmed();
    // Kept for the records of this programmer's passes.
    if (PassRecorder* recorder = m_record.recorder(); recorder && !reply.isEmpty()) {
        RecordContext context = recorder->context();
        context.firmwareVersion = reply.left(64);
        context.firmwarePort = m_session.platform().port.portNumber();
        recorder->setContext(context);
    }
}

void Workbench::autoSelectModel() {
    const QString signature = readSignatureText(m_session.programmer(), true);
    m_session.signature().setSignatureText(signature);
    const QString name = modelFromSignature(signature);
    // One box text for both, as the window always had; the kind tells them apart.
    // One box text for every case, as the window always had; the kind tells them apart.
    switch (signatureShape(signature)) {
        case SignatureShape::Missing:
            throw OperationError(noTargetText(), ErrorKind::NoAnswer);
        case SignatureShape::Garbled:
            throw OperationError(noTargetText(), ErrorKind::Garbled);
        case SignatureShape::Whole:
            break;
    }
    if (name.isEmpty())
        throw OperationError(noTargetText(), ErrorKind::ChipDisagrees);
    m_session.signature().setIdentifiedModel(name);
    m_session.model().selectModel(name);
    // Also for the model already selected: the cells go back to its defaults.
    m_session.reloadFuseDefinitions();
    m_session.fuses().applyFuseBits(m_session.fuses().defaultFuseBits());
}

void Workbench::openHelp() {
    const QString path = helpFilePath();
    if (!QFileInfo::exists(path) ||
        !m_session.platform().dialogs.showHelp(QUrl::fromLocalFile(path)))
        m_runner.showError(tr("帮助文件打不开：%1").arg(path));
}

void Workbench::openWebPage() {
    m_session.platform().dialogs.openExternal(ShellTexts::webPage());
}

void Workbench::applyFileFuses() {
    Session& s = m_session;
    const std::optional<FileFuses> file = s.files().fileFuses();
    if (!file) {
        s.log().sendInfo(tr("载入的文件没有熔丝位和锁定位（只有 ELF 文件带有），熔丝位未改变。"));
        return;
    }
    s.log().sendInfo(applyFileFuseBits(s.fuseCommands(), s.fuses(), s.model().selectedModelName(),
                                       file->fileName, file->fuses, file->lock));
}

}  // namespace kv
