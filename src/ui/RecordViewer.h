// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "app/RecordBrowser.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kv {
class UserPrompts;
}

namespace kv::ui {

// The production record viewer ("生产记录"): a window of its own beside the
// main window, newest records first a page at a time, filters, the details
// of the selected record and CSV export. It binds a RecordBrowser, which
// does the work; store failures show as a line in the window.
class RecordViewer : public QWidget {
    Q_OBJECT
public:
    RecordViewer(const QString& url, UserPrompts& prompts, QWidget* parent = nullptr);

    RecordBrowser& browser() { return m_browser; }
    QTableWidget* table() const { return m_table; }
    QPlainTextEdit* details() const { return m_details; }
    // The store's failure, or what the last export did.
    QLabel* message() const { return m_message; }

    // The filter row's fields into the query; the list starts again at its
    // first page.
    void applyFilters();
    void refresh();
    // The record moved (its settings changed): the list comes from there.
    void setUrl(const QString& url);

private:
    QWidget* buildFilters();
    RecordQuery query() const;
    void showRows(bool ok);
    void showDetails();
    void exportCsv();

    RecordBrowser m_browser;
    UserPrompts& m_prompts;
    QCheckBox* m_fromOn = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_toOn = nullptr;
    QDateEdit* m_to = nullptr;
    QComboBox* m_result = nullptr;
    QComboBox* m_operation = nullptr;
    QLineEdit* m_model = nullptr;
    QLineEdit* m_station = nullptr;
    QLineEdit* m_serial = nullptr;
    QCheckBox* m_serialPrefix = nullptr;
    QTableWidget* m_table = nullptr;
    QPlainTextEdit* m_details = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_page = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
};

}  // namespace kv::ui
