// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QJsonArray>

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
TEST(CliEndToEndRecord, AnUnreachableRecordSendsNothing) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    CliProcess cli;
    EXPECT_EQ(cli.run({"--json", "-p", sim.pts(), "--record",
                       "postgresql://nobody@127.0.0.1:1/none", "erase"}),
              5)
        << cli.rawOutput().toStdString();
    EXPECT_FALSE(cli.result()["message"].toString().isEmpty());
    EXPECT_EQ(sim.transcript(), "");

    // Without the window's permission there is no programming unrecorded.
    CliProcess unrecorded;
    EXPECT_EQ(unrecorded.run({"--json", "-p", sim.pts(), "--no-record", "erase"}), 2);
    EXPECT_EQ(sim.transcript(), "");
}

}  // namespace
}  // namespace kv::test
