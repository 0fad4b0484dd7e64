// SPDX-License-Identifier: MIT
// The window's commands, run by their id in the command table.
#include <QFileInfo>
#include <QUrl>

#include "app/SerialFile.h"
#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "catalogue/ChipModelTable.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "fuses/FileFuseBits.h"
#include "operations/ImageReader.h"
#include "schemes/SchemeCommands.h"

namespace kv {

namespace {

QString noTargetText() {
    return Workbench::tr("无目标芯片或不支持!");
}

}  // namespace

void Workbench::runCommand(CommandId id) {
    const CommandInfo& info = CommandTable::info(id);
    switch (info.kind) {
        case CommandKind::Exchange:
            runExchangeCommand(id);
            return;
        case CommandKind::Recorded:
            runRecordedCommand(id);
            return;
        case CommandKind::Guarded:
            runGuardedCommand(id);
            return;
        case CommandKind::Edit:
            if (id == CommandId::FuseDefaults) {
                // A running pass may be about to write the cells; without usable
                // definitions there are no defaults to put there.
                m_runner.runEdit([this] { m_session.fuseCommands().applyFuseDefaults(); });
            } else if (id == CommandId::FileFuses) {
                // An edit of the cells: refused while a pass may be writing them.
                m_runner.runEdit([this] { applyFileFuses(); });
            }
            return;
        // The gang window is the window's own; the logic has no part in opening it.
        case CommandKind::Anytime:
            if (id == CommandId::Production || id == CommandId::RecordViewer)
                m_session.dialogs().showRecordViewer();
            else if (id == CommandId::Help)
                openHelp();
            return;
        case CommandKind::MenuOnly:
        case CommandKind::Process:
            return;
    }
}

void Workbench::runExchangeCommand(CommandId id) {
    if (id == CommandId::OpenPort || id == CommandId::ClosePort) {
        requestPortToggle();
        return;
    }
    m_runner.runExchange([this, id] {
        Session& s = m_session;
        switch (id) {
            case CommandId::SelectModel:
                autoSelectModel();
                break;
            case CommandId::ReadFuses:
                s.fuseCommands().readFuses(s.model().selectedModelName());
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
                s.reader().readFlash();
                break;
            case CommandId::ReadEeprom:
                s.reader().readEeprom();
                break;
            case CommandId::ReadCalibration:
                s.calibrationBytes().readCalibrationBytes();
                break;
            case CommandId::ReadFlashWord:
                s.singleAccessCommands().singleRead(0);
                break;
            case CommandId::ReadEepromByte:
                s.singleAccessCommands().singleRead(1);
                break;
            default:
                break;
        }
    });
}

void Workbench::runRecordedCommand(CommandId id) {
    const CommandInfo& info = CommandTable::info(id);
    const std::optional<QString> step =
        id == CommandId::RunPass ? std::nullopt : std::optional<QString>(info.recordStep);
    m_runner.runRecorded(step, [this, id] {
        Session& s = m_session;
        const QString model = s.model().selectedModelName();
        switch (id) {
            case CommandId::WriteFuses:
                s.fuseCommands().writeFuses(model);
                break;
            case CommandId::WriteLock:
                s.fuseCommands().writeLockBits();
                break;
            case CommandId::RecoverFuses:
                s.fuseCommands().recoverDefaultFuses(model);
                break;
            case CommandId::EraseChip:
                s.fuseCommands().eraseChip();
                break;
            case CommandId::RunPass:
                s.programPass().runPass();
                break;
            case CommandId::WriteCalibration:
                s.calibrationBytes().writeCalibrationByte();
                break;
            case CommandId::WriteFlashWord:
                s.singleAccessCommands().singleWrite(0);
                break;
            case CommandId::WriteEepromByte:
                s.singleAccessCommands().singleWrite(1);
                break;
            default:
                break;
        }
    });
}

void Workbench::runGuardedCommand(CommandId id) {
    m_runner.runGuarded([this, id] {
        Session& s = m_session;
        switch (id) {
            case CommandId::PortSettings:
                s.dialogs().showPortSettings();
                break;
            case CommandId::About:
                s.dialogs().showAbout();
                break;
            case CommandId::RecordSettings:
                s.dialogs().showRecordSettings();
                break;
            case CommandId::FirmwareUpdate:
                s.dialogs().showFirmwareDialog();
                break;
            case CommandId::SaveScheme:
                saveSchemeCommand(s.prompts(), m_schemes.currentScheme());
                break;
            case CommandId::LoadScheme:
                loadScheme();
                break;
            case CommandId::OpenFlashFile:
                s.files().openFlashFile();
                break;
            case CommandId::OpenEepromFile:
                s.files().openEepromFile();
                break;
            case CommandId::SaveFlashFile:
                s.files().saveFlashFile();
                break;
            case CommandId::SaveEepromFile:
                s.files().saveEepromFile();
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
            m_session.applyDefaultFuseBits();
        }
    });
}

void Workbench::loadScheme() {
    QString loaded;
    // The serial numbers travel beside the scheme, in a file of their own.
    if (loadSchemeCommand(m_session.prompts(), m_schemes, &loaded))
        m_record.setSerialScheme(SerialFile::loadBeside(loaded));
}

bool Workbench::toggleFuseBit(int cell) {
    return m_runner.runEdit([this, cell] { m_session.fuses().onBitCellClicked(cell); });
}

bool Workbench::restoreDefaultFuseBits() {
    return m_runner.runEdit([this] { m_session.fuses().restoreDefaultBits(); });
}

bool Workbench::setFuseOptionChecked(int position, bool checked) {
    return m_runner.runEdit(
        [this, position, checked] { m_session.fuses().onOptionChecked(position, checked); });
}

bool Workbench::setProgramOption(int index, int value) {
    return m_runner.runEdit(
        [this, index, value] { m_session.options().setOptionValue(index, value); });
}

void Workbench::checkLink() {
    ProgrammerLink& link = m_session.link();
    link.discardInput();
    link.delayMs(10);
    link.sendCommand(QStringLiteral("CC#"));
    link.logReplyAfter(250);
}

void Workbench::queryFirmwareVersion() {
    ProgrammerLink& link = m_session.link();
    link.discardInput();
    link.sendCommand(QStringLiteral("FM#"));
    link.logReplyAfter(100);
}

void Workbench::autoSelectModel() {
    const QString signature = readSignatureText(m_session.link(), true);
    m_session.signature().setSignatureText(signature);
    const QString name = modelFromSignature(signature);
    if (name.isEmpty())
        throw OperationError(noTargetText());
    m_session.signature().setIdentifiedModel(name);
    m_session.model().selectModel(name);
    // Also for the model already selected: the cells go back to its defaults.
    m_session.reloadFuseDefinitions();
    m_session.applyDefaultFuseBits();
}

void Workbench::openHelp() {
    const QString path = helpFilePath();
    if (!QFileInfo::exists(path) || !m_session.dialogs().openExternal(QUrl::fromLocalFile(path)))
        m_runner.showError(tr("帮助文件打不开：%1").arg(path));
}

void Workbench::openWebPage() {
    m_session.dialogs().openExternal(ShellTexts::webPage());
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
