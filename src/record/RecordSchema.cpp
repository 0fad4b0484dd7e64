// SPDX-License-Identifier: MIT
#include "record/RecordSchema.h"

#include <QSqlDatabase>
#include <QStringList>

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordTexts.h"

namespace kv {

namespace {

// The columns of table passes in version 1 after its id; "{results}" stands
// for the results the CHECK allows.
const char kPassColumnsV1[] =
    " started_at TEXT NOT NULL, finished_at TEXT NOT NULL,"
    " station TEXT NOT NULL, port TEXT, device TEXT,"
    " model TEXT, signature TEXT,"
    " result TEXT NOT NULL CHECK (result IN ({results})),"
    " end_reason TEXT,"
    " serial_sequence TEXT, serial BIGINT,"
    " flash_file TEXT, flash_size BIGINT, flash_sha256 TEXT,"
    " eeprom_file TEXT, eeprom_size BIGINT, eeprom_sha256 TEXT,"
    " fuses_written TEXT, fuses_read TEXT,"
    " lock_written TEXT, lock_read TEXT,"
    " calibration_value INTEGER, calibration_target TEXT";
const char kColumnNamesV1[] =
    "id, started_at, finished_at, station, port, device, model, signature, result,"
    " end_reason, serial_sequence, serial, flash_file, flash_size, flash_sha256,"
    " eeprom_file, eeprom_size, eeprom_sha256, fuses_written, fuses_read,"
    " lock_written, lock_read, calibration_value, calibration_target";
// Added in version 2: what makes a row traceable and its upload repeatable.
const char* const kColumnsV2[] = {
    "pass_uid TEXT",         "host TEXT",          "pid BIGINT",
    "process_token TEXT",    "gang_run TEXT",      "gang_socket INTEGER",
    "scheme_name TEXT",      "scheme_sha256 TEXT", "program_version TEXT",
    "firmware_version TEXT", "operator_name TEXT", "lot TEXT",
    "spoiled_serial BIGINT"};

QString passTable(const QString& name, const char* results, bool withV2) {
    QString sql = QStringLiteral("CREATE TABLE %1 ( id {id},").arg(name) +
                  QString::fromLatin1(kPassColumnsV1)
                      .replace(QStringLiteral("{results}"), QString::fromLatin1(results));
    if (withV2) {
        for (const char* column : kColumnsV2)
            sql += QStringLiteral(", ") + QLatin1String(column);
    }
    return sql + u')';
}

// Statements of each step, SQL that SQLite and PostgreSQL both accept unless
// the backend is named. "{id}" stands for the self-numbering key. Times are
// ISO 8601 text in UTC with milliseconds, which sorts as time does in both.
QStringList stepStatements(int version, bool postgres) {
    switch (version) {
        case 1:
            return {
                passTable(QStringLiteral("passes"), "'pass', 'fail'", false),
                QStringLiteral("CREATE INDEX passes_started ON passes (started_at, id)"),
                QStringLiteral("CREATE INDEX passes_serial ON passes (serial)"),
                QStringLiteral("CREATE TABLE pass_steps ("
                               " pass_id BIGINT NOT NULL REFERENCES passes (id),"
                               " position INTEGER NOT NULL, name TEXT NOT NULL,"
                               " result TEXT NOT NULL, duration_ms BIGINT NOT NULL,"
                               " detail TEXT, PRIMARY KEY (pass_id, position))"),
                QStringLiteral("CREATE TABLE pass_log ("
                               " pass_id BIGINT NOT NULL REFERENCES passes (id),"
                               " position INTEGER NOT NULL, line TEXT NOT NULL,"
                               " PRIMARY KEY (pass_id, position))"),
                QStringLiteral("CREATE TABLE serial_sequences ("
                               " name TEXT PRIMARY KEY, start_value BIGINT NOT NULL,"
                               " step BIGINT NOT NULL, width INTEGER NOT NULL,"
                               " format TEXT NOT NULL, target TEXT NOT NULL,"
                               " address BIGINT NOT NULL, next_value BIGINT NOT NULL)"),
                QStringLiteral("CREATE TABLE serial_numbers ("
                               " sequence TEXT NOT NULL REFERENCES serial_sequences (name),"
                               " value BIGINT NOT NULL,"
                               " state TEXT NOT NULL CHECK (state IN ('taken', 'used', 'spoiled')),"
                               " station TEXT, taken_at TEXT NOT NULL, pass_id BIGINT,"
                               " note TEXT, PRIMARY KEY (sequence, value))"),
            };
        case 2: {
            const char* results = "'started', 'pass', 'fail', 'stopped'";
            QStringList statements;
            if (postgres) {
                statements
                    << QStringLiteral(
                           "ALTER TABLE passes DROP CONSTRAINT IF EXISTS passes_result_check")
                    << QStringLiteral(
                           "ALTER TABLE passes ADD CONSTRAINT passes_result_check"
                           " CHECK (result IN (%1))")
                           .arg(QLatin1String(results));
                for (const char* column : kColumnsV2)
                    statements << QStringLiteral("ALTER TABLE passes ADD COLUMN ") +
                                      QLatin1String(column);
            } else {
                // SQLite changes no CHECK in place: the table is copied into
                // its new form (the steps' references follow the name).
                statements << passTable(QStringLiteral("passes_v2"), results, true)
                           << QStringLiteral("INSERT INTO passes_v2 (%1) SELECT %1 FROM passes")
                                  .arg(QLatin1String(kColumnNamesV1))
                           << QStringLiteral("DROP TABLE passes")
                           << QStringLiteral("ALTER TABLE passes_v2 RENAME TO passes")
                           << QStringLiteral(
                                  "CREATE INDEX passes_started ON passes (started_at, id)")
                           << QStringLiteral("CREATE INDEX passes_serial ON passes (serial)");
            }
            // A failed pass's number was never in a chip: it moves to its own column.
            // Each run looks for rows still "started".
            statements << QStringLiteral("CREATE UNIQUE INDEX passes_uid ON passes (pass_uid)")
                       << QStringLiteral("CREATE INDEX passes_result ON passes (result)")
                       << QStringLiteral(
                              "UPDATE passes SET spoiled_serial = serial, serial = NULL"
                              " WHERE result <> 'pass' AND serial IS NOT NULL AND EXISTS"
                              " (SELECT 1 FROM serial_numbers s WHERE s.sequence ="
                              " passes.serial_sequence AND s.value = passes.serial"
                              " AND s.state = 'spoiled')");
            return statements;
        }
        default:
            return {};
    }
}

void createVersionTable(RecordDatabase& database) {
    // Two stations starting on an empty server may race to create it; the
    // loser finds it made by the other.
    for (int attempt = 0;; ++attempt) {
        if (database.db().tables().contains(QStringLiteral("schema_version")))
            return;
        try {
            database.exec(QStringLiteral(
                "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
            return;
        } catch (const OperationError&) {
            if (attempt >= 3)
                throw;
        }
    }
}

// Tables without our version table: another program's database, which a
// record would change (journal mode, new tables) if taken for an empty one.
// A SQLite file is ours alone; a PostgreSQL database may be shared, so there
// only our own table names count.
bool isForeign(RecordDatabase& database) {
    const QStringList tables = database.db().tables();
    if (tables.contains(QStringLiteral("schema_version")))
        return false;
    static const QStringList ours = {QStringLiteral("passes"), QStringLiteral("pass_steps"),
                                     QStringLiteral("pass_log"), QStringLiteral("serial_sequences"),
                                     QStringLiteral("serial_numbers")};
    for (const QString& table : tables) {
        if (database.isPostgres() ? ours.contains(table) : !table.startsWith(u"sqlite_"))
            return true;
    }
    return false;
}

// The write-ahead log lets the viewer read while a station writes, and a
// commit costs one flush instead of three; the mode stays with the file. The
// switch needs the file to itself, and a connection that reads while another
// writes is refused at once rather than made to wait: so wait for the writer
// (bounded, stoppable) and try again. A file that keeps its old mode still
// works, and the next open tries again.
void useWriteAheadLog(RecordDatabase& database) {
    for (int tries = 1; tries <= RecordDatabase::kLockTries; ++tries) {
        try {
            const QString mode = database.scalar(QStringLiteral("PRAGMA journal_mode")).toString();
            if (mode.compare(u"wal", Qt::CaseInsensitive) == 0 ||
                database.scalar(QStringLiteral("PRAGMA journal_mode = WAL"))
                        .toString()
                        .compare(u"wal", Qt::CaseInsensitive) == 0)
                return;
        } catch (const OperationError&) {
            if (tries == RecordDatabase::kLockTries)
                return;
        }
        database.inWriteTransaction([] {});
    }
}

}  // namespace

int RecordSchema::storedVersion(RecordDatabase& database) {
    database.open();
    if (!database.db().tables().contains(QStringLiteral("schema_version")))
        return 0;
    return database.scalar(QStringLiteral("SELECT MAX(version) FROM schema_version")).toInt();
}

void RecordSchema::bringUpToDate(RecordDatabase& database) {
    const int found = storedVersion(database);
    if (found > kVersion)
        throw OperationError(recordtexts::newerSchema(found, kVersion), ErrorKind::Record);
    if (found < kVersion)
        createOrMigrate(database, found);
    // A file this program made; one whose mode someone chose is left so.
    if (found == 0 && !database.isPostgres())
        useWriteAheadLog(database);
}

void RecordSchema::checkReadable(RecordDatabase& database) {
    const int found = storedVersion(database);
    if (found > kVersion)
        throw OperationError(recordtexts::newerSchema(found, kVersion), ErrorKind::Record);
    if (found == 0 && isForeign(database))
        throw OperationError(recordtexts::foreign(database.url().displayText()), ErrorKind::Record);
}

void RecordSchema::createOrMigrate(RecordDatabase& database, int found) {
    if (found == 0 && isForeign(database))
        throw OperationError(recordtexts::foreign(database.url().displayText()), ErrorKind::Record);
    // Two PostgreSQL sessions creating one table at once may both fail; SQLite
    // creates it inside the transaction below, whose lock admits one at a time.
    if (database.isPostgres())
        createVersionTable(database);
    // SQLite copies the passes table to change it; the steps' references to
    // it would refuse the copy's DROP. The setting holds outside transactions only.
    const bool copiesTable = !database.isPostgres() && found < 2;
    if (copiesTable)
        database.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    struct ForeignKeysBack {
        RecordDatabase& database;
        bool on;
        ~ForeignKeysBack() {
            if (on) {
                try {
                    database.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
                } catch (const OperationError&) {
                }
            }
        }
    } foreignKeysBack{database, copiesTable};
    database.inWriteTransaction([&] {
        if (database.isPostgres()) {
            database.exec(QStringLiteral("LOCK TABLE schema_version IN EXCLUSIVE MODE"));
        } else {
            database.exec(QStringLiteral(
                "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
        }
        // Another station may have migrated while this one waited for the lock.
        const int version =
            database.scalar(QStringLiteral("SELECT MAX(version) FROM schema_version")).toInt();
        if (version > kVersion)
            throw OperationError(recordtexts::newerSchema(version, kVersion), ErrorKind::Record);
        for (int step = version + 1; step <= kVersion; ++step) {
            for (QString sql : stepStatements(step, database.isPostgres()))
                database.exec(sql.replace(QStringLiteral("{id}"), database.idColumnType()));
        }
        if (version < kVersion) {
            database.exec(QStringLiteral("DELETE FROM schema_version"));
            database.exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"),
                          {kVersion});
        }
    });
}

}  // namespace kv
