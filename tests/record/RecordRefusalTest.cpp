// SPDX-License-Identifier: MIT
// The record refuses before a chip is touched when it cannot be kept, and a
// write that fails leaves nothing half-written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>

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
    // Read-only is no reason not to show what it holds.
    RecordStore reader(fresh.url());
    EXPECT_EQ(reader.list({}, 0, 10).value(0).station, passingRecord().station);
    EXPECT_EQ(reader.count({}), 1);
    EXPECT_EQ(readFile(path), before);
}

// What is not a usable record of ours is refused, for writing and for
// listing alike, and left as it was: a damaged file, another program's
// database, a file that is no database, an address that keeps nothing.
TEST(RecordRefusalTest, DamagedForeignAndEmptyRecordsAreRefusedUntouched) {
    struct Row {
        const char* name;
        std::function<QString(const QString& folder)> make;  // the address
        QString refusal;                                     // how the message starts; %1: the file
    };
    const auto file = [](const QString& folder) -> QString {
        return folder + QStringLiteral("/r.sqlite");
    };
    const Row rows[] = {
        {"damaged",
         [&](const QString& folder) -> QString {
             {
                 RecordStore store(QStringLiteral("sqlite:") + file(folder));
                 for (int i = 0; i < 200; ++i) {
                     PassRecord r = passingRecord();
                     r.log << QString(400, QChar(u'a' + i % 26));
                     store.append(r);
                 }
             }
             // 8 KiB of noise at 90 % of the file, as a failing disk leaves it.
             QFile damaged(file(folder));
             EXPECT_TRUE(damaged.open(QIODevice::ReadWrite));
             damaged.seek(damaged.size() * 9 / 10);
             QByteArray noise(8192, '\0');
             for (qsizetype i = 0; i < noise.size(); ++i)
                 noise[i] = char(i * 7919 % 251);
             damaged.write(noise);
             return QStringLiteral("sqlite:") + file(folder);
         },
         QStringLiteral("生产记录数据库 %1 已损坏，不能使用。请从备份恢复。\n")},
        {"foreign",
         [&](const QString& folder) -> QString {
             {
                 QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "foreign");
                 db.setDatabaseName(file(folder));
                 EXPECT_TRUE(db.open());
                 QSqlQuery(db).exec(QStringLiteral("CREATE TABLE passes (who TEXT, at TEXT)"));
                 QSqlQuery(db).exec(QStringLiteral("INSERT INTO passes VALUES ('x', 'y')"));
                 db.close();
             }
             QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
             return QStringLiteral("sqlite:") + file(folder);
         },
         QStringLiteral("%1 不是本程序的生产记录数据库（其中已有别的表），数据库未作改动。")},
        {"no database",
         [&](const QString& folder) -> QString {
             writeFile(file(folder), QByteArray("id,station\r\n1,A\r\n").repeated(300));
             return QStringLiteral("sqlite:") + file(folder);
         },
         QStringLiteral("生产记录数据库 %1 已损坏，不能使用。请从备份恢复。\n")},
        {"in memory",
         [&](const QString& folder) -> QString {
             return QStringLiteral("sqlite:file:%1/m?mode=memory").arg(folder);
         },
         QStringLiteral("生产记录数据库地址 sqlite:file:%1/m?mode=memory 不会保存任何记录")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString url = row.make(dir.path());
        const auto bytes = [&] {
            return QFile::exists(file(dir.path())) ? readFile(file(dir.path())) : QByteArray();
        };
        const QByteArray before = bytes();
        const QStringList entries =
            QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        const QString expected =
            row.refusal.arg(row.name == std::string("in memory") ? dir.path() : file(dir.path()));
        for (const auto& use : std::initializer_list<std::function<void(RecordStore&)>>{
                 [](RecordStore& s) { s.ensureReachable(); },
                 [](RecordStore& s) { s.list({}, 0, 10); },
                 [](RecordStore& s) { s.exportCsv({}); }}) {
            const QString text = thrownText([&] {
                RecordStore store(url);
                use(store);
            });
            EXPECT_TRUE(text.startsWith(expected)) << text.toStdString();
        }
        EXPECT_EQ(bytes(), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), entries);
    }
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
