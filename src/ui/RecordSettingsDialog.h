// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {
class SettingsStore;
class UserPrompts;
}  // namespace kv

namespace kv::ui {

// "生产记录设置": where the record is kept (an SQLite file or a PostgreSQL
// URL), the station's name and whether programming may go on unrecorded.
// OK stores the section the window and the command line read; Cancel stores
// nothing. A setting that is no connection is refused and the dialog stays.
class RecordSettingsDialog : public QDialog {
    Q_OBJECT
public:
    RecordSettingsDialog(SettingsStore& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    QLineEdit* database() const { return m_database; }
    QLineEdit* station() const { return m_station; }
    QLineEdit* operatorName() const { return m_operator; }
    QLineEdit* lot() const { return m_lot; }
    QCheckBox* allowUnrecorded() const { return m_allow; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* testButton() const { return m_test; }
    // What the connection test found.
    QLabel* testResult() const { return m_testResult; }

    void accept() override;

private:
    void browse();
    void testConnection();

    SettingsStore& m_settings;
    UserPrompts& m_prompts;
    QLineEdit* m_database = nullptr;
    QLineEdit* m_station = nullptr;
    QLineEdit* m_operator = nullptr;
    QLineEdit* m_lot = nullptr;
    QCheckBox* m_readBack = nullptr;
    QCheckBox* m_allow = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_test = nullptr;
    QLabel* m_testResult = nullptr;
};

}  // namespace kv::ui
