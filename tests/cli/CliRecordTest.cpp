// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <memory>

#include "app/PassRecorder.h"
#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "record/RecordUrl.h"
#include "record/SerialNumbers.h"
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

    // The numbers come only from the record: a run without one, where the
    // window allows that, is refused before anything is sent.
    SimProcess untouched({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    CliProcess unrecorded;
    ASSERT_TRUE(unrecorded.windowSettings().write(RecordPolicy::section(), RecordPolicy::allowKey(),
                                                  QStringLiteral("1")));
    EXPECT_EQ(unrecorded.run({"--json", "-p", untouched.pts(), "--no-record", "run", path}), 5)
        << unrecorded.rawOutput().toStdString();
    EXPECT_EQ(untouched.transcript(), "");
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

enum class Fault {
    DiskFull,          // the record's disk fills mid-pass
    ServerStopped,     // the server is shut down mid-pass
    Killed,            // the station is killed mid-pass
    TornSpool,         // a full disk, onto a spool an earlier fault left torn and bogus
    BothFull,          // the record and the spool share the disk that fills
    Stalled,           // the server's process for the station stops answering (SIGSTOP)
    StalledThenCtrlC,  // the same, and the operator presses Ctrl-C
    LockHeld,          // a tool holds the passes table locked from the start
    KilledAtRow,       // killed while the started row waits for that lock
    StopInSerial,      // Ctrl-C as the serial number goes out
    SpoiledElsewhere,  // another station spoils the number while the row waits in the spool
};
enum class Chip { Programmed, Partial, Untouched, WithoutSerial };
struct RecordFault {
    const char* name;
    Backend backend;
    Fault fault;
    int exit;                 // of the pass
    int spooled;              // lines in the spool after it
    const char* row;          // the pass's row after "record flush"; nullptr: none
    const char* serialState;  // of the pass's number then; nullptr: never taken
    Chip chip;
};
// Names the row in test lists instead of its bytes.
void PrintTo(const RecordFault& f, std::ostream* os) {
    *os << f.name;
}

// The server's processes that serve the program's connections (not this one's).
QList<pid_t> clientBackends(const QString& url) {
    RecordDatabase db(RecordUrl::parse(url));
    QSqlQuery rows =
        db.exec(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = 'kelvaro'"
                               " AND backend_type = 'client backend' AND pid <> pg_backend_pid()"));
    QList<pid_t> pids;
    while (rows.next())
        pids << pid_t(rows.value(0).toLongLong());
    return pids;
}

class CliEndToEndRecordFaults : public ::testing::TestWithParam<RecordFault> {};

// The record's database lost in the middle of a pass (a full disk, a server
// stopped or stalled, a lock held) or the station killed or stopped: the chip
// is done or half-done as the pass left it, the exit code says what its row
// says, and the row is never missing: written at the end, spooled and
// uploaded by "record flush", or left "started" and shown interrupted with
// its serial number spoiled. Where even the spool cannot be written, the run
// says the chip was written and its record lost. Both tables agree.
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
    const bool fillsDisk = row.fault == Fault::DiskFull || row.fault == Fault::TornSpool ||
                           row.fault == Fault::BothFull;
    std::unique_ptr<SmallDisk> small;
    if (fillsDisk) {
        small = std::make_unique<SmallDisk>(disk.path());
        ASSERT_TRUE(small->up());
    }
    const QStringList launcher = small ? small->launcher() : QStringList();

    CliProcess cli;
    cli.setLauncher(launcher);
    // The spool's data folder, on the small disk where it must fail too.
    QString spoolPath = cli.configFolder() + QStringLiteral("/data/kelvaro/record-spool.jsonl");
    const auto spoolOnDisk = [&](CliProcess& process) {
        if (row.fault == Fault::BothFull)
            process.setEnvironment(QStringLiteral("XDG_DATA_HOME"), disk.path());
    };
    spoolOnDisk(cli);
    if (row.fault == Fault::BothFull)
        spoolPath = small->path(QStringLiteral("kelvaro/record-spool.jsonl"));
    if (row.fault == Fault::TornSpool) {
        // An earlier run's line of values the record does not know, and a
        // line a full disk cut short.
        QDir().mkpath(QFileInfo(spoolPath).absolutePath());
        writeFile(spoolPath, QByteArray("{\"target\":\"x\",\"record\":{\"result\":\"bogus\"}}\n"
                                        "812:1a2b3c4d:{\"target\":\"sqlite:/"));
    }
    std::unique_ptr<RecordDatabase> holder;
    if (row.fault == Fault::LockHeld || row.fault == Fault::KilledAtRow) {
        RecordStore(url).open();
        holder = std::make_unique<RecordDatabase>(RecordUrl::parse(url));
        holder->exec(QStringLiteral("BEGIN"));
        holder->exec(QStringLiteral("LOCK TABLE passes IN EXCLUSIVE MODE"));
    }

    QElapsedTimer timer;
    timer.start();
    cli.start({"--json", "-p", sim.pts(), "--record", url, "--operator", "Li", "--lot", "L7", "run",
               path});
    const auto flashAt = [&](int percent) {
        return cli.waitForLine([percent](const QJsonObject& l) {
            return l["event"] == "progress" && l["step"] == "flash" && l["done"].toInt() >= percent;
        });
    };
    const bool midPass = row.fault != Fault::LockHeld && row.fault != Fault::KilledAtRow &&
                         row.fault != Fault::StopInSerial;
    if (midPass)
        ASSERT_TRUE(flashAt(20)) << cli.rawOutput().toStdString();
    const QString filler = small ? small->path(QStringLiteral("filler")) : QString();
    QList<pid_t> stalled;
    qint64 limitMs = 0;  // how long the run may take from the timer's restart
    switch (row.fault) {
        case Fault::DiskFull:
        case Fault::TornSpool:
        case Fault::BothFull: {
            QFile fill(filler);
            ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
            const QByteArray block(64 * 1024, 'x');
            while (fill.write(block) == block.size() && fill.flush()) {
            }
            break;
        }
        case Fault::ServerStopped:
        case Fault::SpoiledElsewhere:
            server->stop();
            break;
        case Fault::Killed:
            ASSERT_EQ(::kill(pid_t(cli.pid()), SIGKILL), 0);
            break;
        case Fault::Stalled:
        case Fault::StalledThenCtrlC:
            stalled = clientBackends(url);
            ASSERT_FALSE(stalled.isEmpty());
            for (const pid_t pid : stalled)
                ::kill(pid, SIGSTOP);
            ASSERT_TRUE(flashAt(100)) << cli.rawOutput().toStdString();
            timer.restart();
            // The pass's own end is quick; its row meets the stalled server.
            limitMs = 12'000;
            if (row.fault == Fault::StalledThenCtrlC) {
                QThread::msleep(1500);
                timer.restart();
                ASSERT_EQ(::kill(pid_t(cli.pid()), SIGINT), 0);
                limitMs = 3000;
            }
            break;
        case Fault::LockHeld:
            limitMs = 12'000;  // one deadline for all its waits, not one per statement
            break;
        case Fault::KilledAtRow:
            QThread::msleep(2000);  // into the wait for the lock, number and row in one transaction
            ASSERT_EQ(::kill(pid_t(cli.pid()), SIGKILL), 0);
            break;
        case Fault::StopInSerial:
            // Frozen as the FLASH is done, it next sends the serial number:
            // the stop lands there.
            ASSERT_TRUE(flashAt(100)) << cli.rawOutput().toStdString();
            ASSERT_EQ(::kill(pid_t(cli.pid()), SIGSTOP), 0);
            ASSERT_EQ(::kill(pid_t(cli.pid()), SIGINT), 0);
            ASSERT_EQ(::kill(pid_t(cli.pid()), SIGCONT), 0);
            break;
    }
    EXPECT_EQ(cli.finish(), row.exit) << cli.rawOutput().toStdString();
    if (limitMs > 0)
        EXPECT_LT(timer.elapsed(), limitMs) << "the command ends at its deadline";
    for (const pid_t pid : stalled)
        ::kill(pid, SIGCONT);
    holder.reset();

    const QJsonObject chip = sim.dump();
    const QByteArray flash = QByteArray::fromHex(chip["flash"].toString().toLatin1());
    const QString serialBytes = chip["eeprom"].toString().mid(2 * 0x20, 4);
    switch (row.chip) {
        case Chip::Programmed:
            EXPECT_EQ(flash, image);
            EXPECT_EQ(serialBytes, "1234");
            break;
        case Chip::WithoutSerial:
            EXPECT_EQ(flash, image);
            EXPECT_EQ(serialBytes, "FFFF");
            break;
        case Chip::Partial:
            EXPECT_NE(flash, image);
            EXPECT_EQ(serialBytes, "FFFF");
            break;
        case Chip::Untouched:
            EXPECT_EQ(flash, QByteArray(32768, '\xFF'));
            EXPECT_EQ(serialBytes, "FFFF");
            break;
    }
    QFile spool(spoolPath);
    EXPECT_EQ(spool.open(QIODevice::ReadOnly) ? spool.readAll().count('\n') : 0, row.spooled);
    spool.close();
    if (row.fault == Fault::TornSpool) {
        // Both set aside as the run began, in the file its log names.
        const QString quarantine = spoolPath + QStringLiteral(".quarantine");
        EXPECT_EQ(readFile(quarantine).count('\n'), 2);
        EXPECT_TRUE(QString::fromUtf8(cli.rawOutput()).contains(quarantine))
            << cli.rawOutput().toStdString();
    }
    const QJsonValue pendingId = cli.result()["record"];
    if (row.exit == 6)
        EXPECT_EQ(cli.result()["recordPending"], true);
    if (row.exit == 7) {
        // Said in so many words, with what identifies the chip; nothing of
        // its row is left half-written in the spool.
        EXPECT_EQ(cli.result()["recordLost"], true);
        EXPECT_EQ(cli.result()["serial"], 4660);
        const QString passUid = cli.result()["passUid"].toString();
        EXPECT_EQ(passUid.size(), 36);
        const QString message = cli.result()["message"].toString();
        EXPECT_TRUE(message.startsWith(QStringLiteral("芯片已编程，但本次的生产记录已丢失")))
            << message.toStdString();
        EXPECT_TRUE(message.contains(passUid) && message.contains(u"4660"));
        EXPECT_FALSE(message.contains(QStringLiteral("锁定"))) << "no lock was held";
        EXPECT_LE(QFileInfo(spoolPath).size(), 0);
    }

    // The database is back.
    if (small)
        QFile::remove(filler);
    if (row.fault == Fault::ServerStopped || row.fault == Fault::SpoiledElsewhere)
        server->start();
    if (row.fault == Fault::SpoiledElsewhere) {
        // Another station's listing takes the waiting row for interrupted.
        CliProcess elsewhere;
        ASSERT_EQ(elsewhere.run({"--json", "--record", url, "record", "list"}), 0)
            << elsewhere.rawOutput().toStdString();
    }
    CliProcess flush;
    flush.setLauncher(launcher);
    flush.useFoldersOf(cli);
    spoolOnDisk(flush);
    ASSERT_EQ(flush.run({"--json", "--record", url, "record", "flush"}), 0)
        << flush.rawOutput().toStdString();
    EXPECT_EQ(flush.result()["uploaded"], row.spooled);
    EXPECT_EQ(flush.result()["setAside"], 0);
    EXPECT_EQ(flush.result()["waiting"], 0);
    EXPECT_EQ(flush.result()["conflicts"].toArray().size(),
              row.fault == Fault::SpoiledElsewhere ? 1 : 0);
    EXPECT_FALSE(spool.exists());
    CliProcess list;
    list.setLauncher(launcher);
    list.useFoldersOf(cli);
    spoolOnDisk(list);
    ASSERT_EQ(list.run({"--json", "--record", url, "record", "list"}), 0);
    const QJsonArray records = list.result()["records"].toArray();
    ASSERT_EQ(records.size(), row.row ? 1 : 0) << list.rawOutput().toStdString();

    // The numbers' table says what the row says. SQLite would resolve the
    // small disk's path from outside its namespace to another file: a copy.
    QTemporaryDir copy;
    QString ownUrl = url;
    if (small) {
        ownUrl = QStringLiteral("sqlite:") + copy.filePath(QStringLiteral("r.sqlite"));
        ASSERT_TRUE(QFile::copy(small->path(QStringLiteral("r.sqlite")), ownUrl.mid(7)));
    }
    RecordStore own(ownUrl);
    const SerialNumbers::State state = SerialNumbers(own).state(QStringLiteral("board"), 4660);
    EXPECT_EQ(state, !row.serialState                         ? SerialNumbers::State::Unknown
                     : row.serialState == std::string("used") ? SerialNumbers::State::Used
                                                              : SerialNumbers::State::Spoiled);
    if (!row.row)
        return;
    const QJsonObject r = records[0].toObject();
    EXPECT_EQ(r["result"], QString::fromLatin1(row.row));
    if (row.exit == 6)
        EXPECT_EQ(r["id"], pendingId) << "the upload completed the row written at the start";
    if (state == SerialNumbers::State::Used || row.fault == Fault::SpoiledElsewhere) {
        EXPECT_EQ(r["serial"], 4660);
        EXPECT_EQ(r["spoiledSerial"], QJsonValue());
    } else {
        EXPECT_EQ(r["serial"], QJsonValue());
        EXPECT_EQ(r["spoiledSerial"], 4660);
    }
    if (row.fault == Fault::SpoiledElsewhere)
        EXPECT_TRUE(r["endReason"].toString().startsWith(QStringLiteral("序列号冲突")));
    EXPECT_EQ(r["operator"], "Li");
    EXPECT_EQ(r["lot"], "L7");
    EXPECT_EQ(r["scheme"], "line.SET");
}

using B = Backend;
using F = Fault;
using C = Chip;
INSTANTIATE_TEST_SUITE_P(
    Faults, CliEndToEndRecordFaults,
    ::testing::Values(RecordFault{"sqlite_disk_full", B::Sqlite, F::DiskFull, 6, 1, "pass", "used",
                                  C::Programmed},
                      RecordFault{"postgres_stopped", B::Postgres, F::ServerStopped, 6, 1, "pass",
                                  "used", C::Programmed},
                      RecordFault{"sqlite_killed", B::Sqlite, F::Killed, -1, 0, "interrupted",
                                  "spoiled", C::Partial},
                      RecordFault{"postgres_killed", B::Postgres, F::Killed, -1, 0, "interrupted",
                                  "spoiled", C::Partial},
                      RecordFault{"sqlite_torn_spool", B::Sqlite, F::TornSpool, 6, 1, "pass",
                                  "used", C::Programmed},
                      RecordFault{"sqlite_record_and_spool_full", B::Sqlite, F::BothFull, 7, 0,
                                  "interrupted", "spoiled", C::Programmed},
                      RecordFault{"postgres_stalled", B::Postgres, F::Stalled, 6, 1, "pass", "used",
                                  C::Programmed},
                      RecordFault{"postgres_stalled_ctrl_c", B::Postgres, F::StalledThenCtrlC, 6, 1,
                                  "pass", "used", C::Programmed},
                      RecordFault{"postgres_table_locked", B::Postgres, F::LockHeld, 5, 0, nullptr,
                                  nullptr, C::Untouched},
                      RecordFault{"postgres_killed_between_number_and_row", B::Postgres,
                                  F::KilledAtRow, -1, 0, nullptr, nullptr, C::Untouched},
                      RecordFault{"sqlite_stopped_in_serial_step", B::Sqlite, F::StopInSerial, 130,
                                  0, "stopped", "spoiled", C::WithoutSerial},
                      RecordFault{"postgres_spoiled_elsewhere", B::Postgres, F::SpoiledElsewhere, 6,
                                  1, "pass", "spoiled", C::Programmed}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
