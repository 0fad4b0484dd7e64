// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "ports/PortSettingsHooks.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {
class PortMap;
class PortSettingsForm;
class ProgrammerLink;
class SettingsStore;
class UserPrompts;
struct PortSettingsState;
}  // namespace kv

namespace kv::ui {

// The port settings dialog (frmProperties, "通信端口设置"). It shows a
// PortSettingsForm and forwards the user's choices and clicks to it. Beside the
// port box the device behind the chosen number is shown and can be changed.
class PortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // portMap may be null: no device column or device box.
    PortSettingsDialog(ProgrammerLink& link, SettingsStore& settings, UserPrompts& prompts,
                       PortSettingsState& state, PortSettingsHooks hooks, PortMap* portMap,
                       QWidget* parent = nullptr);
    ~PortSettingsDialog() override;

    PortSettingsForm& form() { return *m_form; }

    // Closing is refused while the search runs.
    void reject() override;

private:
    void showForm();
    void commitDeviceBox();
    void onOk();
    void onSearch();

    PortSettingsForm* m_form;
    QComboBox* m_port;
    QLineEdit* m_device;
    QLabel* m_deviceState;
    QComboBox* m_speed;
    QComboBox* m_dataBits;
    QComboBox* m_parity;
    QComboBox* m_stopBits;
    QButtonGroup* m_flow;
    QButtonGroup* m_echo;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_find;
    bool m_searching = false;
};

}  // namespace kv::ui
