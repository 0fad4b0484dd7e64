// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {
class FirmwareUpdate;
class ProgrammerLink;
class SettingsStore;
class UserPrompts;
}  // namespace kv

namespace kv::ui {

// The firmware update dialog ("升级固件"). It shows a FirmwareUpdate and
// forwards clicks to it. Closing while the loader's greeting is awaited stops
// the wait first; closing during the transfer is refused.
class FirmwareDialog : public QDialog {
    Q_OBJECT
public:
    // connectionChanged: runs after the update closed the port (the window
    // refreshes its connection indicators and device controls).
    FirmwareDialog(ProgrammerLink& link, SettingsStore& settings, UserPrompts& prompts,
                   std::function<void()> connectionChanged, QWidget* parent = nullptr);
    ~FirmwareDialog() override;

    FirmwareUpdate& update() { return *m_update; }

    void reject() override;

private:
    void showState();

    FirmwareUpdate* m_update;
    QLineEdit* m_file;
    QButtonGroup* m_pageSize;
    QCheckBox* m_encrypted;
    QPushButton* m_upgrade;
    QPushButton* m_stop;
    QPushButton* m_exit;
    QLabel* m_restartPrompt;
    QLabel* m_status;
    QLabel* m_byte;
};

}  // namespace kv::ui
