// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

#include "record/RecordUrl.h"

class QSqlError;

namespace kv {

class Clock;

// One connection to the record's database and the few things the two
// backends do differently. Every failure is thrown as an OperationError whose
// text tells the user what is wrong (unreachable, read-only, disk full, no
// permission, a refused row, a lost connection, a lock, the deadline).
// One object per thread; the connection closes with it.
//
// No wait is open-ended. The record work of one command (connecting, waiting
// for locks, statements, retries) shares one deadline, limitMs() (5 s unless
// set): inside a CommandScope the time spent in this class adds up, outside
// one each operation has the whole limit to itself. A lock another connection
// holds is waited for in slices inside the database (SQLite's busy timeout,
// PostgreSQL's lock_timeout), and the deadline and the stop check are looked
// at between slices. A PostgreSQL server that stops answering mid-statement
// is cut off by a watchdog at the deadline, or within a second of a stop.
class RecordDatabase {
public:
    static constexpr int kLockSliceMs = 250;
    static constexpr int kDefaultLimitMs = 5000;
    // Slices in the default limit.
    static constexpr int kLockTries = kDefaultLimitMs / kLockSliceMs;
    static constexpr int kLockWaitSeconds = kDefaultLimitMs / 1000;
    // After a stop, what is still running gets this long to finish (the
    // "stopped" row itself must be written).
    static constexpr int kStopGraceMs = 400;

    // What ends a wait early: Ctrl-C on the command line, Stop in the window.
    // One per process, also called from the watchdog's thread; empty: waits
    // run to the deadline.
    static void setStopCheck(std::function<bool()> stopRequested);
    // The deadline of a command's record work; <= 0 restores the default.
    static void setLimitMs(int ms);
    static int limitMs();
    // The limit in whole seconds, as messages name it.
    static int limitSeconds();
    // The clock the deadline is measured on; nullptr: the machine's own.
    static void setClock(const Clock* clock);
    // What is left of the deadline now (negative once it has passed).
    static qint64 remainingMs();

    // The record work of one command, which shares one deadline. Scopes
    // nest; the outermost one's time counts. One command at a time.
    class CommandScope {
    public:
        CommandScope();
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;
    };

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
    // written, not even the journal's mode, for a file the user may only read;
    // immutable: not even the write-ahead log's index beside it is made.
    void open(bool readOnly = false, bool immutable = false);
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
    class Watchdog;
    // Counts the time of one operation against the deadline and, on
    // PostgreSQL, has the watchdog cut a stalled connection.
    class Spend {
    public:
        explicit Spend(RecordDatabase& database);
        ~Spend();
        Spend(const Spend&) = delete;
        Spend& operator=(const Spend&) = delete;

    private:
        RecordDatabase& m_database;
    };

    void openOnce(bool readOnly, bool immutable);
    void runTransaction(const std::function<void()>& body);
    QSqlQuery execOnce(const QString& sql, const QVariantList& values);
    // After a slice of waiting for a lock: throws when stopped or out of time.
    void waitedForLock() const;
    // Throws when the deadline has passed (or the stop's grace ran out).
    void checkDeadline() const;
    void beginWrite();
    void commit();
    void rollback();

    RecordUrl m_url;
    QString m_name;
    bool m_inTransaction = false;
    std::unique_ptr<Watchdog> m_watchdog;
};

// NULL of the given kind when the value is absent (the drivers need the type).
QVariant nullableText(const QString& text);
template <typename T>
QVariant nullable(const std::optional<T>& value) {
    return value ? QVariant::fromValue(qint64(*value)) : QVariant(QMetaType::fromType<qint64>());
}

}  // namespace kv
