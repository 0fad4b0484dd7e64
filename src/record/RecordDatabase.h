// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <optional>
#include <type_traits>

#include "record/RecordUrl.h"

class QSqlError;

namespace kv {

// One connection to the record's database and the few things the two
// backends do differently. Every failure is thrown as an OperationError whose
// text tells the user what is wrong (unreachable, read-only, disk full).
// One object per thread; the connection closes with it.
class RecordDatabase {
public:
    explicit RecordDatabase(const RecordUrl& url);
    ~RecordDatabase();
    RecordDatabase(const RecordDatabase&) = delete;
    RecordDatabase& operator=(const RecordDatabase&) = delete;

    const RecordUrl& url() const { return m_url; }
    bool isPostgres() const { return m_url.isPostgres(); }
    // The Qt SQL connection, for tools that run their own statements.
    QString connectionName() const { return m_name; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // Connects when not connected yet.
    void open();
    bool isOpen() const;

    // Runs one statement with positional values; throws on failure. The
    // result is positioned before its first row.
    QSqlQuery exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row, or a null QVariant without rows.
    QVariant scalar(const QString& sql, const QVariantList& values = {});

    // fn inside one transaction that holds the write lock from its start, so
    // that concurrent writers queue instead of failing; all or nothing.
    template <typename Fn>
    auto inWriteTransaction(Fn fn) {
        beginWrite();
        try {
            if constexpr (std::is_void_v<decltype(fn())>) {
                fn();
                commit();
            } else {
                auto result = fn();
                commit();
                return result;
            }
        } catch (...) {
            rollback();
            throw;
        }
    }

    // Runs sql in a write transaction and undoes it: throws when writes are refused.
    void probeWrite(const QString& sql);

    // The column type of an id that numbers itself.
    QString idColumnType() const;
    // Throws the user's text for this error of the database.
    [[noreturn]] void fail(const QSqlError& error) const;

private:
    void beginWrite();
    void commit();
    void rollback();

    RecordUrl m_url;
    QString m_name;
};

// NULL of the given kind when the value is absent (the drivers need the type).
QVariant nullableText(const QString& text);
template <typename T>
QVariant nullable(const std::optional<T>& value) {
    return value ? QVariant::fromValue(qint64(*value)) : QVariant(QMetaType::fromType<qint64>());
}

}  // namespace kv
