// SPDX-License-Identifier: MIT
// The record refuses before a chip is touched when it cannot be kept, and a
// write that fails leaves nothing half-written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "tests/record/RecordRig.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

QString thrownText(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const OperationError& e) {
        return e.text();
    }
    return QStringLiteral("(nothing thrown)");
}

// Root writes through permission bits; the immutable flag stops it too.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : m_path(path) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (geteuid() == 0) {
            EXPECT_EQ(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}), 0);
        }
    }
    ~ReadOnlyFile() {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }

private:
    QString m_path;
};

TEST(RecordRefusalTest, ReadOnlyFileIsRefusedBeforeAnything) {
    FreshDatabase fresh(Backend::Sqlite);
    const QString path = fresh.folder() + QStringLiteral("/record.sqlite");
    {
        RecordStore store(fresh.url());
        store.append(passingRecord());
    }
    const QByteArray before = readFile(path);
    ReadOnlyFile readOnly(path);
    RecordStore store(fresh.url());
    EXPECT_EQ(thrownText([&] { store.ensureReachable(); }),
              QStringLiteral("生产记录数据库 %1 是只读的，记录无法写入。").arg(path));
    EXPECT_FALSE(store.database().isOpen());
    EXPECT_EQ(readFile(path), before);
}

TEST(RecordRefusalTest, UnreachableServerIsRefusedWithTheReason) {
    RecordStore store(
        QStringLiteral("postgresql:///kelvaro?host=/nonexistent-kelvaro-socket&port=5999"));
    const QString text = thrownText([&] { store.ensureReachable(); });
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "无法连接生产记录数据库 postgresql:///kelvaro?host=/nonexistent-kelvaro-socket&port=5999，"
        "不能在无记录的情况下编程。\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u".s.PGSQL.5999")) << "the driver's detail follows";
}

TEST(RecordRefusalTest, FullDiskLeavesNoHalfWrittenRecord) {
    FreshDatabase fresh(Backend::Sqlite);
    RecordStore store(fresh.url());
    store.append(failedRecord());
    RecordDatabase& db = store.database();
    // The database may not grow past its present size: as a full disk to SQLite.
    db.exec(QStringLiteral("PRAGMA max_page_count = %1")
                .arg(db.scalar(QStringLiteral("PRAGMA page_count")).toInt()));
    PassRecord big = passingRecord();
    for (int i = 0; i < 2000; ++i)
        big.log << QStringLiteral("第 %1 行：").arg(i) + QString(80, u'x');

    const QString text = thrownText([&] { store.append(big); });
    EXPECT_TRUE(text.startsWith(QStringLiteral("磁盘已满，生产记录无法写入 %1。\n")
                                    .arg(fresh.folder() + QStringLiteral("/record.sqlite"))))
        << text.toStdString();
    for (const char* table : {"passes", "pass_steps", "pass_log"}) {
        const qint64 rows = db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
        EXPECT_EQ(rows, table == std::string("passes")       ? 1
                        : table == std::string("pass_steps") ? failedRecord().steps.size()
                                                             : failedRecord().log.size())
            << table;
    }
    // With room again the same record goes in whole.
    db.exec(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    big.id = store.append(big);
    EXPECT_EQ(store.load(big.id), big);
}

}  // namespace
}  // namespace kv::test
