// SPDX-License-Identifier: MIT
#include "ports/PortSettingsForm.h"

#include <QCoreApplication>

#include <tuple>

#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "link/ProgrammerLink.h"
#include "link/SerialControl.h"
#include "ports/PortSearch.h"
#include "ports/PortSettingsFields.h"
#include "ports/PortSettingsState.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

// Closing a port fails only on a device that is already gone; the steps after
// it run either way.
void closeQuietly(SerialControl& port) {
    try {
        port.setOpen(false);
    } catch (const OperationError&) {
    }
}
}  // namespace

PortSettingsForm::PortSettingsForm(ProgrammerLink& link, SettingsStore& settings,
                                   UserPrompts& prompts, PortSettingsState& state,
                                   PortSettingsHooks hooks, PortMap* portMap, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_settings(settings),
      m_prompts(prompts),
      m_state(state),
      m_hooks(std::move(hooks)),
      m_portMap(portMap) {}

PortSettingsForm::~PortSettingsForm() = default;

QStringList PortSettingsForm::portEntries() {
    QStringList entries;
    for (int n = 1; n <= PortMap::kPortCount; ++n)
        entries.append(QStringLiteral("COM%1").arg(n));
    return entries;
}

// Built on each call, so that they read in the language in force.
QStringList PortSettingsForm::flowEntries() {
    return {QCoreApplication::translate("PortSettingsForm", "没有"), QStringLiteral("Xon/Xoff"),
            QStringLiteral("RTS"), QStringLiteral("Xon/RTS")};
}

QStringList PortSettingsForm::echoEntries() {
    return {QCoreApplication::translate("PortSettingsForm", "关闭"),
            QCoreApplication::translate("PortSettingsForm", "打开")};
}

QString PortSettingsForm::warningTitle() {
    return QCoreApplication::translate("PortSettingsForm", "警告提示") + QString(5, QChar(0x3000));
}

QString PortSettingsForm::notFoundText() {
    return QCoreApplication::translate("PortSettingsForm", "没有找到连接编程器的端口!    ");
}

QString PortSettingsForm::portPanelText(const SerialControl& port) {
    return QString(2, QChar(0x3000)) + QStringLiteral("COM") + QString::number(port.portNumber()) +
           u':' + port.settings().toUpper();
}

void PortSettingsForm::fill() {
    const SerialControl& port = m_link.port();
    const PortSettingsFields fields = PortSettingsFields::parse(port.settings());
    m_portIndex = port.portNumber() - 1;
    m_speed = fields.speed;
    m_parityIndex = fields.parityIndex;
    m_dataBits = fields.dataBits;
    m_stopBits = fields.stopBits;
    m_flowIndex = port.handshaking();
    m_echo = m_state.echo;
    m_deviceEdits.clear();
    reloadMappings();
    Q_EMIT changed();
}

void PortSettingsForm::setPortIndex(int index) {
    setField(m_portIndex, index);
}

void PortSettingsForm::setSpeed(const QString& text) {
    setField(m_speed, text);
}

void PortSettingsForm::setParityIndex(int index) {
    setField(m_parityIndex, index);
}

void PortSettingsForm::setDataBits(const QString& text) {
    setField(m_dataBits, text);
}

void PortSettingsForm::setStopBits(const QString& text) {
    setField(m_stopBits, text);
}

void PortSettingsForm::setFlowIndex(int index) {
    setField(m_flowIndex, index);
}

void PortSettingsForm::setEcho(bool on) {
    setField(m_echo, on);
}

QString PortSettingsForm::devicePath(int n) const {
    if (m_deviceEdits.contains(n))
        return m_deviceEdits.value(n);
    if (n < 1 || n > m_mappings.size())
        return QString();
    return m_mappings[n - 1].devicePath;
}

bool PortSettingsForm::deviceExists(int n) const {
    if (m_deviceEdits.contains(n) || n < 1 || n > m_mappings.size())
        return true;  // not known before it is applied
    return m_mappings[n - 1].exists;
}

void PortSettingsForm::setDevicePath(int n, const QString& path) {
    if (!m_portMap || n < 1 || n > PortMap::kPortCount)
        return;
    const QString trimmed = path.trimmed();
    const bool unchanged = n <= m_mappings.size() && m_mappings[n - 1].devicePath == trimmed;
    if (unchanged)
        m_deviceEdits.remove(n);
    else
        m_deviceEdits.insert(n, trimmed);
    Q_EMIT changed();
}

void PortSettingsForm::commitDeviceEdits() {
    if (!m_portMap || m_deviceEdits.isEmpty())
        return;
    // The first refusal is reported; the others would fail alike.
    for (auto it = m_deviceEdits.cbegin(); it != m_deviceEdits.cend(); ++it) {
        if (!m_portMap->setDevicePath(it.key(), it.value()))
            break;
    }
    m_deviceEdits.clear();
    reloadMappings();
    Q_EMIT changed();
}

void PortSettingsForm::reloadMappings() {
    m_mappings = m_portMap ? m_portMap->mappings() : QList<PortMap::Mapping>();
}

void PortSettingsForm::restorePort(int number, bool open) {
    SerialControl& port = m_link.port();
    try {
        port.setOpen(false);
        port.setPortNumber(number);
        if (open)
            port.setOpen(true);
    } catch (const OperationError& e) {
        warn(e.text());
    }
}

void PortSettingsForm::warn(const QString& text) {
    m_prompts.warning(warningTitle(), text);
}

void PortSettingsForm::saveSettings() {
    // The line is in force for this run either way; a refusal is reported once
    // and ends the storing, as the remaining keys would fail alike.
    const SerialControl& port = m_link.port();
    if (!m_settings.write(SettingsKeys::kPort, SettingsKeys::kLineSettings, port.settings()))
        return;
    if (!m_settings.write(SettingsKeys::kPort, SettingsKeys::kPortNumber,
                          QString::number(port.portNumber())))
        return;
    if (!m_settings.write(SettingsKeys::kPort, SettingsKeys::kHandshaking,
                          QString::number(port.handshaking())))
        return;
    std::ignore = m_settings.write(SettingsKeys::kPort, QStringLiteral("回应"),
                                   m_state.echo ? QStringLiteral("True") : QStringLiteral("False"));
}

bool PortSettingsForm::apply() {
    const SettingsStore::Batch batch(m_settings);
    m_state.echo = m_echo;
    commitDeviceEdits();
    SerialControl& port = m_link.port();
    const int previousPort = port.portNumber();
    const bool wasOpen = port.isOpen();

    QString openError;
    try {
        port.setOpen(false);
        port.setPortNumber(m_portIndex + 1);
        port.setOpen(true);
    } catch (const OperationError& e) {
        openError = e.text();
    }
    if (!openError.isEmpty()) {
        warn(openError);
        restorePort(previousPort, wasOpen);
        m_portIndex = port.portNumber() - 1;
        Q_EMIT changed();
        if (port.isOpen() != wasOpen && m_hooks.refreshIndicators)
            m_hooks.refreshIndicators();
        return false;
    }
    if (!wasOpen)
        closeQuietly(port);

    PortSettingsFields fields;
    fields.speed = m_speed;
    fields.parityIndex = m_parityIndex;
    fields.dataBits = m_dataBits;
    fields.stopBits = m_stopBits;
    QString assignError;
    try {
        port.setSettings(fields.toText());
    } catch (const OperationError& e) {
        assignError = e.text();
    }
    try {
        port.setHandshaking(m_flowIndex);
    } catch (const OperationError& e) {
        if (assignError.isEmpty())
            assignError = e.text();
    }
    if (!assignError.isEmpty()) {
        warn(assignError);
        return false;
    }
    saveSettings();
    if (m_hooks.setPortPanel)
        m_hooks.setPortPanel(portPanelText(port));
    return true;
}

void PortSettingsForm::search() {
    const SettingsStore::Batch batch(m_settings);
    m_state.echo = m_echo;
    commitDeviceEdits();
    SerialControl& port = m_link.port();
    const int previousPort = port.portNumber();
    const bool wasOpen = port.isOpen();

    std::function<QString(int)> device;
    if (m_portMap) {
        reloadMappings();
        device = [this](int n) {
            const PortMap::Mapping& m = m_mappings[n - 1];
            return m.exists ? m.devicePath : QString();
        };
    }
    const std::optional<int> found = PortSearch(m_link, device).run();

    if (found) {
        closeQuietly(port);
        m_link.logReply(PortSearch::expectedReply());
        if (m_hooks.togglePort)
            m_hooks.togglePort();
        saveSettings();
        return;
    }
    warn(notFoundText());
    // A fruitless search leaves the port number and the open state as it found them.
    restorePort(previousPort, wasOpen);
    if (m_hooks.refreshIndicators)
        m_hooks.refreshIndicators();
}

}  // namespace kv
