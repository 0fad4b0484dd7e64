// SPDX-License-Identifier: MIT
// What must hold on both backends: exact round trips, serial numbers under
// concurrency, refusal of a newer schema. The Postgres/ instances run against
// the throwaway server of the CTest fixture.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>
#include <memory>

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordSchema.h"
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
    int checks = 0;
    RecordDatabase::setStopCheck([&] { return ++checks < 0; });
    EXPECT_EQ(refusal(), QStringLiteral("生产记录数据库 %1 被其他连接锁定，等待 %2 秒后仍未释放，"
                                        "本次未作改动。")
                             .arg(where)
                             .arg(RecordDatabase::kLockWaitSeconds));
    EXPECT_EQ(checks, RecordDatabase::kLockTries);
    checks = 0;
    RecordDatabase::setStopCheck([&] { return ++checks == 2; });
    EXPECT_EQ(refusal(),
              QStringLiteral("等待生产记录数据库 %1 的锁时已停止，本次未作改动。").arg(where));
    EXPECT_EQ(checks, 2);
    RecordDatabase::setStopCheck({});
    holder.database().exec(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(serials.takeNext(QStringLiteral("board"), QStringLiteral("a")), 5000);
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

std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "sqlite" : "postgresql";
}
INSTANTIATE_TEST_SUITE_P(Sqlite, RecordBackendTest, ::testing::Values(Backend::Sqlite),
                         backendName);
INSTANTIATE_TEST_SUITE_P(Postgres, RecordBackendTest, ::testing::Values(Backend::Postgres),
                         backendName);

}  // namespace
}  // namespace kv::test
