// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "record/PassRecord.h"

namespace kv {

class RecordDatabase;

// Which records a listing shows; empty fields do not filter.
struct RecordFilter {
    QDateTime since;  // started at or after
    QDateTime until;  // started before
    QString result;   // "pass", or "fail" for every result but a pass
    QString model;
    QString station;
    std::optional<qint64> serial;
    QString serialPrefix;  // decimal digits the serial number starts with
    QString operation;     // as PassRecord::operation(): "pass", "erase", ...
};

// The production record: every pass appended in one transaction, read back
// for the viewer and the command line. Opened from a connection setting
// (RecordUrl); the schema is created or migrated on first use. Every failure
// is an OperationError with the text the user reads.
class RecordStore {
public:
    explicit RecordStore(const QString& url);
    ~RecordStore();

    // The wall clock (UTC), one per process: it dates the check of a big
    // SQLite file (once a day rather than at every open; without a clock every
    // open checks) and ages another station's unfinished rows.
    static void setWallClock(std::function<QDateTime()> nowUtc);
    // Now by that clock; invalid without one.
    static QDateTime wallClockNow();

    // Connects and creates or migrates the schema (once); throws the reason
    // when that fails. Every other call opens by itself.
    void open();
    // For listings: as open(), but a file the user may only read is opened
    // read-only and left as it is.
    void openForReading();

    // The check before a chip is touched: connects, creates or migrates the
    // schema and makes sure a record can be written (not read-only, not a
    // newer schema, disk not full). Throws the reason otherwise.
    void ensureReachable();

    // Stores the record with its steps and log lines, all or nothing, and
    // settles its serial numbers (used, spoiled) in the same transaction.
    // Returns its id. A record with a pass id replaces its "started" row, and
    // one whose row is already finished is left as stored: repeating an
    // upload never doubles a row.
    qint64 append(const PassRecord& record);
    // As append(), and what the database said about the record's number.
    struct Stored {
        qint64 id = 0;
        // The number the chip holds had been spoiled meanwhile (another
        // station took this pass for interrupted): it stays spoiled, the row
        // keeps the number and says so, and this is the text reporting it.
        std::optional<QString> serialConflict;
    };
    Stored upload(const PassRecord& record);
    // The "started" row of a command, written before its first byte. With a
    // serial sequence, its next number is taken in the same transaction and
    // tied to the row (as spoiledSerial until the chip holds it), so a
    // number is never taken without its row.
    struct Started {
        qint64 id = 0;
        std::optional<qint64> serial;
    };
    Started appendStarted(const PassRecord& started, const QString& serialSequence = {});
    // Why a record cannot be stored as it is (a result the record does not
    // know, a pass with a failed step); nullopt when it can.
    static std::optional<QString> problemWith(const PassRecord& record);
    // The numbers of passes whose process died while "started" are spoiled.
    void settleInterrupted();
    // The result as listings show it ("interrupted" for a dead "started" row).
    QString shownResult(const PassRecord& record) const;
    // The whole record; throws when there is none with this id.
    PassRecord load(qint64 id);

    // Records newest first without steps or log lines, limit at most from offset.
    QList<PassRecord> list(const RecordFilter& filter, int offset, int limit);
    qint64 count(const RecordFilter& filter);
    // The listed columns of every record the filter passes, as CSV (RFC 4180:
    // CRLF, fields quoted when they hold a comma, quote or line break), UTF-8.
    // Cells are made spreadsheet-safe.
    QByteArray exportCsv(const RecordFilter& filter);
    // A cell that a spreadsheet would run as a formula (=, +, -, @, tab, CR
    // first) gets a leading quote; numbers stay as they are.
    static QString spreadsheetSafe(const QString& text);

    RecordDatabase& database() { return *m_database; }

private:
    std::unique_ptr<RecordDatabase> m_database;
    bool m_ready = false;
};

}  // namespace kv
