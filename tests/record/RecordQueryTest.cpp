// SPDX-License-Identifier: MIT
// Listings for the viewer and the command line: filters, paging, CSV.

#include <gtest/gtest.h>

#include "record/RecordStore.h"
#include "tests/record/RecordRig.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {
namespace {

QList<qint64> ids(const QList<PassRecord>& records) {
    QList<qint64> result;
    for (const PassRecord& r : records)
        result << r.id;
    return result;
}

TEST(RecordQueryTest, FiltersPagesAndExportsNewestFirst) {
    FreshDatabase fresh(Backend::Sqlite);
    RecordStore store(fresh.url());
    // Six passes a minute apart; odd ones failed, the last three on station B.
    QList<qint64> added;
    for (int i = 0; i < 6; ++i) {
        PassRecord r = i % 2 ? failedRecord() : passingRecord();
        r.startedAt = at("2024-05-01T10:00:00.000Z").addSecs(60 * i);
        r.finishedAt = r.startedAt.addSecs(5);
        r.station = i < 3 ? QStringLiteral("A") : QStringLiteral("B");
        r.serial = 100 + i;
        added << store.append(r);
    }
    EXPECT_EQ(ids(store.list({}, 0, 4)), (QList<qint64>{added[5], added[4], added[3], added[2]}));
    EXPECT_EQ(ids(store.list({}, 4, 4)), (QList<qint64>{added[1], added[0]}));
    EXPECT_EQ(store.count({}), 6);

    RecordFilter failedOnB;
    failedOnB.result = QStringLiteral("fail");
    failedOnB.station = QStringLiteral("B");
    EXPECT_EQ(ids(store.list(failedOnB, 0, 10)), (QList<qint64>{added[5], added[3]}));
    // Since is inclusive, until exclusive.
    RecordFilter window;
    window.since = at("2024-05-01T10:01:00.000Z");
    window.until = at("2024-05-01T10:03:00.000Z");
    EXPECT_EQ(ids(store.list(window, 0, 10)), (QList<qint64>{added[2], added[1]}));
    RecordFilter modelAndSerial;
    modelAndSerial.model = QStringLiteral("ATMEGA16");
    modelAndSerial.serial = 103;
    EXPECT_EQ(ids(store.list(modelAndSerial, 0, 10)), (QList<qint64>{added[3]}));

    RecordFilter serial;
    serial.serial = 104;
    const QList<QByteArray> lines = store.exportCsv(serial).split('\n');  // each keeps its CR
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("id,started_at,finished_at,station,port,device,model,"));
    EXPECT_TRUE(
        lines[1].startsWith(QByteArray(QByteArray::number(added[4]) +
                                       ",2024-05-01T10:04:00.000Z,2024-05-01T10:04:05.000Z,B,COM1,"
                                       "/dev/ttyUSB0,ATMEGA8,1E9307,pass,,,104,"
                                       "\"/srv/fw/main, v2.hex\",4,")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(",E1 D9,E1 D9,FC,FC,167,FLASH 0x1FFF,"));
    EXPECT_TRUE(lines[1].endsWith(",2.1.0,V3.2,王工,WO-2024-118,\r")) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "");
}

// A cell a spreadsheet would run as a formula becomes text; numbers stay numbers.
TEST(RecordQueryTest, CsvCellsNeverRunAsFormulas) {
    const std::pair<const char*, const char*> cells[] = {
        {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tline", "'\tline"},
        {"\rline", "'\rline"},
        {"-5", "-5"},
        {"-0.25", "-0.25"},
        {"+7", "+7"},
        {"line2=A", "line2=A"},
        {"", ""},
    };
    for (const auto& [cell, safe] : cells)
        EXPECT_EQ(RecordStore::spreadsheetSafe(QString::fromUtf8(cell)), QString::fromUtf8(safe))
            << cell;

    FreshDatabase fresh(Backend::Sqlite);
    RecordStore store(fresh.url());
    PassRecord r = passingRecord();
    r.station = QStringLiteral("=1+1");
    r.serial = -12;
    store.append(r);
    const QByteArray row = store.exportCsv({}).split('\n').value(1);
    EXPECT_TRUE(row.contains(",'=1+1,")) << row.toStdString();
    EXPECT_TRUE(row.contains(",-12,")) << row.toStdString();
}

}  // namespace
}  // namespace kv::test
