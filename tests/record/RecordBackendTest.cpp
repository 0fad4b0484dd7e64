// SPDX-License-Identifier: MIT
// What must hold on both backends: exact round trips, serial numbers under
// concurrency, refusal of a newer schema. The Postgres/ instances run against
// the throwaway server of the CTest fixture.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>

#include "core/OperationError.h"
#include "record/ProcessIdentity.h"
#include "record/RecordDatabase.h"
#include "record/RecordSchema.h"
#include "record/RecordSpool.h"
#include "record/RecordStore.h"
#include "record/SerialNumbers.h"
#include "tests/record/RecordRig.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {
namespace {

class RecordBackendTest : public ::testing::TestWithParam<Backend> {
protected:
    FreshDatabase fresh{GetParam()};
};

TEST_P(RecordBackendTest, PassAndPartWayFailureRoundTripExactly) {
    RecordStore store(fresh.url());
    store.ensureReachable();
    PassRecord pass = passingRecord();
    pass.passUid = QStringLiteral("1f0c1c36-5ad4-4a8e-9f59-0d3c2f1a9b01");
    PassRecord failed = failedRecord();
    pass.id = store.append(pass);
    failed.id = store.append(failed);

    RecordStore reader(fresh.url());  // a second connection, as the viewer has
    EXPECT_EQ(reader.load(pass.id), pass);
    EXPECT_EQ(reader.load(failed.id), failed);
    const QList<PassRecord> newestFirst = reader.list({}, 0, 10);
    ASSERT_EQ(newestFirst.size(), 2);
    EXPECT_EQ(newestFirst[0].id, failed.id);
    EXPECT_EQ(newestFirst[1].id, pass.id);

    // The columns other tools read from "passes", in their plain SQL form.
    QSqlQuery row = reader.database().exec(QStringLiteral(
        "SELECT started_at, finished_at, station, port, model, signature, result, serial,"
        " flash_sha256, eeprom_sha256, fuses_written, fuses_read, lock_written"
        " FROM passes ORDER BY started_at"));
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(0).toString(), u"2024-03-01T08:00:00.125Z");
    EXPECT_EQ(row.value(6).toString(), u"pass");
    EXPECT_TRUE(row.value(7).isNull());
    // sha256sum of the four bytes 0C 94 00 01
    EXPECT_EQ(row.value(8).toString(),
              u"aa79f6e890050cea519c7b203b957565d76a8be5822782ab542af504223f1d6a");
    EXPECT_EQ(row.value(10).toString(), u"E1 D9");
    EXPECT_EQ(row.value(12).toString(), u"FC");
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(6).toString(), u"fail");
    EXPECT_TRUE(row.value(9).isNull());   // no EEPROM image in the failed pass
    EXPECT_TRUE(row.value(12).isNull());  // nor a lock byte
}

// The viewer finds a serial number as typed, or every number it begins.
TEST_P(RecordBackendTest, SerialNumbersFilterExactlyOrByLeadingDigits) {
    RecordStore store(fresh.url());
    QList<std::optional<qint64>> serials = {120, 12, 1205, 99, 312, std::nullopt};
    for (const auto& serial : serials) {
        PassRecord r = passingRecord();
        r.serial = serial;
        store.append(r);
    }
    RecordFilter exact;
    exact.serial = 12;
    EXPECT_EQ(store.count(exact), 1);
    RecordFilter prefix;
    prefix.serialPrefix = QStringLiteral("12");
    EXPECT_EQ(store.count(prefix), 3);
    QList<qint64> listed;
    for (const PassRecord& r : store.list(prefix, 0, 10))
        listed << r.serial.value_or(-1);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, QList<qint64>({12, 120, 1205}));
}

TEST_P(RecordBackendTest, FourProcessesTakeDistinctConsecutiveSerials) {
    {
        RecordStore store(fresh.url());
        SerialNumbers(store).define({QStringLiteral("board"), 5000, 1, 4,
                                     SerialScheme::Format::BinaryLittleEndian,
                                     SerialScheme::Target::Eeprom, 0x1F0});
    }
    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < 4; ++i) {
        auto child = std::make_unique<QProcess>();
        child->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--take-serials"), fresh.url(), QStringLiteral("board"),
                      QStringLiteral("250"), QStringLiteral("station%1").arg(i)});
        children.push_back(std::move(child));
    }
    QList<qint64> taken;
    for (auto& child : children) {
        ASSERT_TRUE(child->waitForFinished(240000));
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
        const QList<QByteArray> lines = child->readAllStandardOutput().trimmed().split('\n');
        EXPECT_EQ(lines.size(), 250);
        for (const QByteArray& line : lines)
            taken << line.toLongLong();
    }
    std::sort(taken.begin(), taken.end());
    ASSERT_EQ(taken.size(), 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(taken[i], 5000 + i) << "at " << i;

    RecordStore store(fresh.url());
    EXPECT_EQ(store.database()
                  .scalar(QStringLiteral("SELECT COUNT(DISTINCT station) FROM serial_numbers"
                                         " WHERE state = 'taken'"))
                  .toInt(),
              4);
    EXPECT_EQ(SerialNumbers(store).takeNext(QStringLiteral("board"), QStringLiteral("x")), 6000);
}

// Stations started together on a record nobody has opened yet: each creates
// the tables or finds them made, none is refused.
TEST_P(RecordBackendTest, StationsStartingTogetherOnANewRecordAllGetIn) {
    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < 8; ++i) {
        children.push_back(std::make_unique<QProcess>());
        children.back()->start(QCoreApplication::applicationFilePath(),
                               {QStringLiteral("--append"), fresh.url()});
    }
    QSet<qint64> ids;
    for (auto& child : children) {
        ASSERT_TRUE(child->waitForFinished(120000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
        ids << child->readAllStandardOutput().trimmed().toLongLong();
    }
    EXPECT_EQ(ids.size(), 8);
    RecordStore store(fresh.url());
    EXPECT_EQ(store.count({}), 8);
    if (GetParam() == Backend::Sqlite) {
        EXPECT_EQ(store.database().scalar(QStringLiteral("PRAGMA journal_mode")).toString(),
                  u"wal");
    }
}

// A lock another connection holds (a station mid-pass, a tool's SELECT ...
// FOR UPDATE) ends the wait at its limit, which the message names, or at the
// next slice once a stop is asked for. Nothing is taken meanwhile.
TEST_P(RecordBackendTest, AHeldLockEndsTheWaitAtItsLimitOrOnStop) {
    RecordStore store(fresh.url());
    SerialNumbers serials(store);
    serials.define({QStringLiteral("board"), 5000, 1, 4, SerialScheme::Format::BinaryLittleEndian,
                    SerialScheme::Target::Eeprom, 0x1F0});
    RecordStore holder(fresh.url());
    holder.open();
    if (GetParam() == Backend::Sqlite) {
        holder.database().exec(QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        holder.database().exec(QStringLiteral("BEGIN"));
        holder.database().exec(QStringLiteral(
            "SELECT next_value FROM serial_sequences WHERE name = 'board' FOR UPDATE"));
    }
    const auto refusal = [&] {
        try {
            serials.takeNext(QStringLiteral("board"), QStringLiteral("a"));
        } catch (const OperationError& e) {
            return e.text();
        }
        return QStringLiteral("(a number was taken)");
    };
    const QString where = store.database().url().displayText();
    // A limit of its own, to keep the test short; the message names it.
    RecordDatabase::setLimitMs(1000);
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(refusal(), QStringLiteral("生产记录数据库 %1 被其他连接锁定，等待 %2 秒后仍未释放，"
                                        "本次未作改动。")
                             .arg(where)
                             .arg(1));
    EXPECT_GE(waited.elapsed(), 1000);
    RecordDatabase::setLimitMs(0);
    // Stopped, the wait ends within a grace, well before the limit.
    int checks = 0;
    RecordDatabase::setStopCheck([&] { return ++checks > 3; });
    waited.restart();
    EXPECT_EQ(refusal(),
              QStringLiteral("等待生产记录数据库 %1 的锁时已停止，本次未作改动。").arg(where));
    EXPECT_LT(waited.elapsed(), RecordDatabase::kDefaultLimitMs);
    RecordDatabase::setStopCheck({});
    holder.database().exec(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(serials.takeNext(QStringLiteral("board"), QStringLiteral("a")), 5000);
}

// Each kind of refusal has its own words: a row the tables refuse, a user
// without the right, a connection the server ended.
TEST_P(RecordBackendTest, ErrorsAreToldByKind) {
    RecordStore store(fresh.url());
    store.open();
    RecordDatabase& db = store.database();
    const QString where = db.url().displayText();
    const auto thrown = [](const std::function<void()>& fn) {
        try {
            fn();
        } catch (const OperationError& e) {
            return e.text();
        }
        return QStringLiteral("(nothing thrown)");
    };
    const QString insert = QStringLiteral(
        "INSERT INTO serial_sequences (name, start_value, step, width, format, target,"
        " address, next_value) VALUES ('s', 1, 1, 2, 'decimal', 'eeprom', 0, 1)");
    db.exec(insert);
    EXPECT_TRUE(
        thrown([&] { db.exec(insert); })
            .startsWith(
                QStringLiteral("生产记录数据库 %1 拒绝了这条记录（违反表的约束）。\n").arg(where)));
    if (GetParam() != Backend::Postgres)
        return;
    const QString role = QStringLiteral("kv_reader_%1").arg(QCoreApplication::applicationPid());
    db.exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
    RecordUrl asReader = db.url();
    asReader.user = role;
    RecordDatabase reader(asReader);
    EXPECT_TRUE(
        thrown([&] { reader.exec(QStringLiteral("INSERT INTO schema_version VALUES (9)")); })
            .startsWith(QStringLiteral("生产记录数据库 %1 拒绝了本用户的操作（没有权限）。\n")
                            .arg(asReader.displayText())));
    const qint64 backend = reader.scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong();
    db.exec(QStringLiteral("SELECT pg_terminate_backend(?)"), {backend});
    EXPECT_TRUE(thrown([&] { reader.exec(QStringLiteral("SELECT 1")); })
                    .startsWith(QStringLiteral("与生产记录数据库 %1 的连接已断开。\n")
                                    .arg(asReader.displayText())));
}

TEST_P(RecordBackendTest, SpoiledNumbersAreNeverReusedAndUsedOnesNameTheirRecord) {
    RecordStore store(fresh.url());
    SerialNumbers serials(store);
    serials.define({QStringLiteral("s"), 254, 1, 1, SerialScheme::Format::BinaryBigEndian,
                    SerialScheme::Target::Flash, 0x1FFE});
    const qint64 first = serials.takeNext(QStringLiteral("s"), QStringLiteral("a"));
    serials.markSpoiled(QStringLiteral("s"), first, QStringLiteral("EEPROM write failed"));
    const qint64 second = serials.takeNext(QStringLiteral("s"), QStringLiteral("a"));
    EXPECT_EQ(first, 254);
    EXPECT_EQ(second, 255);

    PassRecord record = passingRecord();
    record.serialSequence = QStringLiteral("s");
    record.serial = second;
    const qint64 id = store.append(record);
    EXPECT_EQ(serials.state(QStringLiteral("s"), first), SerialNumbers::State::Spoiled);
    EXPECT_EQ(serials.state(QStringLiteral("s"), second), SerialNumbers::State::Used);
    RecordFilter bySerial;
    bySerial.serial = 255;
    EXPECT_EQ(store.list(bySerial, 0, 5).value(0).id, id);

    // One byte holds no 256: refused, and the sequence does not move past it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            serials.takeNext(QStringLiteral("s"), QStringLiteral("a"));
            ADD_FAILURE() << "256 does not fit one byte";
        } catch (const OperationError& e) {
            EXPECT_EQ(e.text(), u"序列号 s 已用尽：256 超出设定的宽度。");
        }
    }
    EXPECT_EQ(serials.state(QStringLiteral("s"), 256), SerialNumbers::State::Unknown);
}

TEST_P(RecordBackendTest, NewerSchemaIsRefusedAndLeftUntouched) {
    {
        RecordStore store(fresh.url());
        store.ensureReachable();
        store.database().exec(QStringLiteral("UPDATE schema_version SET version = 99"));
        store.database().exec(QStringLiteral("DROP TABLE pass_log"));
    }
    RecordStore store(fresh.url());
    try {
        store.ensureReachable();
        FAIL() << "a newer schema was accepted";
    } catch (const OperationError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("生产记录数据库的版本（99）比本程序所支持的（%1）新，"
                                           "请使用新版程序。数据库未作改动。")
                                .arg(RecordSchema::kVersion));
    }
    EXPECT_THROW(store.append(passingRecord()), OperationError);
    EXPECT_EQ(RecordSchema::storedVersion(store.database()), 99);
    EXPECT_FALSE(store.database().db().tables().contains(QStringLiteral("pass_log")));
}

// A row is written before the first byte and finished once: the end replaces
// it, a repeated upload (its answer lost) changes nothing, and a row whose
// process is gone reads "interrupted" with its number spoiled.
TEST_P(RecordBackendTest, StartedRowIsFinishedOnceOrShownInterrupted) {
    RecordStore store(fresh.url());
    SerialNumbers serials(store);
    serials.define({QStringLiteral("board"), 7000, 1, 4, SerialScheme::Format::BinaryLittleEndian,
                    SerialScheme::Target::Eeprom, 0x10});
    const qint64 written = serials.takeNext(QStringLiteral("board"), QStringLiteral("st"));
    const qint64 lost = serials.takeNext(QStringLiteral("board"), QStringLiteral("st"));

    PassRecord started = passingRecord();
    started.passUid = QStringLiteral("6a1c0e52-0000-4000-8000-00000000000a");
    started.result = QStringLiteral("started");
    started.steps.clear();
    started.log.clear();
    started.host = processidentity::localHost();
    started.pid = processidentity::currentPid();
    started.processToken = processidentity::currentToken();
    started.serialSequence = QStringLiteral("board");
    started.spoiledSerial = written;
    const qint64 id = store.append(started);
    // The same process id after a restart has another start token.
    PassRecord dead = started;
    dead.passUid = QStringLiteral("6a1c0e52-0000-4000-8000-00000000000b");
    dead.processToken = QStringLiteral("another-boot/1");
    dead.spoiledSerial = lost;
    const qint64 deadId = store.append(dead);
    // Another station's row is interrupted only once it is older than any pass.
    PassRecord foreign = dead;
    foreign.passUid = QStringLiteral("6a1c0e52-0000-4000-8000-00000000000c");
    foreign.host = QStringLiteral("other-station");
    foreign.spoiledSerial.reset();
    const QDateTime now(QDate(2026, 3, 2), QTime(9, 30), Qt::UTC);
    RecordStore::setWallClock([now] { return now; });
    foreign.startedAt = now.addSecs(-60);
    const qint64 recentId = store.append(foreign);
    foreign.passUid = QStringLiteral("6a1c0e52-0000-4000-8000-00000000000d");
    foreign.startedAt = now.addDays(-1);
    const qint64 oldId = store.append(foreign);

    EXPECT_EQ(store.load(id).result, u"started");
    EXPECT_EQ(store.load(deadId).result, u"interrupted");
    EXPECT_EQ(store.load(recentId).result, u"started");
    EXPECT_EQ(store.load(oldId).result, u"interrupted");
    EXPECT_TRUE(store.exportCsv({}).contains(",interrupted,"));
    RecordStore::setWallClock({});
    store.settleInterrupted();
    EXPECT_EQ(serials.state(QStringLiteral("board"), lost), SerialNumbers::State::Spoiled);
    EXPECT_EQ(serials.state(QStringLiteral("board"), written), SerialNumbers::State::Taken);

    PassRecord finished = passingRecord();
    finished.passUid = started.passUid;
    finished.serialSequence = QStringLiteral("board");
    finished.serial = written;
    EXPECT_EQ(store.append(finished), id);
    EXPECT_EQ(store.append(finished), id);
    finished.id = id;
    EXPECT_EQ(store.load(id), finished);
    EXPECT_EQ(store.count({}), 4);
    EXPECT_EQ(serials.state(QStringLiteral("board"), written), SerialNumbers::State::Used);

    // A stopped command keeps its own result.
    PassRecord stopped = failedRecord();
    stopped.result = QStringLiteral("stopped");
    stopped.id = store.append(stopped);
    EXPECT_EQ(store.load(stopped.id), stopped);
}

// Records that waited in the spool go up once each: a flush cut off after
// an upload keeps the rest, and a line uploaded twice leaves one row.
TEST_P(RecordBackendTest, SpoolUploadsEachRecordOnce) {
    QTemporaryDir dir;
    RecordSpool spool(dir.filePath(QStringLiteral("spool.jsonl")));
    PassRecord a = passingRecord();
    a.passUid = QStringLiteral("5e0c8a51-0000-4000-8000-0000000000a1");
    PassRecord b = failedRecord();
    b.passUid = QStringLiteral("5e0c8a51-0000-4000-8000-0000000000b2");
    b.result = QStringLiteral("stopped");
    PassRecord elsewhere = passingRecord();
    elsewhere.passUid = QStringLiteral("5e0c8a51-0000-4000-8000-0000000000c3");
    spool.append(fresh.url(), a);
    spool.append(QStringLiteral("sqlite:/another/record.sqlite"), elsewhere);
    spool.append(fresh.url(), b);

    RecordStore store(fresh.url());
    int calls = 0;
    EXPECT_THROW(spool.flush(fresh.url(),
                             [&](const PassRecord& r) {
                                 if (++calls == 2)
                                     throw OperationError(QStringLiteral("gone"),
                                                          ErrorKind::Record);
                                 store.append(r);
                             }),
                 OperationError);
    EXPECT_EQ(spool.count(fresh.url()), 1);
    spool.append(fresh.url(), a);  // as if the file had not been rewritten
    const RecordSpool::Flushed flushed =
        spool.flush(fresh.url(), [&](const PassRecord& r) { store.append(r); });
    EXPECT_EQ(flushed.uploaded, 2);
    EXPECT_EQ(flushed.waiting, 1);
    EXPECT_EQ(spool.count(fresh.url()), 0);
    EXPECT_EQ(spool.count(QStringLiteral("sqlite:/another/record.sqlite")), 1);

    const QList<PassRecord> rows = store.list({}, 0, 10);
    ASSERT_EQ(rows.size(), 2);
    for (PassRecord want : {b, a}) {
        const qint64 id = rows[want.passUid == b.passUid ? 0 : 1].id;
        want.id = id;
        EXPECT_EQ(store.load(id), want) << "every field through the spool's line";
    }
}

// A record of the first schema version is brought forward in place: its rows
// read as before, a failed pass's number moves to the spoiled column, and
// the new results and columns are taken.
TEST_P(RecordBackendTest, VersionOneRecordIsUpgradedInPlace) {
    {
        RecordDatabase db(RecordUrl::parse(fresh.url()));
        const QString id = db.idColumnType();
        for (const QString& sql : {
                 QStringLiteral(
                     "CREATE TABLE passes (id %1, started_at TEXT NOT NULL,"
                     " finished_at TEXT NOT NULL, station TEXT NOT NULL, port TEXT, device TEXT,"
                     " model TEXT, signature TEXT,"
                     " result TEXT NOT NULL CHECK (result IN ('pass', 'fail')), end_reason TEXT,"
                     " serial_sequence TEXT, serial BIGINT, flash_file TEXT, flash_size BIGINT,"
                     " flash_sha256 TEXT, eeprom_file TEXT, eeprom_size BIGINT,"
                     " eeprom_sha256 TEXT, fuses_written TEXT, fuses_read TEXT,"
                     " lock_written TEXT, lock_read TEXT, calibration_value INTEGER,"
                     " calibration_target TEXT)")
                     .arg(id),
                 QStringLiteral("CREATE INDEX passes_started ON passes (started_at, id)"),
                 QStringLiteral("CREATE INDEX passes_serial ON passes (serial)"),
                 QStringLiteral("CREATE TABLE pass_steps (pass_id BIGINT NOT NULL REFERENCES"
                                " passes (id), position INTEGER NOT NULL, name TEXT NOT NULL,"
                                " result TEXT NOT NULL, duration_ms BIGINT NOT NULL, detail TEXT,"
                                " PRIMARY KEY (pass_id, position))"),
                 QStringLiteral("CREATE TABLE pass_log (pass_id BIGINT NOT NULL REFERENCES"
                                " passes (id), position INTEGER NOT NULL, line TEXT NOT NULL,"
                                " PRIMARY KEY (pass_id, position))"),
                 QStringLiteral("CREATE TABLE serial_sequences (name TEXT PRIMARY KEY,"
                                " start_value BIGINT NOT NULL, step BIGINT NOT NULL,"
                                " width INTEGER NOT NULL, format TEXT NOT NULL,"
                                " target TEXT NOT NULL, address BIGINT NOT NULL,"
                                " next_value BIGINT NOT NULL)"),
                 QStringLiteral("CREATE TABLE serial_numbers (sequence TEXT NOT NULL REFERENCES"
                                " serial_sequences (name), value BIGINT NOT NULL,"
                                " state TEXT NOT NULL CHECK (state IN ('taken', 'used',"
                                " 'spoiled')), station TEXT, taken_at TEXT NOT NULL,"
                                " pass_id BIGINT, note TEXT, PRIMARY KEY (sequence, value))"),
                 QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
                 QStringLiteral("INSERT INTO schema_version VALUES (1)"),
                 QStringLiteral("INSERT INTO serial_sequences VALUES"
                                " ('board', 10, 1, 2, 'binary-le', 'eeprom', 0, 12)"),
                 QStringLiteral("INSERT INTO serial_numbers (sequence, value, state, taken_at,"
                                " pass_id) VALUES ('board', 10, 'used', 'x', 1),"
                                " ('board', 11, 'spoiled', 'x', 2)"),
                 QStringLiteral("INSERT INTO passes (started_at, finished_at, station, port,"
                                " model, result, end_reason, serial_sequence, serial) VALUES"
                                " ('2024-01-02T03:04:05.000Z', '2024-01-02T03:04:09.000Z', 'st',"
                                " 'COM1', 'ATMEGA8', 'pass', NULL, 'board', 10),"
                                " ('2024-01-02T03:05:05.000Z', '2024-01-02T03:05:09.000Z', 'st',"
                                " 'COM1', 'ATMEGA8', 'fail', 'verify', 'board', 11)"),
                 QStringLiteral("INSERT INTO pass_steps VALUES (1, 0, 'erase', 'pass', 120, NULL),"
                                " (2, 0, 'erase', 'pass', 118, NULL)"),
             })
            db.exec(sql);
    }
    RecordStore store(fresh.url());
    store.ensureReachable();
    EXPECT_EQ(RecordSchema::storedVersion(store.database()), 2);
    const PassRecord passed = store.load(1);
    EXPECT_EQ(passed.result, u"pass");
    EXPECT_EQ(passed.serial, 10);
    EXPECT_EQ(passed.spoiledSerial, std::nullopt);
    ASSERT_EQ(passed.steps.size(), 1);
    EXPECT_EQ(passed.steps[0].durationMs, 120);
    const PassRecord failed = store.load(2);
    EXPECT_EQ(failed.serial, std::nullopt);
    EXPECT_EQ(failed.spoiledSerial, 11);
    EXPECT_EQ(failed.endReason, u"verify");

    PassRecord stopped = failedRecord();
    stopped.result = QStringLiteral("stopped");
    stopped.passUid = QStringLiteral("0d5e4f7a-0000-4000-8000-000000000001");
    stopped.id = store.append(stopped);
    EXPECT_GT(stopped.id, 2);
    EXPECT_EQ(store.append(stopped), stopped.id);
    EXPECT_EQ(store.load(stopped.id), stopped);
    EXPECT_EQ(store.count({}), 3);
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "sqlite" : "postgresql";
}
INSTANTIATE_TEST_SUITE_P(Sqlite, RecordBackendTest, ::testing::Values(Backend::Sqlite),
                         backendName);
INSTANTIATE_TEST_SUITE_P(Postgres, RecordBackendTest, ::testing::Values(Backend::Postgres),
                         backendName);

}  // namespace
}  // namespace kv::test
