// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <signal.h>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "schemes/SchemeFile.h"

#include "tests/cli/CliProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

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

    CliProcess list;
    list.useFoldersOf(first);
    ASSERT_EQ(list.run({"--json", "record", "list"}), 0);
    const QJsonArray records = list.result()["records"].toArray();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toObject()["id"].toInteger(), second.result()["record"].toInteger());
    EXPECT_EQ(records[0].toObject()["serial"].toInteger(), 4663);
    EXPECT_EQ(records[1].toObject()["serial"].toInteger(), 4660);
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

}  // namespace
}  // namespace kv::test
