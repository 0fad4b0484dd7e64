// SPDX-License-Identifier: MIT
#include "record/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStorageInfo>
#include <stdexcept>

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordRows.h"
#include "record/RecordSchema.h"
#include "record/RecordTexts.h"

namespace kv {

namespace {

// Less free space than this is a full disk: a record with its log takes a
// few KiB, and SQLite needs room for its journal beside it.
constexpr qint64 kMinFreeBytes = 1024 * 1024;
// Rows per INSERT of steps and log lines: one round trip for a usual pass.
constexpr int kRowsPerInsert = 100;

// The SQLite file's checks, before anything is opened or created.
void checkSqliteFile(const RecordUrl& url) {
    const QFileInfo file(url.path);
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder))
        throw OperationError(recordtexts::readOnly(url.path), ErrorKind::Record);
    // The journal is created beside the file, so the folder must be writable too.
    if ((file.exists() && !file.isWritable()) || !QFileInfo(folder).isWritable())
        throw OperationError(recordtexts::readOnly(url.path), ErrorKind::Record);
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() < kMinFreeBytes)
        throw OperationError(recordtexts::diskFull(url.path), ErrorKind::Record);
}

// Files up to this size are checked on every open (a fraction of a second);
// a larger one on its first open of each day.
constexpr qint64 kFullCheckBytes = 64 * 1024 * 1024;

std::function<QDate()>& calendar() {
    static std::function<QDate()> today;
    return today;
}

// The day of the last check that passed, kept beside the file so that every
// station sharing it counts the same day.
QString checkStampPath(const QString& path) {
    return path + QStringLiteral("-checked");
}

// A damaged file is refused before anything is sent or written: rows lost
// unnoticed are worse than no record. quick_check reads each page once (about
// 130 MB/s here, so 0.5 s at kFullCheckBytes).
void checkIntegrity(RecordDatabase& database) {
    const QString path = database.url().path;
    const QDate today = calendar() ? calendar()() : QDate();
    const bool daily = today.isValid() && QFileInfo(path).size() > kFullCheckBytes;
    const QByteArray stamp = today.toString(Qt::ISODate).toLatin1();
    if (daily) {
        QFile last(checkStampPath(path));
        if (last.open(QIODevice::ReadOnly) && last.readAll().trimmed() == stamp)
            return;
    }
    const QString verdict =
        database.scalar(QStringLiteral("PRAGMA quick_check(1)")).toString().trimmed();
    if (verdict.compare(u"ok", Qt::CaseInsensitive) != 0)
        throw OperationError(recordtexts::corrupt(database.url().displayText(), verdict),
                             ErrorKind::Record);
    if (daily) {
        QFile last(checkStampPath(path));
        if (last.open(QIODevice::WriteOnly | QIODevice::Truncate))
            last.write(stamp + '\n');  // without it the next open checks again
    }
}

// A file the user may only read: listed as it is, nothing written.
bool onlyReadable(const RecordUrl& url) {
    const QFileInfo file(url.path);
    return file.exists() && (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable());
}

// INSERT of rows of columns.size() values each, in groups of kRowsPerInsert.
void insertRows(RecordDatabase& database, const QString& table, const QStringList& columns,
                const QList<QVariantList>& rows) {
    const QString row = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    for (qsizetype first = 0; first < rows.size(); first += kRowsPerInsert) {
        const qsizetype n = std::min<qsizetype>(kRowsPerInsert, rows.size() - first);
        QVariantList values;
        for (qsizetype i = first; i < first + n; ++i)
            values << rows[i];
        database.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                          .arg(table, columns.join(u','), QStringList(n, row).join(u',')),
                      values);
    }
}

void checkResult(const PassRecord& record) {
    if (record.result != u"pass" && record.result != u"fail")
        throw std::invalid_argument("a record's result is 'pass' or 'fail'");
    if (record.result == u"pass") {
        for (const RecordStep& step : record.steps) {
            if (step.result == u"fail")
                throw std::invalid_argument("a pass with a failed step is not a pass");
        }
    }
}

}  // namespace

RecordStore::RecordStore(const QString& url)
    : m_database(std::make_unique<RecordDatabase>(RecordUrl::parse(url))) {}

RecordStore::~RecordStore() = default;

void RecordStore::setCalendar(std::function<QDate()> today) {
    calendar() = std::move(today);
}

void RecordStore::open() {
    if (m_ready && m_database->isOpen())
        return;
    if (!m_database->isPostgres())
        checkSqliteFile(m_database->url());
    m_database->open();
    if (!m_database->isPostgres())
        checkIntegrity(*m_database);
    RecordSchema::bringUpToDate(*m_database);
    m_ready = true;
}

void RecordStore::openForReading() {
    if (m_ready && m_database->isOpen())
        return;
    if (m_database->isPostgres() || !onlyReadable(m_database->url())) {
        open();
        return;
    }
    m_database->open(true);
    checkIntegrity(*m_database);
    RecordSchema::checkReadable(*m_database);
    m_ready = true;
}

void RecordStore::ensureReachable() {
    if (!m_database->isPostgres())
        checkSqliteFile(m_database->url());
    open();
    // A write that changes nothing and is undone: the server or the file may
    // still refuse writes (a read-only server, a file locked read-only).
    m_database->probeWrite(QStringLiteral("UPDATE schema_version SET version = version"));
}

qint64 RecordStore::append(const PassRecord& record) {
    checkResult(record);
    open();
    RecordDatabase& db = *m_database;
    const QStringList& columns = recordrows::passColumns();
    return db.inWriteTransaction([&] {
        QSqlQuery inserted =
            db.exec(QStringLiteral("INSERT INTO passes (%1) VALUES (%2) RETURNING id")
                        .arg(columns.join(u','),
                             QStringList(columns.size(), QStringLiteral("?")).join(u',')),
                    recordrows::passValues(record));
        const qint64 id = inserted.next() ? inserted.value(0).toLongLong() : 0;
        inserted.finish();
        QList<QVariantList> steps;
        for (qsizetype i = 0; i < record.steps.size(); ++i) {
            const RecordStep& s = record.steps[i];
            steps << QVariantList{id,       qint64(i),    s.name,
                                  s.result, s.durationMs, nullableText(s.detail)};
        }
        insertRows(
            db, QStringLiteral("pass_steps"),
            {QStringLiteral("pass_id"), QStringLiteral("position"), QStringLiteral("name"),
             QStringLiteral("result"), QStringLiteral("duration_ms"), QStringLiteral("detail")},
            steps);
        QList<QVariantList> lines;
        for (qsizetype i = 0; i < record.log.size(); ++i)
            lines << QVariantList{id, qint64(i), record.log[i]};
        insertRows(db, QStringLiteral("pass_log"),
                   {QStringLiteral("pass_id"), QStringLiteral("position"), QStringLiteral("line")},
                   lines);
        if (record.serial && !record.serialSequence.isEmpty()) {
            db.exec(QStringLiteral("UPDATE serial_numbers SET pass_id = ?,"
                                   " state = CASE WHEN state = 'taken' THEN 'used' ELSE state END"
                                   " WHERE sequence = ? AND value = ?"),
                    {id, record.serialSequence, *record.serial});
        }
        return id;
    });
}

PassRecord RecordStore::load(qint64 id) {
    openForReading();
    RecordDatabase& db = *m_database;
    QSqlQuery row = db.exec(QStringLiteral("SELECT id,%1 FROM passes WHERE id = ?")
                                .arg(recordrows::passColumns().join(u',')),
                            {id});
    if (!row.next())
        throw OperationError(recordtexts::noSuchRecord(id), ErrorKind::Record);
    PassRecord record = recordrows::passFromRow(row);
    row.finish();
    QSqlQuery steps =
        db.exec(QStringLiteral("SELECT name, result, duration_ms, detail"
                               " FROM pass_steps WHERE pass_id = ? ORDER BY position"),
                {id});
    while (steps.next()) {
        record.steps << RecordStep{steps.value(0).toString(), steps.value(1).toString(),
                                   steps.value(2).toLongLong(),
                                   steps.value(3).isNull() ? QString() : steps.value(3).toString()};
    }
    db.failOnBrokenRead(steps);
    QSqlQuery log = db.exec(
        QStringLiteral("SELECT line FROM pass_log WHERE pass_id = ? ORDER BY position"), {id});
    while (log.next())
        record.log << log.value(0).toString();
    db.failOnBrokenRead(log);
    return record;
}

}  // namespace kv
