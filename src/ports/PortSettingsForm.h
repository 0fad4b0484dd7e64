// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include "link/PortMap.h"
#include "ports/PortSettingsHooks.h"

namespace kv {

class ProgrammerLink;
class SerialControl;
class SettingsStore;
class UserPrompts;
struct PortSettingsState;

// The port settings dialog ("通信端口设置") without its widgets: the values of
// its boxes and option buttons, the device behind each port number, and the
// three buttons. The dialog shows these fields, writes the user's choices back
// through the setters, and re-reads everything on changed().
class PortSettingsForm : public QObject {
    Q_OBJECT
public:
    // portMap may be null (a port without a device mapping, as in tests): no
    // device column, and the search probes every number.
    PortSettingsForm(ProgrammerLink& link, SettingsStore& settings, UserPrompts& prompts,
                     PortSettingsState& state, PortSettingsHooks hooks, PortMap* portMap,
                     QObject* parent = nullptr);
    ~PortSettingsForm() override;

    static QStringList portEntries();  // "COM1" to "COM16"
    static QStringList flowEntries();
    static QStringList echoEntries();
    static QString warningTitle();
    static QString notFoundText();
    // The "COMStatus" panel text: two ideographic spaces, "COM" + n, ":", the
    // settings in upper case.
    static QString portPanelText(const SerialControl& port);

    // Dialog opening: every box from the port's current state and the echo flag.
    void fill();

    int portIndex() const { return m_portIndex; }  // port number - 1
    void setPortIndex(int index);
    QString speed() const { return m_speed; }
    void setSpeed(const QString& text);
    int parityIndex() const { return m_parityIndex; }
    void setParityIndex(int index);
    QString dataBits() const { return m_dataBits; }
    void setDataBits(const QString& text);
    QString stopBits() const { return m_stopBits; }
    void setStopBits(const QString& text);
    int flowIndex() const { return m_flowIndex; }  // handshaking 0-3
    void setFlowIndex(int index);
    bool echo() const { return m_echo; }
    void setEcho(bool on);

    // The device behind port number n (1-16) as the dialog shows it: the
    // mapped path, or the edit not yet applied. Empty: nothing behind it.
    bool hasDeviceMap() const { return m_portMap != nullptr; }
    QString devicePath(int n) const;
    // False for a mapped path that is not present on this system.
    bool deviceExists(int n) const;
    // Changes the mapping of n; stored by "确定" and "自动检测", dropped by
    // "取消". An empty path goes back to the system's default.
    void setDevicePath(int n, const QString& path);

    // "确定": applies and stores the choices. False: the dialog stays open.
    bool apply();
    // "自动检测": searches ports 1-15 for the programmer; the dialog closes after.
    void search();

Q_SIGNALS:
    void changed();

private:
    // Stores value in field and emits changed() when that changes the field.
    template <typename T>
    void setField(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        Q_EMIT changed();
    }
    void commitDeviceEdits();
    void reloadMappings();
    void saveSettings();
    // Closes the port and reopens it as port `number` when `open`; a refusal
    // is shown and ends the attempt.
    void restorePort(int number, bool open);
    void warn(const QString& text);

    ProgrammerLink& m_link;
    SettingsStore& m_settings;
    UserPrompts& m_prompts;
    PortSettingsState& m_state;
    PortSettingsHooks m_hooks;
    PortMap* m_portMap;

    int m_portIndex = 0;
    QString m_speed;
    int m_parityIndex = -1;
    QString m_dataBits;
    QString m_stopBits;
    int m_flowIndex = 0;
    bool m_echo = false;
    QList<PortMap::Mapping> m_mappings;
    QMap<int, QString> m_deviceEdits;
};

}  // namespace kv
