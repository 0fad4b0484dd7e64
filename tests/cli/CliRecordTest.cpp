// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <memory>

#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "schemes/SchemeFile.h"

#include "tests/cli/CliProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

enum class Backend { Sqlite, Postgres };

// A write with verify records one passing pass; the listing shows it in
// every form, and --failed leaves it out.
TEST(CliEndToEndRecord, RecordsAWriteAndListsIt) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    CliProcess cli;
    const QString flash = testImage(QStringLiteral("blink_m8.hex"));
    ASSERT_EQ(cli.run({"--json", "-p", sim.pts(), "write-flash", flash, "--verify"}), 0)
        << cli.rawOutput().toStdString();
    const qint64 id = cli.result()["record"].toInteger();
    EXPECT_GT(id, 0);

    CliProcess list;
    list.useFoldersOf(cli);
    ASSERT_EQ(list.run({"--json", "record", "list"}), 0) << list.rawOutput().toStdString();
    const QJsonArray records = list.result()["records"].toArray();
    ASSERT_EQ(records.size(), 1);
    const QJsonObject r = records[0].toObject();
    EXPECT_EQ(r["id"].toInteger(), id);
    EXPECT_EQ(r["result"], "pass");
    EXPECT_EQ(r["model"], "ATMEGA8");
    EXPECT_EQ(r["signature"], "1E9307");
    EXPECT_EQ(r["serial"], QJsonValue());

    // The human listing gives the local time with its offset from UTC.
    CliProcess human;
    human.useFoldersOf(cli);
    ASSERT_EQ(human.run({"record", "list"}), 0);
    static const QRegularExpression line(
        QStringLiteral(R"(^\d+\t\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d)\t)"));
    EXPECT_TRUE(line.match(QString::fromUtf8(human.rawOutput())).hasMatch())
        << human.rawOutput().toStdString();

    CliProcess failed;
    failed.useFoldersOf(cli);
    ASSERT_EQ(failed.run({"--json", "record", "list", "--failed"}), 0);
    EXPECT_TRUE(failed.result()["records"].toArray().isEmpty());

    CliProcess csv;
    csv.useFoldersOf(cli);
    ASSERT_EQ(csv.run({"record", "list", "--csv"}), 0);
    const QList<QByteArray> rows = csv.rawOutput().split('\n');
    ASSERT_GE(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith("id,started_at,")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith(QByteArray(QByteArray::number(id) + ',')))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[1].contains(",pass,") || rows[1].contains(",pass\r"));
    EXPECT_TRUE(rows[1].contains(",blink_m8.hex,")) << "the file as the command named it";
}

// A record that cannot be kept stops the command before the port is opened:
// nothing reaches the programmer, and the exit code says why.
// Every command that changes the chip is held to it, "program" included.
TEST(CliEndToEndRecord, AnUnreachableRecordSendsNothing) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    const QString elf = testImage(QStringLiteral("fuses_m8.elf"));
    for (const QStringList& command : {QStringList{"erase"}, QStringList{"program", elf}}) {
        CliProcess cli;
        EXPECT_EQ(cli.run(QStringList{"--json", "-p", sim.pts(), "--record",
                                      "postgresql://nobody@127.0.0.1:1/none"} +
                          command),
                  5)
            << cli.rawOutput().toStdString();
        EXPECT_FALSE(cli.result()["message"].toString().isEmpty());
        EXPECT_EQ(sim.transcript(), "") << command.join(u' ').toStdString();
    }

    // Without the window's permission there is no programming unrecorded.
    CliProcess unrecorded;
    EXPECT_EQ(unrecorded.run({"--json", "-p", sim.pts(), "--no-record", "erase"}), 2);
    EXPECT_EQ(sim.transcript(), "");

    // Where the record can be kept, "program" keeps one.
    CliProcess recorded;
    ASSERT_EQ(recorded.run({"--json", "-p", sim.pts(), "program", elf}), 0)
        << recorded.rawOutput().toStdString();
    EXPECT_GT(recorded.result()["record"].toInteger(), 0);
}

// "run SCHEME.SET" takes the serial numbers from the file beside the scheme:
// each chip gets the next number where the file says, and its record holds it.
// A number the chip did not take is spoiled.
TEST(CliEndToEndRecord, RunTakesTheSerialFileBesideTheScheme) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QTemporaryDir folder;
    Scheme scheme;
    scheme.model = QStringLiteral("ATMEGA8");
    scheme.options = {1, 1, 0, 0, 0, 1, 0, 0, 0, 0};  // erase, FLASH from the file
    scheme.flashPath = testImage(QStringLiteral("blink_m8.hex"));
    scheme.fuseBits = QString(32, u'1');
    scheme.flashAddress = QStringLiteral("8191");
    scheme.eepromAddress = QStringLiteral("511");
    const QString path = folder.filePath(QStringLiteral("line.SET"));
    SchemeFile::save(path, scheme);
    writeFile(path + QStringLiteral(".serial"),
              "name=board\nstart=4660\nstep=3\nwidth=2\nformat=binary-be\n"
              "target=eeprom\naddress=0x20\n");

    CliProcess first;
    ASSERT_EQ(first.run({"--json", "-p", sim.pts(), "run", path}), 0)
        << first.rawOutput().toStdString();
    EXPECT_EQ(sim.dump()["eeprom"].toString().mid(2 * 0x20, 6), "1234FF");
    CliProcess second;
    second.useFoldersOf(first);
    ASSERT_EQ(second.run({"--json", "-p", sim.pts(), "run", path}), 0)
        << second.rawOutput().toStdString();
    EXPECT_EQ(sim.dump()["eeprom"].toString().mid(2 * 0x20, 4), "1237");

    // A number the programmer does not acknowledge fails the chip everywhere:
    // exit code, JSON and record agree, and the number is never used again.
    sim.command("fault writeacks 0");
    CliProcess third;
    third.useFoldersOf(first);
    EXPECT_EQ(third.run({"--json", "-p", sim.pts(), "run", path}), 3)
        << third.rawOutput().toStdString();
    EXPECT_EQ(third.result()["ok"], false);

    CliProcess list;
    list.useFoldersOf(first);
    ASSERT_EQ(list.run({"--json", "record", "list"}), 0);
    const QJsonArray records = list.result()["records"].toArray();
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].toObject()["result"], "fail");
    EXPECT_EQ(records[0].toObject()["serial"], QJsonValue());
    EXPECT_EQ(records[0].toObject()["spoiledSerial"].toInteger(), 4666);
    EXPECT_EQ(records[1].toObject()["id"].toInteger(), second.result()["record"].toInteger());
    EXPECT_EQ(records[1].toObject()["serial"].toInteger(), 4663);
    EXPECT_EQ(records[2].toObject()["serial"].toInteger(), 4660);
}

// Too little free space for the record's file (and its journal) refuses the
// command before the port is opened; the same place with room enough records.
// The small disks are memory file systems in a mount namespace of their own.
TEST(CliEndToEndRecord, LittleFreeSpaceRefusesBeforeAnythingIsSent) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QTemporaryDir mountPoint;
    const QString file = mountPoint.filePath(QStringLiteral("r.sqlite"));
    struct Disk {
        const char* size;
        int exit;
        QByteArray wire;
    };
    for (const Disk& disk : {Disk{"512k", 5, ""}, Disk{"8m", 0, "EM#"}}) {
        SCOPED_TRACE(disk.size);
        CliProcess cli;
        cli.setLauncher({"unshare", "--map-root-user", "--mount", "sh", "-c",
                         QStringLiteral("mount -t tmpfs -o size=%1 tmpfs '%2' && exec \"$@\"")
                             .arg(QLatin1String(disk.size), mountPoint.path()),
                         "sh"});
        EXPECT_EQ(cli.run({"--json", "-p", sim.pts(), "--record", "sqlite:" + file, "erase"}),
                  disk.exit)
            << cli.rawOutput().toStdString() << cli.errors().toStdString();
        if (disk.exit == 5)
            EXPECT_EQ(cli.result()["message"],
                      QStringLiteral("磁盘已满，生产记录无法写入 %1。").arg(file));
        const QByteArray wire = sim.transcript();
        EXPECT_EQ(wire.isEmpty(), disk.wire.isEmpty()) << wire.toStdString();
        EXPECT_TRUE(wire.contains(disk.wire)) << wire.toStdString();
    }
}

// A record whose write lock another connection holds: the command gives up
// after the 5 s it names, or at once on Ctrl-C; either way nothing is sent.
TEST(CliEndToEndRecord, AHeldRecordLockEndsAtItsLimitOrOnCtrlC) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    QTemporaryDir dir;
    const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("r.sqlite"));
    RecordStore holder(url);
    holder.open();
    holder.database().exec(QStringLiteral("BEGIN IMMEDIATE"));

    CliProcess limited;
    EXPECT_EQ(limited.run({"--json", "-p", sim.pts(), "--record", url, "erase"}), 5);
    EXPECT_TRUE(limited.result()["message"].toString().contains(QStringLiteral("等待 5 秒")))
        << limited.rawOutput().toStdString();

    CliProcess stopped;
    stopped.start({"--json", "-p", sim.pts(), "--record", url, "erase"});
    QThread::msleep(1000);  // into the wait
    ASSERT_EQ(::kill(pid_t(stopped.pid()), SIGINT), 0);
    EXPECT_EQ(stopped.finish(), 130) << stopped.rawOutput().toStdString();
    EXPECT_EQ(sim.transcript(), "");
}

// A PostgreSQL server of one test's own, on a Unix socket in a folder of its
// own, that the test may stop and start again (scripts/lib/pg-cluster.sh).
class OwnServer {
public:
    OwnServer()
        : m_dir(QStringLiteral("/tmp/kv-fault-%1").arg(QCoreApplication::applicationPid())) {
        m_up = quietly(script(), {QStringLiteral("start"), m_dir}) == 0;
    }
    ~OwnServer() { quietly(script(), {QStringLiteral("stop"), m_dir}); }
    bool up() const { return m_up; }
    QString url() const {
        return QStringLiteral("postgresql:///kelvaro?host=%1&port=5432&user=kelvaro").arg(m_dir);
    }
    void stop() { pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}); }
    void start() {
        pgCtl({QStringLiteral("-l"), m_dir + QStringLiteral("/server.log"), QStringLiteral("-o"),
               QStringLiteral("-k %1 -p 5432 -c listen_addresses=''").arg(m_dir),
               QStringLiteral("start")});
    }

private:
    static QString script() { return QStringLiteral(KV_SOURCE_DIR "/scripts/lib/pg-cluster.sh"); }
    static int quietly(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(program, arguments);
        process.waitForFinished(60'000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    void pgCtl(const QStringList& arguments) {
        QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        ASSERT_FALSE(versions.isEmpty());
        std::sort(versions.begin(), versions.end(),
                  [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        QStringList words =
            QStringList{
                QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(versions.constLast()),
                QStringLiteral("-D"), m_dir + QStringLiteral("/data"), QStringLiteral("-w")} +
            arguments;
        // The server refuses to run as root: root runs it as the package's user.
        if (geteuid() == 0)
            words = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"),
                                QStringLiteral("postgres"), QStringLiteral("--")} +
                    words;
        const QString program = words.takeFirst();
        EXPECT_EQ(quietly(program, words), 0);
    }
    QString m_dir;
    bool m_up = false;
};

// A small disk the test can fill: a memory file system in a mount namespace
// of its own (no root needed), held by a sleeping process; the programs run
// inside it, and the test reaches its files through the holder's root.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder) : m_folder(folder) {
        m_holder.start(
            QStringLiteral("unshare"),
            {"--map-root-user", "--mount", "sh", "-c",
             "mount -t tmpfs -o size=8m tmpfs \"$0\" && echo up && exec sleep 600", folder});
        m_up = m_holder.waitForReadyRead(10'000) && m_holder.readAll().startsWith("up");
    }
    ~SmallDisk() {
        m_holder.kill();
        m_holder.waitForFinished(3000);
    }
    bool up() const { return m_up; }
    QStringList launcher() const {
        return {"nsenter", "-t",      QString::number(m_holder.processId()),
                "--user",  "--mount", "--preserve-credentials",
                "--"};
    }
    QString path(const QString& name) const {
        return QStringLiteral("/proc/%1/root%2/%3").arg(m_holder.processId()).arg(m_folder, name);
    }

private:
    QString m_folder;
    QProcess m_holder;
    bool m_up = false;
};

enum class Fault { DiskFull, ServerStopped, Killed };
struct RecordFault {
    const char* name;
    Backend backend;
    Fault fault;
    int exit;         // of the pass
    int spooled;      // lines in the spool after it
    const char* row;  // the pass's row after "record flush"
};
// Names the row in test lists instead of its bytes.
void PrintTo(const RecordFault& f, std::ostream* os) {
    *os << f.name;
}

class CliEndToEndRecordFaults : public ::testing::TestWithParam<RecordFault> {};

// The record's database lost in the middle of a pass (a full disk, a server
// stopped) or the station killed: the chip is done or half-done as the pass
// left it, and its row is never missing: written at the end, spooled and
// uploaded by "record flush", or left "started" and shown interrupted with
// its serial number spoiled.
TEST_P(CliEndToEndRecordFaults, NoChipIsLeftWithoutItsRow) {
    const RecordFault& row = GetParam();
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA32")});
    QTemporaryDir folder;
    QByteArray image(32768, Qt::Uninitialized);
    QRandomGenerator random(11);
    for (char& b : image)
        b = char(random.bounded(255));
    Scheme scheme;
    scheme.model = QStringLiteral("ATMEGA32");
    scheme.options = {1, 1, 0, 0, 0, 1, 0, 0, 0, 0};  // erase, FLASH from the file
    scheme.flashPath = writeFile(folder.filePath(QStringLiteral("big.bin")), image);
    scheme.fuseBits = QString(32, u'1');
    scheme.flashAddress = QStringLiteral("32767");
    scheme.eepromAddress = QStringLiteral("1023");
    const QString path = folder.filePath(QStringLiteral("line.SET"));
    SchemeFile::save(path, scheme);
    writeFile(path + QStringLiteral(".serial"),
              "name=board\nstart=4660\nstep=1\nwidth=2\nformat=binary-be\n"
              "target=eeprom\naddress=0x20\n");

    // The SQLite file lives on a small disk of its own that the test fills.
    QTemporaryDir disk;
    std::unique_ptr<OwnServer> server;
    QString url;
    if (row.backend == Backend::Postgres) {
        server = std::make_unique<OwnServer>();
        ASSERT_TRUE(server->up());
        url = server->url();
    } else {
        url = QStringLiteral("sqlite:") + disk.filePath(QStringLiteral("r.sqlite"));
    }
    std::unique_ptr<SmallDisk> small;
    if (row.fault == Fault::DiskFull) {
        small = std::make_unique<SmallDisk>(disk.path());
        ASSERT_TRUE(small->up());
    }
    const QStringList launcher = small ? small->launcher() : QStringList();

    CliProcess cli;
    cli.setLauncher(launcher);
    cli.start({"--json", "-p", sim.pts(), "--record", url, "--operator", "Li", "--lot", "L7", "run",
               path});
    ASSERT_TRUE(cli.waitForLine([](const QJsonObject& l) {
        return l["event"] == "progress" && l["step"] == "flash" && l["done"].toInt() >= 20;
    })) << cli.rawOutput().toStdString();
    const QString filler = small ? small->path(QStringLiteral("filler")) : QString();
    switch (row.fault) {
        case Fault::DiskFull: {
            QFile fill(filler);
            ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
            const QByteArray block(64 * 1024, 'x');
            while (fill.write(block) == block.size() && fill.flush()) {
            }
            break;
        }
        case Fault::ServerStopped:
            server->stop();
            break;
        case Fault::Killed:
            ASSERT_EQ(::kill(pid_t(cli.pid()), SIGKILL), 0);
            break;
    }
    EXPECT_EQ(cli.finish(), row.exit) << cli.rawOutput().toStdString();

    const QJsonObject chip = sim.dump();
    const QByteArray flash = QByteArray::fromHex(chip["flash"].toString().toLatin1());
    EXPECT_EQ(flash == image, row.fault != Fault::Killed);
    EXPECT_EQ(chip["eeprom"].toString().mid(2 * 0x20, 4),
              row.fault == Fault::Killed ? "FFFF" : "1234");
    QFile spool(cli.configFolder() + QStringLiteral("/data/kelvaro/record-spool.jsonl"));
    EXPECT_EQ(spool.open(QIODevice::ReadOnly) ? spool.readAll().count('\n') : 0, row.spooled);
    const QJsonValue pendingId = cli.result()["record"];
    if (row.exit == 6)
        EXPECT_EQ(cli.result()["recordPending"], true);

    // The database is back.
    if (row.fault == Fault::DiskFull)
        QFile::remove(filler);
    if (row.fault == Fault::ServerStopped)
        server->start();
    CliProcess flush;
    flush.setLauncher(launcher);
    flush.useFoldersOf(cli);
    ASSERT_EQ(flush.run({"--json", "--record", url, "record", "flush"}), 0)
        << flush.rawOutput().toStdString();
    EXPECT_EQ(flush.result()["uploaded"], row.spooled);
    EXPECT_EQ(flush.result()["waiting"], 0);
    EXPECT_FALSE(spool.exists());
    CliProcess list;
    list.setLauncher(launcher);
    list.useFoldersOf(cli);
    ASSERT_EQ(list.run({"--json", "--record", url, "record", "list"}), 0);
    const QJsonArray records = list.result()["records"].toArray();
    ASSERT_EQ(records.size(), 1) << list.rawOutput().toStdString();
    const QJsonObject r = records[0].toObject();
    EXPECT_EQ(r["result"], QString::fromLatin1(row.row));
    if (row.exit == 6)
        EXPECT_EQ(r["id"], pendingId) << "the upload completed the row written at the start";
    if (row.fault == Fault::Killed) {
        EXPECT_EQ(r["serial"], QJsonValue());
        EXPECT_EQ(r["spoiledSerial"], 4660);
    } else {
        EXPECT_EQ(r["serial"], 4660);
        EXPECT_EQ(r["spoiledSerial"], QJsonValue());
    }
    EXPECT_EQ(r["operator"], "Li");
    EXPECT_EQ(r["lot"], "L7");
    EXPECT_EQ(r["scheme"], "line.SET");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliEndToEndRecordFaults,
    ::testing::Values(
        RecordFault{"sqlite_disk_full", Backend::Sqlite, Fault::DiskFull, 6, 1, "pass"},
        RecordFault{"postgres_stopped", Backend::Postgres, Fault::ServerStopped, 6, 1, "pass"},
        RecordFault{"sqlite_killed", Backend::Sqlite, Fault::Killed, -1, 0, "interrupted"},
        RecordFault{"postgres_killed", Backend::Postgres, Fault::Killed, -1, 0, "interrupted"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
