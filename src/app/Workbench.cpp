// SPDX-License-Identifier: MIT
#include "app/Workbench.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <climits>
#include <tuple>

#include "app/ShellDialogs.h"
#include "app/ShellTexts.h"
#include "catalogue/ChipModelTable.h"
#include "core/LeadingNumber.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "link/SerialControl.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "ports/PortSettingsForm.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

const QString kDefaultLine = QStringLiteral("115200,n,8,1");

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
      m_port(p.port),
      m_prompts(p.prompts),
      m_dialogs(p.dialogs),
      m_settings(p.settings),
      m_dataFolder(p.dataFolder),
      m_portMap(p.portMap),
      m_recorder(p.recorder),
      m_link(p.port, p.clock, p.pump, [this](const QString& m) { m_log.sendInfo(m); }),
      m_model(&p.settings),
      m_signature(m_link),
      m_fuseCommands(m_link, m_fuses),
      m_flash(MemoryKind::Flash),
      m_eeprom(MemoryKind::Eeprom),
      m_files(
          m_flash, m_eeprom, p.pump, [this](const QString& m) { m_log.sendInfo(m); }, p.prompts,
          p.settings) {
    auto geometry = [this] {
        return MemoryGeometry{m_model.flashSize(), m_model.eepromSize(), m_model.flashPageWords()};
    };
    m_appCaption = ShellTexts::windowTitle();
    m_reader =
        std::make_unique<ImageReader>(m_link, m_flash, m_eeprom, geometry, m_prompts, m_appCaption);
    m_writer =
        std::make_unique<ImageWriter>(m_link, m_flash, m_eeprom, geometry, m_prompts, m_appCaption);
    m_calibrationBytes =
        std::make_unique<CalibrationBytes>(m_link, m_model, m_calibration, m_prompts, m_appCaption);
    m_single =
        std::make_unique<SingleAccess>(m_link, m_model, m_singleState, m_prompts, m_appCaption);
    m_pass = std::make_unique<ProgramPass>(
        ProgramPass::Parts{m_link, m_model, m_options, m_flash, m_eeprom, m_files, *m_writer,
                           *m_reader, m_fuseCommands, *m_calibrationBytes, m_prompts},
        m_appCaption);

    m_files.setElfLimits([this] { return elfLimits(); });
    m_fuses.setLog([this](const QString& m) { m_log.sendInfo(m); });
    m_fuses.setDefinitionFolders({QDir(m_dataFolder).filePath(QStringLiteral("Set")),
                                  QStringLiteral(KV_INSTALL_DATADIR "/Set")});

    // A set-up that cannot be stored must not be lost without a word.
    m_settings.setFailureReport([this](const QString& m) { m_log.sendInfo(m); });
    m_port.onLineEvent = [this] { onLineEvent(); };
    m_port.onClosedByError = [this](const QString& reason) {
        refreshConnection();
        m_log.sendInfo(reason);
    };
    connectRecorder();
}

Workbench::~Workbench() {
    m_settings.setFailureReport(nullptr);
    m_port.onLineEvent = nullptr;
    m_port.onClosedByError = nullptr;
}

QString Workbench::portWarningTitle() {
    return PortSettingsForm::warningTitle();
}

QString Workbench::busyText() {
    return tr("正在与编程器通讯，请等本次操作结束。");
}

QString Workbench::helpFilePath() const {
    return QDir(m_dataFolder).filePath(ShellTexts::helpFileName());
}

PortSettingsHooks Workbench::portSettingsHooks() {
    PortSettingsHooks hooks;
    hooks.togglePort = [this] { togglePort(); };
    hooks.refreshIndicators = [this] { refreshConnection(); };
    hooks.setPortPanel = [this](const QString& text) { m_connection.setPortText(text); };
    return hooks;
}

void Workbench::start() {
    // Title, link label and banner (the help file path follows the data folder).
    m_appCaption = ShellTexts::windowTitle();
    m_linkCaption = ShellTexts::linkCaption();
    m_log.setBanner(ShellTexts::logBanner());
    const auto step = [this](const QString& name, const std::function<void()>& body) {
        runStep(m_log, name, body);
    };

    step(tr("端口设置"), [this] {
        const QString line = m_settings.read(QStringLiteral("属性"), QStringLiteral("设置"));
        try {
            m_port.setSettings(line.isEmpty() ? kDefaultLine : line);
        } catch (const OperationError& e) {
            m_prompts.warning(m_appCaption, e.text());
        }
    });
    QStringList portFailures;
    step(tr("端口号"), [&] {
        const QString number = m_settings.read(QStringLiteral("属性"), QStringLiteral("通信端口"));
        if (number.isEmpty())
            return;
        try {
            m_port.setPortNumber(int(std::clamp<qint64>(leadingNumber(number), -32768, 32767)));
        } catch (const OperationError& e) {
            portFailures << e.text();
        }
    });
    step(tr("握手"), [&] {
        const QString code = m_settings.read(QStringLiteral("属性"), QStringLiteral("握手"));
        if (!code.isEmpty()) {
            try {
                m_port.setHandshaking(
                    int(std::clamp<qint64>(leadingNumber(code), INT_MIN, INT_MAX)));
            } catch (const OperationError& e) {
                portFailures << e.text();
            }
        }
        for (const QString& failure : std::as_const(portFailures))
            m_prompts.warning(m_appCaption, failure);
    });
    step(tr("芯片型号"), [this] {
        m_model.selectModel(m_settings.read(QStringLiteral("芯片"), QStringLiteral("型号")));
        reloadFuseDefinitions();
    });
    step(tr("端口状态"), [this] {
        m_connection.setConnected(false);
        m_connection.setPortText(PortSettingsForm::portPanelText(m_port));
    });
    enableDeviceControls(false);
    step(tr("熔丝位"), [this] {
        const QString stored = m_settings.read(QStringLiteral("熔丝"), QStringLiteral("设置"));
        if (stored.size() > 31)
            applyFuseBits(stored);
        else
            applyDefaultFuseBits();
    });
    step(tr("编程选项"), [this] { m_options.restore(m_settings); });
    step(tr("文件重载"), [this] { loadStoredImageFiles(); });
    m_flash.setProgress(100);
    m_eeprom.setProgress(100);
    togglePort();
    step(tr("清空接收"), [this] { m_link.discardInput(); });

    // Calibration choices and addresses; the addresses replace the ones the
    // model selection put there, limited by the boxes' edit rule.
    step(tr("校准设置"), [this] { m_calibration.restore(m_settings, m_model); });
    step(tr("校准地址"), [this] { syncCalibrationSpinners(); });
}

void Workbench::loadStoredImageFiles() {
    if (!m_options.isOn(ProgramOptions::ReloadFiles))
        return;
    // The HEX reader yields to the window: the load counts as a command.
    ++m_commandDepth;
    const auto done = qScopeGuard([this] {
        --m_commandDepth;
        afterCommand();
    });
    setImagePaths(m_settings.read(QStringLiteral("FLASH"), QStringLiteral("文件")),
                  m_settings.read(QStringLiteral("EEPROM"), QStringLiteral("文件")));
    if (!m_flash.pathText().isEmpty())
        reloadFlashFile(m_flash.pathText());
    if (!m_eeprom.pathText().isEmpty())
        reloadEepromFile(m_eeprom.pathText());
}

bool Workbench::requestClose() {
    if (!isBusy())
        return true;
    if (!m_closePending)
        m_log.sendInfo(tr("本次操作结束后关闭窗口。"));
    m_closePending = true;
    return false;
}

void Workbench::storeSetUp() {
    // All keys go to one file: after the first refusal (reported once) the
    // rest would fail alike, so storing ends there.
    if (!m_settings.write(QStringLiteral("熔丝"), QStringLiteral("设置"), m_fuses.fuseBitString()))
        return;
    if (!m_options.store(m_settings))
        return;
    std::ignore = m_calibration.store(m_settings, m_model);
}

void Workbench::requestPortToggle() {
    if (refuseWhileBusy())
        return;
    togglePort();
}

void Workbench::togglePort() {
    try {
        m_port.setOpen(!m_port.isOpen());
    } catch (const OperationError& e) {
        m_prompts.warning(portWarningTitle(), e.text());
    }
    refreshConnection();
}

void Workbench::refreshConnection() {
    const bool open = m_port.isOpen();
    m_connection.setConnected(open);
    m_connection.setPortText(PortSettingsForm::portPanelText(m_port));
    enableDeviceControls(open);
}

void Workbench::enableDeviceControls(bool enabled) {
    m_devices.setEnabled(enabled);
}

void Workbench::onLineEvent() {
    // Reading now would take reply bytes away from the running exchange.
    if (isBusy()) {
        m_lineEventPending = true;
        return;
    }
    m_lineEventPending = false;
    QString waiting;
    try {
        waiting = m_link.readInput();
    } catch (const OperationError&) {
    }
    m_log.sendInfo(waiting);
}

}  // namespace kv
