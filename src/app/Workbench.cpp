// SPDX-License-Identifier: MIT
#include "app/Workbench.h"

#include "operations/ProgramPass.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <tuple>

#include "app/SerialFile.h"
#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "catalogue/ChipModelTable.h"
#include "core/LeadingNumber.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "fuses/FileFuseBits.h"
#include "link/SerialControl.h"
#include "operations/ImageReader.h"
#include "ports/PortSettingsForm.h"
#include "schemes/SchemeCommands.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

// One start-up step: a failure skips the rest of the step and nothing else,
// and the log names the step and why it stopped.
void runStep(MessageLog& log, const QString& name, const std::function<void()>& body) {
    QString reason;
    try {
        body();
        return;
    } catch (const OperationError& e) {
        reason = e.text();
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    }
    log.sendInfo(Workbench::tr("启动步骤“%1”未完成：%2").arg(name, reason));
}

}  // namespace

Workbench::Workbench(const WorkbenchPlatform& p, QObject* parent)
    : QObject(parent),
      m_session(p),
      m_record(m_session, p.recorder, p.portMap),
      m_runner(m_session, m_record),
      m_schemes(m_session, m_runner),
      m_recent(p.settings) {
    connect(&m_runner, &CommandRunner::closeRequested, this, &Workbench::closeRequested);
    // A pass's findings are shown as they happen, before it goes on.
    connect(&m_session.programPass(), &ProgramPass::stepFinished, this,
            [this](const StepOutcome& outcome) { m_runner.present(outcome); });
    connect(&m_session.programPass(), &ProgramPass::reloadFailed, this,
            [this](MemoryKind, const LoadOutcome& outcome) { m_runner.present(outcome); });
    p.port.onLineEvent = [this] { m_runner.onLineEvent(); };
    p.port.onClosedByError = [this](const QString& reason) {
        refreshConnection();
        m_session.log().sendInfo(reason);
    };
}

Workbench::~Workbench() {
    m_session.platform().port.onLineEvent = nullptr;
    m_session.platform().port.onClosedByError = nullptr;
}

QString Workbench::portWarningTitle() {
    return PortSettingsForm::warningTitle();
}

QString Workbench::helpFilePath() const {
    const QDir folder(m_session.platform().dataFolder);
    // The page in the window's language; a copy that lacks it still has the Chinese one.
    const QString own = folder.filePath(ShellTexts::helpFileName(currentLanguage()));
    return QFileInfo::exists(own) ? own : folder.filePath(ShellTexts::helpFileName());
}

PortSettingsHooks Workbench::portSettingsHooks() {
    PortSettingsHooks hooks;
    hooks.togglePort = [this] { togglePort(); };
    hooks.refreshIndicators = [this] { refreshConnection(); };
    hooks.setPortPanel = [this](const QString& text) { m_session.connection().setPortText(text); };
    return hooks;
}

std::optional<OperationError> Workbench::start() {
    SerialControl& port = m_session.platform().port;
    SettingsStore& settings = m_session.platform().settings;
    MessageLog& log = m_session.log();
    UserPrompts& prompts = m_session.platform().prompts;
    const QString& title = m_session.appCaption();
    // Title, link label and banner (the help file path follows the data folder).
    m_linkCaption = ShellTexts::linkCaption();
    log.setBanner(ShellTexts::logBanner());
    const auto step = [&log](const QString& name, const std::function<void()>& body) {
        runStep(log, name, body);
    };

    // The first thing wrong with the stored port, the likely cause when it does not open.
    std::optional<OperationError> portProblem;
    step(tr("端口设置"), [&] {
        const QString line = settings.read(SettingsKeys::kPort, SettingsKeys::kLineSettings);
        try {
            port.setSettings(line.isEmpty() ? SettingsKeys::defaultLineSettings() : line);
        } catch (const OperationError& e) {
            prompts.warning(title, e.text());
            portProblem = e;
        }
    });
    QList<OperationError> portFailures;
    step(tr("端口号"), [&] {
        const QString number = settings.read(SettingsKeys::kPort, SettingsKeys::kPortNumber);
        if (number.isEmpty())
            return;
        try {
            port.setPortNumber(int(std::clamp<qint64>(leadingNumber(number), -32768, 32767)));
        } catch (const OperationError& e) {
            portFailures << e;
        }
    });
    step(tr("握手"), [&] {
        const QString code = settings.read(SettingsKeys::kPort, SettingsKeys::kHandshaking);
        if (!code.isEmpty()) {
            try {
                port.setHandshaking(int(std::clamp<qint64>(leadingNumber(code), INT_MIN, INT_MAX)));
            } catch (const OperationError& e) {
                portFailures << e;
            }
        }
        for (const OperationError& failure : std::as_const(portFailures))
            prompts.warning(title, failure.text());
        if (!portProblem && !portFailures.isEmpty())
            portProblem = portFailures.first();
    });
    step(tr("芯片型号"), [&] {
        // The rows the model table refused, each with its file and line.
        for (const QString& refused : ChipModelTable::loadProblems())
            log.sendInfo(refused);
        m_session.model().selectModel(settings.read(SettingsKeys::kChip, SettingsKeys::kModel));
        m_session.reloadFuseDefinitions();
    });
    step(tr("端口状态"), [&] {
        m_session.connection().setConnected(false);
        m_session.connection().setPortText(PortSettingsForm::portPanelText(port));
    });
    m_session.deviceControls().setEnabled(false);
    step(tr("熔丝位"), [&] {
        const QString stored = settings.read(SettingsKeys::kFuses, SettingsKeys::kFuseBits);
        if (stored.size() > 31)
            m_schemes.applyFuseBits(stored);
        else
            m_session.fuses().applyFuseBits(m_session.fuses().defaultFuseBits());
    });
    step(tr("编程选项"), [&] { m_session.options().restore(settings); });
    step(tr("文件重载"), [this] { loadStoredImageFiles(); });
    m_session.flash().setProgress(100);
    m_session.eeprom().setProgress(100);
    std::optional<OperationError> notOpened = togglePort();
    if (notOpened && portProblem)
        notOpened = portProblem;
    step(tr("清空接收"), [this] { m_session.link().discardInput(); });

    // Calibration choices and addresses; the addresses replace the ones the
    // model selection put there, limited by the boxes' edit rule.
    step(tr("校准设置"), [&] { m_session.calibration().restore(settings, m_session.model()); });
    step(tr("校准地址"), [this] { m_schemes.syncCalibrationSpinners(); });
    return notOpened;
}

void Workbench::loadStoredImageFiles() {
    if (!m_session.options().isOn(ProgramOptions::ReloadFiles))
        return;
    // The HEX reader yields to the window: the load counts as a command.
    m_runner.runQuietly([this] {
        SettingsStore& settings = m_session.platform().settings;
        m_schemes.setImagePaths(settings.read(SettingsKeys::kFlashFile, SettingsKeys::kImagePath),
                                settings.read(SettingsKeys::kEepromFile, SettingsKeys::kImagePath));
        if (!m_session.flash().pathText().isEmpty())
            m_schemes.reloadFile(MemoryKind::Flash, m_session.flash().pathText());
        if (!m_session.eeprom().pathText().isEmpty())
            m_schemes.reloadFile(MemoryKind::Eeprom, m_session.eeprom().pathText());
    });
}

void Workbench::storeSetUp() {
    SettingsStore& settings = m_session.platform().settings;
    // All keys go to one file: after the first refusal (reported once) the
    // rest would fail alike, so storing ends there.
    if (!settings.write(SettingsKeys::kFuses, SettingsKeys::kFuseBits,
                        m_session.fuses().fuseBitString()))
        return;
    if (!m_session.options().store(settings))
        return;
    std::ignore = m_session.calibration().store(settings, m_session.model());
}

void Workbench::requestPortToggle() {
    if (m_runner.refuseWhileBusy())
        return;
    togglePort();
}

std::optional<OperationError> Workbench::togglePort() {
    SerialControl& port = m_session.platform().port;
    std::optional<OperationError> failure;
    try {
        port.setOpen(!port.isOpen());
    } catch (const OperationError& e) {
        m_session.platform().prompts.warning(portWarningTitle(), e.text());
        failure = e;
    }
    refreshConnection();
    return failure;
}

void Workbench::refreshConnection() {
    SerialControl& port = m_session.platform().port;
    const bool open = port.isOpen();
    m_session.connection().setConnected(open);
    m_session.connection().setPortText(PortSettingsForm::portPanelText(port));
    m_session.deviceControls().setEnabled(open);
}

}  // namespace kv
