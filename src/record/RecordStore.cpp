// SPDX-License-Identifier: MIT
#include "record/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QUrl>
#include <stdexcept>

#include <sys/stat.h>

#include "core/OperationError.h"
#include "record/ProcessIdentity.h"
#include "record/RecordDatabase.h"
#include "record/RecordRows.h"
#include "record/RecordSchema.h"
#include "record/RecordTexts.h"
#include "record/SerialNumbers.h"

namespace kv {

namespace {

// Less free space than this is a full disk: a record with its log takes a
// few KiB, and SQLite needs room for its journal beside it.
constexpr qint64 kMinFreeBytes = 1024 * 1024;
// Rows per INSERT of steps and log lines: one round trip for a usual pass.
constexpr int kRowsPerInsert = 100;

// A device, a pipe or a link to one would take SQLite's journal into its
// folder (a "-journal" file in /dev): refused before anything is created. So
// is a link to nothing, whose target SQLite would create wherever it points.
void refuseAllButPlainFile(const RecordUrl& url) {
    const QByteArray path = QFile::encodeName(url.path);
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return;  // nothing there yet: it is created as a plain file
    if (S_ISLNK(status.st_mode) && ::stat(path.constData(), &status) != 0)
        throw OperationError(recordtexts::notAFile(url.path), ErrorKind::Record);
    if (!S_ISREG(status.st_mode))
        throw OperationError(recordtexts::notAFile(url.path), ErrorKind::Record);
}

// The SQLite file's checks, before anything is opened or created.
void checkSqliteFile(const RecordUrl& url) {
    refuseAllButPlainFile(url);
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

std::function<QDateTime()>& wallClock() {
    static std::function<QDateTime()> now;
    return now;
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
    const QDate today = RecordStore::wallClockNow().toLocalTime().date();
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
    if (const auto problem = RecordStore::problemWith(record))
        throw std::invalid_argument(problem->toStdString());
}

void insertDetails(RecordDatabase& db, qint64 id, const PassRecord& record) {
    QList<QVariantList> steps;
    for (qsizetype i = 0; i < record.steps.size(); ++i) {
        const RecordStep& s = record.steps[i];
        steps << QVariantList{id,       qint64(i),    s.name,
                              s.result, s.durationMs, nullableText(s.detail)};
    }
    insertRows(db, QStringLiteral("pass_steps"),
               {QStringLiteral("pass_id"), QStringLiteral("position"), QStringLiteral("name"),
                QStringLiteral("result"), QStringLiteral("duration_ms"), QStringLiteral("detail")},
               steps);
    QList<QVariantList> lines;
    for (qsizetype i = 0; i < record.log.size(); ++i)
        lines << QVariantList{id, qint64(i), record.log[i]};
    insertRows(db, QStringLiteral("pass_log"),
               {QStringLiteral("pass_id"), QStringLiteral("position"), QStringLiteral("line")},
               lines);
}

// The numbers of a finished pass: the one in the chip is used, one taken
// for it but not written is spoiled. A number in the chip that was spoiled
// meanwhile stays spoiled (it is never handed out again either way), and
// the conflict is returned to be reported.
std::optional<QString> settleSerials(RecordDatabase& db, qint64 id, const PassRecord& record) {
    if (record.result == u"started" || record.serialSequence.isEmpty())
        return std::nullopt;
    std::optional<QString> conflict;
    if (record.serial) {
        QSqlQuery found = db.exec(QStringLiteral("SELECT state, note FROM serial_numbers"
                                                 " WHERE sequence = ? AND value = ?"),
                                  {record.serialSequence, *record.serial});
        // A pass's own end never spoils the number it wrote: a spoiled one
        // was taken for interrupted elsewhere while this row waited.
        if (found.next() && found.value(0).toString() == u"spoiled") {
            conflict = recordtexts::serialSpoiledMeanwhile(record.serialSequence, *record.serial,
                                                           found.value(1).toString(), id);
        }
        found.finish();
        if (conflict) {
            db.exec(QStringLiteral("UPDATE passes SET end_reason = ? WHERE id = ?"),
                    {*conflict, id});
            db.exec(QStringLiteral("UPDATE serial_numbers SET pass_id = ?, note = ?"
                                   " WHERE sequence = ? AND value = ?"),
                    {id, *conflict, record.serialSequence, *record.serial});
        } else {
            db.exec(QStringLiteral("UPDATE serial_numbers SET pass_id = ?,"
                                   " state = CASE WHEN state = 'taken' THEN 'used' ELSE state END"
                                   " WHERE sequence = ? AND value = ?"),
                    {id, record.serialSequence, *record.serial});
        }
    }
    if (record.spoiledSerial) {
        db.exec(QStringLiteral("UPDATE serial_numbers SET pass_id = ?, state = 'spoiled', note = ?"
                               " WHERE sequence = ? AND value = ? AND state <> 'used'"),
                {id, record.endReason.isEmpty() ? QStringLiteral("not written") : record.endReason,
                 record.serialSequence, *record.spoiledSerial});
    }
    return conflict;
}

QString insertSql() {
    const QStringList& columns = recordrows::passColumns();
    return QStringLiteral("INSERT INTO passes (%1) VALUES (%2) RETURNING id")
        .arg(columns.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u','));
}

}  // namespace

RecordStore::RecordStore(const QString& url)
    : m_database(std::make_unique<RecordDatabase>(RecordUrl::parse(url))) {}

RecordStore::~RecordStore() = default;

void RecordStore::setWallClock(std::function<QDateTime()> nowUtc) {
    wallClock() = std::move(nowUtc);
}

QDateTime RecordStore::wallClockNow() {
    return wallClock() ? wallClock()() : QDateTime();
}

std::optional<QString> RecordStore::problemWith(const PassRecord& record) {
    static const QStringList results = {QStringLiteral("started"), QStringLiteral("pass"),
                                        QStringLiteral("fail"), QStringLiteral("stopped")};
    static const QStringList stepResults = {QString(), QStringLiteral("pass"),
                                            QStringLiteral("fail"), QStringLiteral("skipped")};
    if (!results.contains(record.result))
        return QStringLiteral(
                   "a record's result is 'started', 'pass', 'fail' or 'stopped', not '%1'")
            .arg(record.result);
    for (const RecordStep& step : record.steps) {
        if (!stepResults.contains(step.result))
            return QStringLiteral("a step's result is 'pass', 'fail' or 'skipped', not '%1'")
                .arg(step.result);
        if (record.result == u"pass" && step.result == u"fail")
            return QStringLiteral("a pass with a failed step is not a pass");
    }
    return std::nullopt;
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
    if (!m_database->isPostgres())
        refuseAllButPlainFile(m_database->url());
    if (m_database->isPostgres() || !onlyReadable(m_database->url())) {
        open();
        return;
    }
    // A file in write-ahead mode wants its "-shm" beside it; where that
    // cannot be made and no "-wal" exists, nothing is written to the file
    // but through it, so it is read as it is, without those files.
    const QString path = m_database->url().path;
    const bool immutable = !QFileInfo::exists(path + QStringLiteral("-wal")) &&
                           !QFileInfo(QFileInfo(path).absolutePath()).isWritable();
    m_database->open(true, immutable);
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
    return upload(record).id;
}

RecordStore::Stored RecordStore::upload(const PassRecord& record) {
    checkResult(record);
    open();
    RecordDatabase& db = *m_database;
    const QStringList& columns = recordrows::passColumns();
    return db.inWriteTransaction([&]() -> Stored {
        qint64 id = 0;
        if (!record.passUid.isEmpty()) {
            QSqlQuery found =
                db.exec(QStringLiteral("SELECT id, result FROM passes WHERE pass_uid = ?"),
                        {record.passUid});
            if (found.next()) {
                id = found.value(0).toLongLong();
                const bool finished = found.value(1).toString() != u"started";
                found.finish();
                // Uploaded before, its answer lost: the row stays as it is.
                if (finished || record.result == u"started")
                    return {id, std::nullopt};
                QStringList assignments;
                for (const QString& column : columns)
                    assignments << column + QStringLiteral(" = ?");
                db.exec(
                    QStringLiteral("UPDATE passes SET %1 WHERE id = ?").arg(assignments.join(u',')),
                    recordrows::passValues(record) << id);
                db.exec(QStringLiteral("DELETE FROM pass_steps WHERE pass_id = ?"), {id});
                db.exec(QStringLiteral("DELETE FROM pass_log WHERE pass_id = ?"), {id});
            }
        }
        if (id == 0) {
            QSqlQuery inserted = db.exec(insertSql(), recordrows::passValues(record));
            id = inserted.next() ? inserted.value(0).toLongLong() : 0;
            inserted.finish();
        }
        insertDetails(db, id, record);
        return {id, settleSerials(db, id, record)};
    });
}

RecordStore::Started RecordStore::appendStarted(const PassRecord& started,
                                                const QString& serialSequence) {
    checkResult(started);
    open();
    RecordDatabase& db = *m_database;
    return db.inWriteTransaction([&]() -> Started {
        PassRecord row = started;
        Started result;
        if (!serialSequence.isEmpty()) {
            result.serial = SerialNumbers(*this).takeWithin(serialSequence, started.station);
            // Taken for this chip and not in it yet: should the process die,
            // the row keeps it out of use.
            row.serialSequence = serialSequence;
            row.spoiledSerial = result.serial;
        }
        QSqlQuery inserted = db.exec(insertSql(), recordrows::passValues(row));
        result.id = inserted.next() ? inserted.value(0).toLongLong() : 0;
        inserted.finish();
        if (result.serial) {
            db.exec(QStringLiteral("UPDATE serial_numbers SET pass_id = ?"
                                   " WHERE sequence = ? AND value = ?"),
                    {result.id, serialSequence, *result.serial});
        }
        return result;
    });
}

void RecordStore::settleInterrupted() {
    open();
    RecordDatabase& db = *m_database;
    // Only numbers still "taken": one spoiled before is not looked at again.
    QSqlQuery rows = db.exec(
        QStringLiteral("SELECT p.host, p.pid, p.process_token, p.started_at, p.serial_sequence,"
                       " p.spoiled_serial FROM passes p JOIN serial_numbers s ON s.sequence ="
                       " p.serial_sequence AND s.value = p.spoiled_serial"
                       " WHERE p.result = 'started' AND s.state = 'taken'"));
    QList<std::pair<QString, qint64>> spoiled;
    const QDateTime now = wallClockNow();
    while (rows.next()) {
        if (processidentity::writerIsGone(rows.value(0).toString(), rows.value(1).toLongLong(),
                                          rows.value(2).toString(),
                                          recordrows::timeFromText(rows.value(3).toString()), now))
            spoiled << std::pair(rows.value(4).toString(), rows.value(5).toLongLong());
    }
    rows.finish();
    for (const auto& number : std::as_const(spoiled)) {
        db.inWriteTransaction([&db, &number] {
            db.exec(QStringLiteral("UPDATE serial_numbers SET state = 'spoiled', note = ?"
                                   " WHERE sequence = ? AND value = ? AND state = 'taken'"),
                    {QStringLiteral("interrupted"), number.first, number.second});
        });
    }
}

QString RecordStore::shownResult(const PassRecord& record) const {
    return recordrows::shownResult(record.result, record.host, record.pid, record.processToken,
                                   record.startedAt, wallClockNow());
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
    record.result = shownResult(record);
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
