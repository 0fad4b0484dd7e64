// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "record/PassRecord.h"
#include "record/RecordStore.h"

namespace kv {

class UserPrompts;

// The viewer's filter row as the user filled it in; empty fields pass all.
struct RecordQuery {
    QDate from{};               // first local day shown
    QDate to{};                 // last local day shown
    QString result{};           // "pass", "fail" or empty
    QString model{};            // exact
    QString station{};          // exact
    QString serial{};           // decimal digits
    bool serialPrefix = false;  // serial numbers starting with those digits
    QString operation{};        // PassRecord::operation(): "pass", "erase", ...
};

// The production record viewer without its window: the filter row turned
// into a query, newest records first one page at a time (100 000 records must
// open at once), the details of one record, and CSV export of what the filter
// passes. Store failures never escape: they become errorText().
class RecordBrowser {
    Q_DECLARE_TR_FUNCTIONS(RecordBrowser)
public:
    static constexpr int kPageSize = 100;

    explicit RecordBrowser(QString url, int pageSize = kPageSize);
    ~RecordBrowser();

    // Another store from the next call on (the settings changed).
    void setUrl(const QString& url);

    // The store's filter; throws OperationError for a serial that is not
    // digits or a range that ends before it starts.
    static RecordFilter filterOf(const RecordQuery& query);

    // Runs the query and shows its first page; false when it failed.
    bool apply(const RecordQuery& query);
    // Runs the query again, staying on the page where possible.
    bool refresh();
    bool showPage(int page);

    int page() const { return m_page; }  // from 0
    int pageCount() const;
    qint64 total() const { return m_total; }
    const QList<PassRecord>& rows() const { return m_rows; }
    // Why the last call failed; empty after one that worked.
    const QString& errorText() const { return m_error; }
    QString pageText() const;

    static QStringList columnTitles();
    static QStringList rowTexts(const PassRecord& record);
    static QString resultText(const QString& result);
    // What made a record, as the list and the filter name it; "-" when unknown.
    static QString operationText(const QString& operation);
    // The filter's choices, in its order: "pass", then each single command.
    static QStringList operations();

    // The whole record as the details pane shows it; the error text when it
    // cannot be loaded.
    QString detailsText(qint64 id);
    static QString detailsOf(const PassRecord& record);

    // CSV of every record the query passes, into a file the user picks. The
    // line that says what happened; nullopt when the user cancelled.
    std::optional<QString> exportCsv(UserPrompts& prompts);

private:
    bool run(const std::function<void()>& work);
    // run() for a listing: a failure leaves an empty list.
    bool list(const std::function<void()>& work);
    RecordStore& store();

    QString m_url;
    int m_pageSize;
    std::unique_ptr<RecordStore> m_store;
    RecordFilter m_filter;
    int m_page = 0;
    qint64 m_total = 0;
    QList<PassRecord> m_rows;
    QString m_error;
};

}  // namespace kv
