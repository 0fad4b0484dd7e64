// SPDX-License-Identifier: MIT
#include "record/RecordDatabase.h"

#include <dlfcn.h>
#include <sys/socket.h>

#include <QAtomicInteger>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/OperationError.h"
#include "core/SystemClock.h"
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

// What went wrong, by kind, from SQLite's result codes and PostgreSQL's
// condition codes (SQLSTATE): each kind has its own message.
enum class Fault {
    LockBusy,
    StatementTimeout,
    Corrupt,
    DiskFull,
    ReadOnly,
    Permission,
    Constraint,
    ConnectionLost,
    Other
};

Fault sqliteFault(const QSqlError& error) {
    bool number = false;
    const int primary = error.nativeErrorCode().toInt(&number) & 0xFF;
    if (number) {
        switch (primary) {
            case 5:  // SQLITE_BUSY
            case 6:  // SQLITE_LOCKED
                return Fault::LockBusy;
            case 11:  // SQLITE_CORRUPT
            case 26:  // SQLITE_NOTADB
                return Fault::Corrupt;
            case 13:  // SQLITE_FULL
                return Fault::DiskFull;
            case 8:  // SQLITE_READONLY
                return Fault::ReadOnly;
            case 3:   // SQLITE_PERM
            case 23:  // SQLITE_AUTH
                return Fault::Permission;
            case 19:  // SQLITE_CONSTRAINT
                return Fault::Constraint;
            default:
                break;
        }
    }
    const QString text = error.databaseText();
    if (text.contains(u"database is locked", Qt::CaseInsensitive))
        return Fault::LockBusy;
    if (text.contains(u"disk is full", Qt::CaseInsensitive))
        return Fault::DiskFull;
    if (text.contains(u"readonly database", Qt::CaseInsensitive))
        return Fault::ReadOnly;
    return Fault::Other;
}

Fault postgresFault(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    if (code == u"55P03" || code == u"40P01" || code == u"40001")
        return Fault::LockBusy;  // lock_not_available, deadlock, serialization: try again
    if (code == u"57014")
        return Fault::StatementTimeout;
    if (code == u"XX001" || code == u"XX002")
        return Fault::Corrupt;
    if (code == u"53100")
        return Fault::DiskFull;
    if (code == u"25006")
        return Fault::ReadOnly;
    if (code == u"42501")
        return Fault::Permission;
    if (code.startsWith(u"23"))
        return Fault::Constraint;
    if (code.startsWith(u"08") || code == u"57P01" || code == u"57P02" || code == u"57P03")
        return Fault::ConnectionLost;
    // libpq's own words when the line went away without a condition code.
    static const char* const lost[] = {"server closed the connection",
                                       "no connection to the server", "could not receive data",
                                       "could not send data", "terminating connection"};
    for (const char* words : lost) {
        if (error.text().contains(QLatin1String(words), Qt::CaseInsensitive))
            return Fault::ConnectionLost;
    }
    return Fault::Other;
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
bool stopRequested() {
    return stopCheck() && stopCheck()();
}

// The deadline's bookkeeping; one command at a time per process.
struct Budget {
    int limitMs = RecordDatabase::kDefaultLimitMs;
    const Clock* clock = nullptr;
    int scopes = 0;
    qint64 spentMs = 0;  // by finished operations inside the scope
    int depth = 0;       // operations running (nested calls count once)
    qint64 operationStartMs = 0;
    qint64 stopSeenMs = -1;  // in the running operation
};
Budget& budget() {
    static Budget b;
    return b;
}
qint64 nowMs() {
    static const SystemClock machine;
    return (budget().clock ? budget().clock : &machine)->nowMs();
}

// The driver's warning when it cannot release a statement of a connection
// that went away or a transaction the server already ended: noise on the
// user's terminal, as the error itself is reported.
QtMessageHandler g_nextHandler = nullptr;
void quietDriver(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(u"Unable to free statement"))
        return;
    if (g_nextHandler)
        g_nextHandler(type, context, message);
}

// The connection's socket, for the watchdog; -1 when it cannot be had.
// libpq is already loaded by Qt's driver: it is only looked up, not linked.
int socketOf(const QSqlDatabase& database) {
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    // PGconn is libpq's name for its struct pg_conn.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return -1;
    void* const connection = *static_cast<void* const*>(handle.constData());
    using SocketFn = int (*)(const void*);
    static const SocketFn socketFn = []() -> SocketFn {
        void* library = ::dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD);
        return library ? reinterpret_cast<SocketFn>(::dlsym(library, "PQsocket")) : nullptr;
    }();
    return socketFn && connection ? socketFn(connection) : -1;
}

}  // namespace

// A server that stops answering mid-statement (a backend stopped, a cable
// pulled where no keepalive notices) would hold libpq's blocking call for
// good: at the deadline, or a grace after a stop, the connection's socket is
// shut down from this thread, and the call returns with a lost connection.
class RecordDatabase::Watchdog {
public:
    enum Fired { None, AtDeadline, OnStop };

    Watchdog() : m_thread([this] { run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    bool armed() const {
        std::lock_guard lock(m_mutex);
        return m_armed;
    }
    void arm(int socket, qint64 remainingMs) {
        {
            std::lock_guard lock(m_mutex);
            m_socket = socket;
            m_deadline = Steady::now() +
                         std::chrono::milliseconds(std::max<qint64>(0, remainingMs) + kSlackMs);
            m_stopSeen = false;
            m_armed = true;
            m_fired = None;
        }
        m_wake.notify_all();
    }
    void disarm() {
        std::lock_guard lock(m_mutex);
        m_armed = false;
    }
    Fired fired() const { return m_fired.load(); }
    void clear() { m_fired = None; }

private:
    using Steady = std::chrono::steady_clock;
    // A server that answers ends a lock wait itself within a slice of the
    // deadline, and says why; only one that does not is cut off.
    static constexpr int kSlackMs = 2 * kLockSliceMs;
    void run() {
        std::unique_lock lock(m_mutex);
        while (!m_quit) {
            if (!m_armed) {
                m_wake.wait(lock);
                continue;
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
            if (!m_armed || m_quit)
                continue;
            const auto now = Steady::now();
            if (!m_stopSeen && stopRequested()) {
                m_stopSeen = true;
                m_deadline =
                    std::min(m_deadline, now + std::chrono::milliseconds(kStopGraceMs + kSlackMs));
            }
            if (now >= m_deadline) {
                ::shutdown(m_socket, SHUT_RDWR);
                m_fired = m_stopSeen ? OnStop : AtDeadline;
                m_armed = false;
            }
        }
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    bool m_armed = false;
    bool m_stopSeen = false;
    int m_socket = -1;
    Steady::time_point m_deadline;
    std::atomic<Fired> m_fired{None};
    std::thread m_thread;
};

void RecordDatabase::setStopCheck(std::function<bool()> stopRequested) {
    stopCheck() = std::move(stopRequested);
}

void RecordDatabase::setLimitMs(int ms) {
    budget().limitMs = ms > 0 ? ms : kDefaultLimitMs;
}

int RecordDatabase::limitMs() {
    return budget().limitMs;
}

int RecordDatabase::limitSeconds() {
    return (budget().limitMs + 999) / 1000;
}

void RecordDatabase::setClock(const Clock* clock) {
    budget().clock = clock;
}

qint64 RecordDatabase::remainingMs() {
    Budget& b = budget();
    const qint64 now = nowMs();
    qint64 left =
        b.limitMs - (b.scopes > 0 ? b.spentMs : 0) - (b.depth > 0 ? now - b.operationStartMs : 0);
    if (b.depth > 0 && stopRequested()) {
        if (b.stopSeenMs < 0)
            b.stopSeenMs = now;
        left = std::min(left, b.stopSeenMs + kStopGraceMs - now);
    }
    return left;
}

RecordDatabase::CommandScope::CommandScope() {
    if (budget().scopes++ == 0)
        budget().spentMs = 0;
}

RecordDatabase::CommandScope::~CommandScope() {
    --budget().scopes;
}

RecordDatabase::Spend::Spend(RecordDatabase& database) : m_database(database) {
    Budget& b = budget();
    if (b.depth++ == 0) {
        b.operationStartMs = nowMs();
        b.stopSeenMs = stopRequested() ? b.operationStartMs : -1;
    }
}

RecordDatabase::Spend::~Spend() {
    Budget& b = budget();
    if (--b.depth > 0)
        return;
    if (b.scopes > 0)
        b.spentMs += nowMs() - b.operationStartMs;
    if (m_database.m_watchdog)
        m_database.m_watchdog->disarm();
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

void RecordDatabase::checkDeadline() const {
    if (remainingMs() > 0)
        return;
    if (stopRequested())
        throw OperationError(recordtexts::stoppedWaiting(m_url.displayText()), ErrorKind::Record);
    throw OperationError(recordtexts::noAnswerWithin(m_url.displayText(), limitSeconds()),
                         ErrorKind::Record);
}

void RecordDatabase::open(bool readOnly, bool immutable) {
    if (isOpen())
        return;
    Spend spend(*this);
    checkDeadline();
    openOnce(readOnly, immutable);
}

void RecordDatabase::openOnce(bool readOnly, bool immutable) {
    const QString driver = driverName(m_url);
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw OperationError(recordtexts::noDriver(driver), ErrorKind::Record);
    QSqlDatabase database = QSqlDatabase::contains(m_name)
                                ? QSqlDatabase::database(m_name, false)
                                : QSqlDatabase::addDatabase(driver, m_name);
    qint64 connectSeconds = 0;
    if (m_url.isPostgres()) {
        static const bool quiet = [] {
            g_nextHandler = qInstallMessageHandler(quietDriver);
            return true;
        }();
        Q_UNUSED(quiet);
        if (!m_watchdog)
            m_watchdog = std::make_unique<Watchdog>();
        database.setHostName(m_url.host);
        if (m_url.port >= 0)
            database.setPort(m_url.port);
        database.setUserName(m_url.user);
        database.setPassword(m_url.password);
        database.setDatabaseName(m_url.database);
        // Every wait has an end: the connection (libpq counts whole seconds,
        // at least 2), a lock (one slice, then the transaction runs again), a
        // statement, and a server that vanished without closing the
        // connection (keepalives; the watchdog for one that stalls). An empty
        // password leaves libpq to PGPASSWORD and the password file.
        connectSeconds = std::max<qint64>(2, (remainingMs() + 999) / 1000);
        database.setConnectOptions(
            QStringLiteral("connect_timeout=%1;keepalives=1;keepalives_idle=10;"
                           "keepalives_interval=5;keepalives_count=3;"
                           "options='-c lock_timeout=%2 -c statement_timeout=%3'")
                .arg(connectSeconds)
                .arg(kLockSliceMs)
                .arg(limitMs()));
    } else {
        // A file that is only read, and whose write-ahead index cannot be
        // made beside it, is opened as immutable through SQLite's URI form.
        database.setDatabaseName(
            immutable ? QStringLiteral("file:") +
                            QString::fromLatin1(QUrl::toPercentEncoding(m_url.path, "/")) +
                            QStringLiteral("?immutable=1")
                      : m_url.path);
        // Stations sharing one file queue for the write lock, a slice at a time.
        database.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockSliceMs) +
            (readOnly || immutable ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()) +
            (immutable ? QStringLiteral(";QSQLITE_OPEN_URI") : QString()));
    }
    if (!database.open()) {
        const QSqlError error = database.lastError();
        if (!m_url.isPostgres())
            fail(error);
        QString detail = error.text();
        if (detail.contains(u"timeout expired", Qt::CaseInsensitive))
            detail += u'\n' + recordtexts::connectLimit(int(connectSeconds));
        throw OperationError(recordtexts::unreachable(m_url.displayText(), detail),
                             ErrorKind::Record);
    }
    if (!m_url.isPostgres())
        exec(QStringLiteral("PRAGMA foreign_keys = ON"));
}

void RecordDatabase::waitedForLock() const {
    if (remainingMs() > 0)
        return;
    if (stopRequested())
        throw OperationError(recordtexts::lockWaitStopped(m_url.displayText()), ErrorKind::Record);
    throw OperationError(recordtexts::locked(m_url.displayText(), limitSeconds()),
                         ErrorKind::Record);
}

void RecordDatabase::runTransaction(const std::function<void()>& body) {
    if (m_inTransaction) {  // already inside one: its own retry covers this part
        body();
        return;
    }
    Spend spend(*this);
    for (;;) {
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
            waitedForLock();
        } catch (...) {
            if (m_inTransaction)
                rollback();
            m_inTransaction = false;
            throw;
        }
    }
}

QSqlQuery RecordDatabase::exec(const QString& sql, const QVariantList& values) {
    Spend spend(*this);
    for (;;) {
        try {
            return execOnce(sql, values);
        } catch (const LockBusy&) {
            if (m_inTransaction)
                throw;
            waitedForLock();
        }
    }
}

QSqlQuery RecordDatabase::execOnce(const QString& sql, const QVariantList& values) {
    open();
    checkDeadline();
    if (m_watchdog && !m_watchdog->armed()) {
        m_watchdog->clear();
        if (const int socket = socketOf(db()); socket >= 0)
            m_watchdog->arm(socket, remainingMs());
    }
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
    Spend spend(*this);
    for (;;) {
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
            waitedForLock();
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
    // SQLite takes the write lock at the first write unless told at BEGIN;
    // taking it late can fail without waiting. PostgreSQL locks rows.
    execOnce(m_url.isPostgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), {});
}

void RecordDatabase::probeWrite(const QString& sql) {
    Spend spend(*this);
    for (;;) {
        try {
            beginWrite();
        } catch (const LockBusy&) {
            waitedForLock();
            continue;
        }
        try {
            execOnce(sql, {});
        } catch (const LockBusy&) {
            rollback();
            waitedForLock();
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
    execOnce(QStringLiteral("COMMIT"), {});
}

void RecordDatabase::rollback() {
    if (!isOpen())
        return;  // a connection cut off takes its transaction with it
    QSqlQuery query(db());
    query.exec(QStringLiteral("ROLLBACK"));  // nothing more to do if this fails too
}

void RecordDatabase::fail(const QSqlError& error) const {
    const QString where = m_url.displayText();
    // The watchdog cut a stalled connection: that is what the user hears of.
    if (m_watchdog && m_watchdog->fired() != Watchdog::None) {
        const bool stopped = m_watchdog->fired() == Watchdog::OnStop;
        m_watchdog->clear();
        db().close();
        if (stopped)
            throw OperationError(recordtexts::stoppedWaiting(where), ErrorKind::Record);
        throw OperationError(recordtexts::noAnswerWithin(where, limitSeconds()), ErrorKind::Record);
    }
    const Fault fault = m_url.isPostgres() ? postgresFault(error) : sqliteFault(error);
    switch (fault) {
        case Fault::LockBusy:
            throw LockBusy(recordtexts::locked(where, limitSeconds()), ErrorKind::Record);
        case Fault::StatementTimeout:
            throw OperationError(recordtexts::noAnswerWithin(where, limitSeconds()),
                                 ErrorKind::Record);
        case Fault::Corrupt:
            throw OperationError(recordtexts::corrupt(where, error.databaseText()),
                                 ErrorKind::Record);
        case Fault::DiskFull:
            throw OperationError(recordtexts::diskFull(where) + u'\n' + error.text(),
                                 ErrorKind::Record);
        case Fault::ReadOnly:
            throw OperationError(recordtexts::readOnly(where) + u'\n' + error.text(),
                                 ErrorKind::Record);
        case Fault::Permission:
            throw OperationError(recordtexts::permissionDenied(where, error.text()),
                                 ErrorKind::Record);
        case Fault::Constraint:
            throw OperationError(recordtexts::constraintRefused(where, error.text()),
                                 ErrorKind::Record);
        case Fault::ConnectionLost:
            db().close();  // the next command connects again
            throw OperationError(recordtexts::connectionLost(where, error.text()),
                                 ErrorKind::Record);
        case Fault::Other:
            break;
    }
    if (error.type() == QSqlError::ConnectionError || !isOpen())
        throw OperationError(recordtexts::unreachable(where, error.text()), ErrorKind::Record);
    throw OperationError(recordtexts::writeFailed(error.text()), ErrorKind::Record);
}

}  // namespace kv
