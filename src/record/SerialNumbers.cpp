// SPDX-License-Identifier: MIT
#include "record/SerialNumbers.h"

#include <QDateTime>
#include <QSqlQuery>
#include <stdexcept>

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordRows.h"
#include "record/RecordStore.h"
#include "record/RecordTexts.h"

namespace kv {

SerialNumbers::SerialNumbers(RecordStore& store) : m_store(store) {}

void SerialNumbers::define(const SerialScheme& s) {
    if (!s.isValid())
        throw std::invalid_argument("serial scheme with an empty name, a bad step or width");
    m_store.open();
    RecordDatabase& db = m_store.database();
    db.inWriteTransaction([&] {
        db.exec(QStringLiteral(
                    "INSERT INTO serial_sequences"
                    " (name, start_value, step, width, format, target, address, next_value)"
                    " VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (name) DO UPDATE SET"
                    " start_value = excluded.start_value, step = excluded.step,"
                    " width = excluded.width, format = excluded.format,"
                    " target = excluded.target, address = excluded.address,"
                    " next_value = CASE WHEN serial_sequences.next_value < excluded.start_value"
                    " THEN excluded.start_value ELSE serial_sequences.next_value END"),
                {s.name, s.start, s.step, s.width, SerialScheme::formatName(s.format),
                 SerialScheme::targetName(s.target), qint64(s.address), s.start});
    });
}

SerialScheme SerialNumbers::scheme(const QString& name) {
    m_store.open();
    QSqlQuery row = m_store.database().exec(
        QStringLiteral("SELECT start_value, step, width, format, target, address"
                       " FROM serial_sequences WHERE name = ?"),
        {name});
    if (!row.next())
        throw OperationError(recordtexts::unknownSequence(name), ErrorKind::Record);
    return {name,
            row.value(0).toLongLong(),
            row.value(1).toLongLong(),
            row.value(2).toInt(),
            SerialScheme::formatFromName(row.value(3).toString()),
            SerialScheme::targetFromName(row.value(4).toString()),
            quint32(row.value(5).toLongLong())};
}

qint64 SerialNumbers::takeNext(const QString& name, const QString& station) {
    scheme(name);  // opens, and refuses an unknown sequence before any lock is taken
    return m_store.database().inWriteTransaction([&] { return takeWithin(name, station); });
}

qint64 SerialNumbers::takeWithin(const QString& name, const QString& station) {
    const SerialScheme settings = scheme(name);
    RecordDatabase& db = m_store.database();
    // The row lock (PostgreSQL) or the write lock (SQLite) held from here
    // to the commit is what keeps two takers apart.
    QSqlQuery taken = db.exec(QStringLiteral("UPDATE serial_sequences"
                                             " SET next_value = next_value + step"
                                             " WHERE name = ? RETURNING next_value - step"),
                              {name});
    if (!taken.next())
        throw OperationError(recordtexts::unknownSequence(name), ErrorKind::Record);
    const qint64 value = taken.value(0).toLongLong();
    taken.finish();
    if (!settings.fits(value))
        throw OperationError(recordtexts::sequenceExhausted(name, value), ErrorKind::Record);
    db.exec(QStringLiteral("INSERT INTO serial_numbers"
                           " (sequence, value, state, station, taken_at)"
                           " VALUES (?, ?, 'taken', ?, ?)"),
            {name, value, nullableText(station),
             recordrows::timeText(QDateTime::currentDateTimeUtc())});
    return value;
}

void SerialNumbers::markSpoiled(const QString& name, qint64 value, const QString& reason) {
    RecordDatabase& db = m_store.database();
    db.inWriteTransaction([&] {
        db.exec(QStringLiteral("UPDATE serial_numbers SET state = 'spoiled', note = ?"
                               " WHERE sequence = ? AND value = ?"),
                {nullableText(reason), name, value});
    });
}

void SerialNumbers::markUsed(const QString& name, qint64 value, qint64 passId) {
    RecordDatabase& db = m_store.database();
    db.inWriteTransaction([&] {
        db.exec(QStringLiteral("UPDATE serial_numbers SET state = 'used', pass_id = ?"
                               " WHERE sequence = ? AND value = ? AND state <> 'spoiled'"),
                {passId, name, value});
        db.exec(QStringLiteral("UPDATE passes SET serial_sequence = ?, serial = ? WHERE id = ?"),
                {name, value, passId});
    });
}

SerialNumbers::State SerialNumbers::state(const QString& name, qint64 value) {
    m_store.open();
    const QString text =
        m_store.database()
            .scalar(
                QStringLiteral("SELECT state FROM serial_numbers WHERE sequence = ? AND value = ?"),
                {name, value})
            .toString();
    if (text == u"taken")
        return State::Taken;
    if (text == u"used")
        return State::Used;
    if (text == u"spoiled")
        return State::Spoiled;
    return State::Unknown;
}

}  // namespace kv
