// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>
#include <type_traits>

#include "record/RecordUrl.h"

class QSqlError;

namespace kv {

// One connection to the record's database and the few things the two
// backends do differently. Every failure is thrown as an OperationError whose
// text tells the user what is wrong (unreachable, read-only, disk full).
// One object per thread; the connection closes with it.
//
// No wait is open-ended. A lock another connection holds is waited for in
// slices inside the database (SQLite's busy timeout, PostgreSQL's
// lock_timeout); between slices the stop check may end the wait, and after
// kLockTries slices it ends with the limit named in the message.
class RecordDatabase {
public:
    static constexpr int kLockSliceMs = 250;
    static constexpr int kLockTries = 20;
    static constexpr int kLockWaitSeconds = kLockSliceMs * kLockTries / 1000;
    static constexpr int kConnectSeconds = 5;
    static constexpr int kStatementSeconds = 30;

    // What ends a wait for a lock early: Ctrl-C on the command line, Stop in
    // the window. One per process; empty: waits run to their limit.
    static void setStopCheck(std::function<bool()> stopRequested);

    explicit RecordDatabase(const RecordUrl& url);
    ~RecordDatabase();
    RecordDatabase(const RecordDatabase&) = delete;
    RecordDatabase& operator=(const RecordDatabase&) = delete;

    const RecordUrl& url() const { return m_url; }
    bool isPostgres() const { return m_url.isPostgres(); }
    // The Qt SQL connection, for tools that run their own statements.
    QString connectionName() const { return m_name; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // Connects when not connected yet. readOnly (SQLite): nothing is
    // written, not even the journal's mode, for a file the user may only read.
    void open(bool readOnly = false);
    bool isOpen() const;

    // Runs one statement with positional values; throws on failure. The
    // result is positioned before its first row.
    QSqlQuery exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row, or a null QVariant without rows.
    QVariant scalar(const QString& sql, const QVariantList& values = {});

    // fn inside one transaction that holds the write lock from its start, so
    // that concurrent writers queue instead of failing; all or nothing. A lock
    // wait that runs out its slice undoes fn and runs it again, so fn changes
    // nothing but the database.
    template <typename Fn>
    auto inWriteTransaction(Fn fn) {
        if constexpr (std::is_void_v<decltype(fn())>) {
            runTransaction([&] { fn(); });
        } else {
            std::optional<decltype(fn())> result;
            runTransaction([&] { result.emplace(fn()); });
            return std::move(*result);
        }
    }

    // Runs sql in a write transaction and undoes it: throws when writes are refused.
    void probeWrite(const QString& sql);

    // After reading rows until next() said no more: throws when that was an
    // error rather than the end, so a list is never cut short unnoticed.
    void failOnBrokenRead(const QSqlQuery& query) const;

    // The column type of an id that numbers itself.
    QString idColumnType() const;
    // Throws the user's text for this error of the database.
    [[noreturn]] void fail(const QSqlError& error) const;

private:
    void runTransaction(const std::function<void()>& body);
    QSqlQuery execOnce(const QString& sql, const QVariantList& values);
    // After a slice of waiting for a lock: throws when stopped or out of tries.
    void waitedForLock(int tries) const;
    void beginWrite();
    void commit();
    void rollback();

    RecordUrl m_url;
    QString m_name;
    bool m_inTransaction = false;
};

// NULL of the given kind when the value is absent (the drivers need the type).
QVariant nullableText(const QString& text);
template <typename T>
QVariant nullable(const std::optional<T>& value) {
    return value ? QVariant::fromValue(qint64(*value)) : QVariant(QMetaType::fromType<qint64>());
}

}  // namespace kv
