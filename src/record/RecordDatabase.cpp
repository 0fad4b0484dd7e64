// SPDX-License-Identifier: MIT
#include "record/RecordDatabase.h"

#include <QAtomicInteger>
#include <QSqlError>

#include "core/OperationError.h"
#include "record/RecordTexts.h"

namespace kv {

namespace {

QString uniqueConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("kv-record-%1").arg(counter.fetchAndAddRelaxed(1));
}

QString driverName(const RecordUrl& url) {
    return url.isPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

// SQLite's primary result codes and PostgreSQL's condition codes that mean
// the same to the user.
bool isDiskFull(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == u"13" || code == u"53100" ||
           error.databaseText().contains(u"disk is full", Qt::CaseInsensitive);
}
bool isReadOnly(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == u"8" || code == u"25006" ||
           error.databaseText().contains(u"readonly database", Qt::CaseInsensitive);
}
// Another connection holds the lock: SQLITE_BUSY or SQLITE_LOCKED (with or
// without their extended codes), PostgreSQL's lock_not_available.
bool isLockBusy(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    bool number = false;
    const int primary = code.toInt(&number) & 0xFF;
    return (number && (primary == 5 || primary == 6)) || code == u"55P03" ||
           error.databaseText().contains(u"database is locked", Qt::CaseInsensitive);
}
// PostgreSQL's query_canceled: statement_timeout ran out.
bool isStatementTimeout(const QSqlError& error) {
    return error.nativeErrorCode() == u"57014";
}
// SQLITE_CORRUPT and SQLITE_NOTADB: the file is damaged or is no database.
bool isCorrupt(const QSqlError& error) {
    bool number = false;
    const int primary = error.nativeErrorCode().toInt(&number) & 0xFF;
    return number && (primary == 11 || primary == 26);
}

// Thrown where the lock's slice ran out; the loop that retries catches it. When
// it escapes, its text is still the right one.
class LockBusy : public OperationError {
public:
    using OperationError::OperationError;
};

std::function<bool()>& stopCheck() {
    static std::function<bool()> check;
    return check;
}

}  // namespace

void RecordDatabase::setStopCheck(std::function<bool()> stopRequested) {
    stopCheck() = std::move(stopRequested);
}

QVariant nullableText(const QString& text) {
    return text.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

RecordDatabase::RecordDatabase(const RecordUrl& url) : m_url(url), m_name(uniqueConnectionName()) {}

RecordDatabase::~RecordDatabase() {
    {
        QSqlDatabase database = db();
        if (database.isValid())
            database.close();
    }
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

bool RecordDatabase::isOpen() const {
    return db().isOpen();
}

void RecordDatabase::open(bool readOnly) {
    if (isOpen())
        return;
    const QString driver = driverName(m_url);
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw OperationError(recordtexts::noDriver(driver), ErrorKind::Record);
    QSqlDatabase database = QSqlDatabase::contains(m_name)
                                ? QSqlDatabase::database(m_name, false)
                                : QSqlDatabase::addDatabase(driver, m_name);
    if (m_url.isPostgres()) {
        database.setHostName(m_url.host);
        if (m_url.port >= 0)
            database.setPort(m_url.port);
        database.setUserName(m_url.user);
        database.setPassword(m_url.password);
        database.setDatabaseName(m_url.database);
        // Every wait has an end: the connection, a lock (one slice, then the
        // transaction runs again), a statement, and a server that vanished
        // without closing the connection (keepalives). An empty password
        // leaves libpq to PGPASSWORD and the password file.
        database.setConnectOptions(
            QStringLiteral("connect_timeout=%1;keepalives=1;keepalives_idle=10;"
                           "keepalives_interval=5;keepalives_count=3;"
                           "options='-c lock_timeout=%2 -c statement_timeout=%3'")
                .arg(kConnectSeconds)
                .arg(kLockSliceMs)
                .arg(kStatementSeconds * 1000));
    } else {
        database.setDatabaseName(m_url.path);
        // Stations sharing one file queue for the write lock, a slice at a time.
        database.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockSliceMs) +
            (readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
    }
    if (!database.open()) {
        const QSqlError error = database.lastError();
        if (!m_url.isPostgres())
            fail(error);
        QString detail = error.text();
        if (detail.contains(u"timeout expired", Qt::CaseInsensitive))
            detail += u'\n' + recordtexts::connectLimit(kConnectSeconds);
        throw OperationError(recordtexts::unreachable(m_url.displayText(), detail),
                             ErrorKind::Record);
    }
    if (!m_url.isPostgres())
        exec(QStringLiteral("PRAGMA foreign_keys = ON"));
}

void RecordDatabase::waitedForLock(int tries) const {
    if (stopCheck() && stopCheck()())
        throw OperationError(recordtexts::lockWaitStopped(m_url.displayText()), ErrorKind::Record);
    if (tries >= kLockTries)
        throw OperationError(recordtexts::locked(m_url.displayText(), kLockWaitSeconds),
                             ErrorKind::Record);
}

void RecordDatabase::runTransaction(const std::function<void()>& body) {
    if (m_inTransaction) {  // already inside one: its own retry covers this part
        body();
        return;
    }
    for (int tries = 1;; ++tries) {
        try {
            beginWrite();
            m_inTransaction = true;
            body();
            commit();
            m_inTransaction = false;
            return;
        } catch (const LockBusy&) {
            if (m_inTransaction)
                rollback();
            m_inTransaction = false;
            waitedForLock(tries);
        } catch (...) {
            if (m_inTransaction)
                rollback();
            m_inTransaction = false;
            throw;
        }
    }
}

QSqlQuery RecordDatabase::exec(const QString& sql, const QVariantList& values) {
    for (int tries = 1;; ++tries) {
        try {
            return execOnce(sql, values);
        } catch (const LockBusy&) {
            if (m_inTransaction)
                throw;
            waitedForLock(tries);
        }
    }
}

QSqlQuery RecordDatabase::execOnce(const QString& sql, const QVariantList& values) {
    open();
    QSqlQuery query(db());
    query.setForwardOnly(true);
    // PostgreSQL prepares no DDL: statements without values run directly.
    if (values.isEmpty()) {
        if (!query.exec(sql))
            fail(query.lastError());
        return query;
    }
    if (!query.prepare(sql))
        fail(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        fail(query.lastError());
    return query;
}

QVariant RecordDatabase::scalar(const QString& sql, const QVariantList& values) {
    for (int tries = 1;; ++tries) {
        try {
            QSqlQuery query = exec(sql, values);
            if (!query.next()) {
                failOnBrokenRead(query);
                return QVariant();
            }
            const QVariant value = query.value(0);
            query.finish();
            return value;
        } catch (const LockBusy&) {
            // SQLite may refuse a statement at its first step rather than at exec.
            if (m_inTransaction)
                throw;
            waitedForLock(tries);
        }
    }
}

void RecordDatabase::failOnBrokenRead(const QSqlQuery& query) const {
    if (query.lastError().isValid())
        fail(query.lastError());
}

QString RecordDatabase::idColumnType() const {
    return m_url.isPostgres()
               ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
               : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
}

void RecordDatabase::beginWrite() {
    open();
    // SQLite takes the write lock at the first write unless told at BEGIN;
    // taking it late can fail without waiting. PostgreSQL locks rows.
    QSqlQuery query(db());
    if (!query.exec(m_url.isPostgres() ? QStringLiteral("BEGIN")
                                       : QStringLiteral("BEGIN IMMEDIATE")))
        fail(query.lastError());
}

void RecordDatabase::probeWrite(const QString& sql) {
    for (int tries = 1;; ++tries) {
        try {
            beginWrite();
        } catch (const LockBusy&) {
            waitedForLock(tries);
            continue;
        }
        try {
            execOnce(sql, {});
        } catch (const LockBusy&) {
            rollback();
            waitedForLock(tries);
            continue;
        } catch (...) {
            rollback();
            throw;
        }
        rollback();
        return;
    }
}

void RecordDatabase::commit() {
    QSqlQuery query(db());
    if (!query.exec(QStringLiteral("COMMIT")))
        fail(query.lastError());
}

void RecordDatabase::rollback() {
    QSqlQuery query(db());
    query.exec(QStringLiteral("ROLLBACK"));  // nothing more to do if this fails too
}

void RecordDatabase::fail(const QSqlError& error) const {
    const QString where = m_url.displayText();
    if (isLockBusy(error))
        throw LockBusy(recordtexts::locked(where, kLockWaitSeconds), ErrorKind::Record);
    if (isStatementTimeout(error))
        throw OperationError(recordtexts::statementTimeout(where, kStatementSeconds),
                             ErrorKind::Record);
    if (isCorrupt(error))
        throw OperationError(recordtexts::corrupt(where, error.databaseText()), ErrorKind::Record);
    if (isDiskFull(error))
        throw OperationError(recordtexts::diskFull(where) + u'\n' + error.text(),
                             ErrorKind::Record);
    if (isReadOnly(error))
        throw OperationError(recordtexts::readOnly(where) + u'\n' + error.text(),
                             ErrorKind::Record);
    if (error.type() == QSqlError::ConnectionError || !isOpen())
        throw OperationError(recordtexts::unreachable(where, error.text()), ErrorKind::Record);
    throw OperationError(recordtexts::writeFailed(error.text()), ErrorKind::Record);
}

}  // namespace kv
