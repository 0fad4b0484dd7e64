// SPDX-License-Identifier: MIT
// The record refuses before a chip is touched when it cannot be kept, and a
// write that fails leaves nothing half-written.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordSpool.h"
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
// A folder keeps the right to be entered.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : m_path(path), m_folder(QFileInfo(path).isDir()) {
        const QFile::Permissions enter =
            m_folder ? QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther : QFile::Permissions();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | enter);
        if (geteuid() == 0) {
            EXPECT_EQ(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}), 0);
        }
    }
    ~ReadOnlyFile() {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner |
                                          (m_folder ? QFile::ExeOwner : QFile::Permissions()));
    }

private:
    QString m_path;
    bool m_folder;
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
    {
        // In write-ahead mode (as the program leaves its files) in a folder
        // the user may not write either: listed all the same, nothing made.
        ReadOnlyFile folder(fresh.folder());
        RecordStore locked(fresh.url());
        EXPECT_EQ(locked.count({}), 1);
        EXPECT_EQ(readFile(path).at(18), 2) << "the file's header says write-ahead log";
        EXPECT_EQ(QDir(fresh.folder()).entryList(QDir::Files).size(), 1);
    }
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
        // A device or a pipe, by a link or as it is: SQLite would put its
        // journal beside it.
        {"link to a device",
         [&](const QString& folder) -> QString {
             EXPECT_TRUE(QFile::link(QStringLiteral("/dev/zero"), file(folder)));
             return QStringLiteral("sqlite:") + file(folder);
         },
         QStringLiteral("生产记录 %1 不是普通文件（设备、管道或指向它们的链接），")},
        {"pipe",
         [&](const QString& folder) -> QString {
             EXPECT_EQ(::mkfifo(QFile::encodeName(file(folder)).constData(), 0600), 0);
             return QStringLiteral("sqlite:") + file(folder);
         },
         QStringLiteral("生产记录 %1 不是普通文件（设备、管道或指向它们的链接），")},
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
            return QFileInfo(file(dir.path())).isFile() ? readFile(file(dir.path())) : QByteArray();
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

// The spool as a journal that outlives its own faults: a line cut short is
// set aside rather than joined to the next, and lines that cannot be read
// or hold values the record does not know go to the quarantine file, never
// up and never stopping the rest.
TEST(RecordRefusalTest, SpoolSetsAsideWhatItCannotRead) {
    FreshDatabase fresh(Backend::Sqlite);
    RecordSpool spool(fresh.folder() + QStringLiteral("/spool.jsonl"));
    PassRecord good = passingRecord();
    good.passUid = QStringLiteral("5e0c8a51-0000-4000-8000-0000000000d4");
    spool.append(fresh.url(), good);
    QByteArray journal = readFile(spool.path());
    const QByteArray line = journal.trimmed();
    const qsizetype json = line.indexOf('{');
    const auto edited = [&](const QByteArray& from, const QByteArray& to) {
        return QByteArray(line).replace(from, to);  // the checksum no longer fits
    };
    const QByteArray bogus = line.mid(json).replace("\"result\":\"pass\"", "\"result\":\"bogus\"");
    const QByteArray failedPass =
        line.mid(json).replace("\"result\":\"skipped\"", "\"result\":\"fail\"");
    journal += edited("line2-station1", "line2-station9") + '\n' + bogus + '\n' + failedPass +
               '\n' + line.first(line.size() / 2);  // and a write cut short
    writeFile(spool.path(), journal);

    // The next line starts on a line of its own.
    PassRecord next = failedRecord();
    next.passUid = QStringLiteral("5e0c8a51-0000-4000-8000-0000000000e5");
    next.serialSequence.clear();
    spool.append(fresh.url(), next);
    EXPECT_EQ(spool.count(fresh.url()), 2);

    RecordStore store(fresh.url());
    const RecordSpool::Flushed flushed = spool.flushInto(store, fresh.url());
    EXPECT_EQ(flushed.uploaded, 2);
    EXPECT_EQ(flushed.setAside, 3);  // the torn line went aside at the append
    ASSERT_EQ(flushed.notes.size(), 1);
    EXPECT_TRUE(flushed.notes[0].contains(spool.quarantinePath()));
    EXPECT_FALSE(QFile::exists(spool.path()));
    EXPECT_EQ(readFile(spool.quarantinePath()).count('\n'), 4);
    EXPECT_EQ(store.count({}), 2);
}

}  // namespace
}  // namespace kv::test
