// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "app/Language.h"
#include "app/RecordBrowser.h"
#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ThrownText.h"

namespace kv::test {
namespace {

constexpr int kRecords = 260;
constexpr int kPage = 40;

// Records spread over five local days, four stations, three models, every
// seventh failed, serial numbers 990.. on all but every tenth; appended out of
// time order so that the listing's order is the store's doing.
PassRecord recordNumber(int i) {
    static const char* const models[] = {"ATMEGA8", "ATMEGA16", "ATTINY26"};
    PassRecord r;
    const int minute = (i * 37) % kRecords;  // a permutation of 0..kRecords-1
    r.startedAt =
        QDateTime(QDate(2026, 3, 2).addDays(minute / 52), QTime(8, 0).addSecs(minute * 60));
    r.finishedAt = r.startedAt.addSecs(9);
    r.station = QStringLiteral("line-%1").arg(i % 4);
    r.port = QStringLiteral("COM1");
    r.model = QString::fromLatin1(models[i % 3]);
    r.signature = QStringLiteral("1E9307");
    r.result = i % 7 == 0 ? QStringLiteral("fail") : QStringLiteral("pass");
    r.steps = {{QStringLiteral("erase"), QStringLiteral("pass"), 12, QString()},
               {QStringLiteral("verify flash"),
                i % 7 == 0 ? QStringLiteral("fail") : QStringLiteral("pass"), 340,
                i % 7 == 0 ? QStringLiteral("mismatch at 0x0005") : QString()}};
    if (i % 7 == 0) {
        r.endReason = QStringLiteral("verify flash: mismatch at 0x0005");
        r.device = QStringLiteral("/dev/ttyUSB0");
        r.schemeName = QStringLiteral("line.SET");
        r.schemeSha256 = QString(64, u'a');
    } else if (i % 5 == 1) {
        r.steps = {{QStringLiteral("erase"), QStringLiteral("pass"), 12, QString()}};
    } else if (i % 5 == 2) {
        // A pass of one step that no command records alone is still a pass.
        r.steps = {{i % 2 ? QStringLiteral("fuses") : QStringLiteral("write flash"),
                    QStringLiteral("pass"), 30, QString()}};
    }
    if (i % 10 != 0) {
        r.serialSequence = QStringLiteral("board");
        r.serial = 990 + i;
    }
    r.flash = RecordImage::fromContent(QStringLiteral("fw.hex"), QByteArray::number(i));
    r.fusesWritten = QByteArray::fromHex("E1D9");
    r.fusesRead = QByteArray::fromHex("E1D9");
    r.log = {QStringLiteral("擦除完成。"), QStringLiteral("pass %1").arg(i)};
    return r;
}

struct Case {
    const char* name;
    RecordQuery query;
    std::function<bool(const PassRecord&)> passes;
};

class RecordBrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        RecordStore store(url());
        for (int i = 0; i < kRecords; ++i) {
            PassRecord r = recordNumber(i);
            r.id = store.append(r);
            all.append(r);
        }
        // Newest first, as the viewer must list them.
        std::sort(all.begin(), all.end(), [](const PassRecord& a, const PassRecord& b) {
            return a.startedAt > b.startedAt;
        });
    }
    static void TearDownTestSuite() { delete dir; }
    static QString url() {
        return QStringLiteral("sqlite:") + dir->filePath(QStringLiteral("r.sqlite"));
    }

    static QList<PassRecord> expected(const std::function<bool(const PassRecord&)>& passes) {
        QList<PassRecord> out;
        for (const PassRecord& r : all)
            if (passes(r))
                out << r;
        return out;
    }
    static QList<qint64> ids(const QList<PassRecord>& records) {
        QList<qint64> out;
        for (const PassRecord& r : records)
            out << r.id;
        return out;
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline QList<PassRecord> all;
};

// Every filter of the row alone and together: the count, newest first, and
// each page holding the next records in order.
TEST_F(RecordBrowserTest, FiltersListNewestFirstOnePageAtATime) {
    const QDate d3(2026, 3, 3), d4(2026, 3, 4);
    const auto serialStarts = [](const PassRecord& r, const char* digits) {
        return r.serial && QString::number(*r.serial).startsWith(QLatin1String(digits));
    };
    const Case cases[] = {
        {"everything", {}, [](const PassRecord&) { return true; }},
        {"failed", {.result = "fail"}, [](const PassRecord& r) { return r.result == u"fail"; }},
        {"passed model and station",
         {.result = "pass", .model = "ATMEGA16", .station = "line-2"},
         [](const PassRecord& r) {
             return r.result == u"pass" && r.model == u"ATMEGA16" && r.station == u"line-2";
         }},
        {"two whole local days",
         {.from = d3, .to = d4},
         [&](const PassRecord& r) {
             const QDate day = r.startedAt.toLocalTime().date();
             return day >= d3 && day <= d4;
         }},
        {"from a day on",
         {.from = d4},
         [&](const PassRecord& r) { return r.startedAt.toLocalTime().date() >= d4; }},
        {"serial exact", {.serial = "1101"}, [](const PassRecord& r) { return r.serial == 1101; }},
        {"serial prefix",
         {.serial = "11", .serialPrefix = true},
         [&](const PassRecord& r) { return serialStarts(r, "11"); }},
        {"serial prefix, failed, one day",
         {.from = d3, .to = d3, .result = "fail", .serial = "1", .serialPrefix = true},
         [&](const PassRecord& r) {
             return serialStarts(r, "1") && r.result == u"fail" &&
                    r.startedAt.toLocalTime().date() == d3;
         }},
        {"nothing", {.model = "ATMEGA9"}, [](const PassRecord&) { return false; }},
        {"erases",
         {.operation = "erase"},
         [](const PassRecord& r) { return r.operation() == u"erase"; }},
        {"fuse writes on one model",
         {.model = "ATMEGA8", .operation = "fuses"},
         [](const PassRecord& r) { return r.operation() == u"fuses" && r.model == u"ATMEGA8"; }},
        {"passes",
         {.operation = "pass"},
         [](const PassRecord& r) { return r.operation() == u"pass"; }},
    };
    RecordBrowser browser(url(), kPage);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<PassRecord> want = expected(c.passes);
        ASSERT_TRUE(browser.apply(c.query)) << browser.errorText().toStdString();
        EXPECT_EQ(browser.total(), want.size());
        EXPECT_EQ(browser.pageCount(), std::max<qsizetype>(1, (want.size() + kPage - 1) / kPage));
        QList<qint64> seen = ids(browser.rows());
        for (int page = 1; page < browser.pageCount(); ++page) {
            ASSERT_TRUE(browser.showPage(page));
            EXPECT_EQ(browser.page(), page);
            seen += ids(browser.rows());
        }
        EXPECT_EQ(seen, ids(want));
        EXPECT_FALSE(browser.showPage(browser.pageCount()));
    }
}

TEST_F(RecordBrowserTest, RowsAndDetailsShowWhatWasRecorded) {
    RecordBrowser browser(url(), kPage);
    ASSERT_TRUE(browser.apply({.result = "fail"}));
    const PassRecord& first = browser.rows().first();
    const PassRecord want = expected([](const PassRecord& r) { return r.result == u"fail"; })[0];
    EXPECT_EQ(RecordBrowser::rowTexts(first),
              QStringList({want.startedAt.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"), "编程",
                           want.station, "COM1", want.model, "1E9307",
                           want.serial ? QString::number(*want.serial) : QString(), "不合格",
                           want.flash->sha256.left(8), ""}));
    EXPECT_EQ(RecordBrowser::rowTexts(first).size(), RecordBrowser::columnTitles().size());

    const QStringList details = browser.detailsText(want.id).split(u'\n');
    for (const QString& line :
         QStringList{"结果：不合格", "原因：verify flash: mismatch at 0x0005",
                     "FLASH：fw.hex，" + QString::number(want.flash->size) + " 字节，SHA-256 " +
                         want.flash->sha256,
                     QStringLiteral("EEPROM：-"), QStringLiteral("写入熔丝位：低位 E1，高位 D9"),
                     QStringLiteral("  erase  合格  12 ms"),
                     QStringLiteral("  verify flash  不合格  340 ms  mismatch at 0x0005"),
                     "  " + want.log[1]})
        EXPECT_TRUE(details.contains(line)) << line.toStdString();
    {
        // English details use English punctuation.
        const LanguageTexts english(Language::English);
        const QString text = browser.detailsText(want.id);
        EXPECT_TRUE(text.contains(QStringLiteral("FLASH: fw.hex, "))) << text.toStdString();
        for (const QChar c : QStringLiteral("：（），"))
            EXPECT_FALSE(text.contains(c)) << text.toStdString();
    }
    EXPECT_EQ(browser.detailsText(999999), browser.errorText());
    EXPECT_FALSE(browser.errorText().isEmpty());
}

// The export holds every record the filter passes, not just the page shown.
TEST_F(RecordBrowserTest, ExportsTheFilteredListAsCsv) {
    RecordBrowser browser(url(), kPage);
    ASSERT_TRUE(browser.apply({.model = "ATTINY26"}));
    const QString path = dir->filePath(QStringLiteral("out.csv"));
    FakePrompts prompts;
    EXPECT_EQ(browser.exportCsv(prompts), std::nullopt);  // cancelled
    prompts.answers << path;
    const auto said = browser.exportCsv(prompts);
    ASSERT_TRUE(said.has_value());
    EXPECT_TRUE(said->contains(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.takeLast(), "");
    const QList<PassRecord> want =
        expected([](const PassRecord& r) { return r.model == u"ATTINY26"; });
    ASSERT_EQ(lines.size(), want.size() + 1);
    EXPECT_GT(want.size(), kPage);
    for (qsizetype i = 0; i < want.size(); ++i)
        EXPECT_TRUE(lines[i + 1].startsWith(QByteArray(QByteArray::number(want[i].id) + ','))) << i;
}

// A refresh shows what was appended meanwhile and stays on its page.
TEST_F(RecordBrowserTest, RefreshKeepsThePageAndShowsNewRecords) {
    QTemporaryDir own;
    const QString ownUrl = QStringLiteral("sqlite:") + own.filePath(QStringLiteral("r.sqlite"));
    RecordStore store(ownUrl);
    for (int i = 0; i < 90; ++i)
        store.append(recordNumber(i));
    RecordBrowser browser(ownUrl, kPage);
    ASSERT_TRUE(browser.apply({}));
    ASSERT_TRUE(browser.showPage(2));
    EXPECT_EQ(browser.rows().size(), 10);
    PassRecord newest = recordNumber(1);
    newest.startedAt = QDateTime(QDate(2026, 4, 1), QTime(9, 0));
    newest.id = store.append(newest);
    ASSERT_TRUE(browser.refresh());
    EXPECT_EQ(browser.total(), 91);
    EXPECT_EQ(browser.page(), 2);
    EXPECT_EQ(browser.rows().size(), 11);
    ASSERT_TRUE(browser.showPage(0));
    EXPECT_EQ(browser.rows().first().id, newest.id);
}

// What cannot be listed says why in the window instead of failing.
TEST(RecordBrowserErrors, BadInputAndUnusableStoresBecomeTexts) {
    QTemporaryDir dir;
    const QString newer = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("n.sqlite"));
    {
        RecordStore store(newer);
        store.open();
        store.database().exec(QStringLiteral("UPDATE schema_version SET version = 99"));
    }
    const QString unreachable = QStringLiteral("sqlite:/dev/null/r.sqlite");
    const QString good = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("g.sqlite"));
    struct Bad {
        const char* name;
        QString url;
        RecordQuery query;
        QString text;
    };
    const Bad cases[] = {
        {"newer schema", newer, {}, thrownText([&] { RecordStore(newer).open(); })},
        {"unreachable", unreachable, {}, thrownText([&] { RecordStore(unreachable).open(); })},
        {"bad url", "mysql://x/y", {}, thrownText([] {
             RecordStore(QStringLiteral("mysql://x/y"));
         })},
        {"serial not digits", good, {.serial = "12a"}, "序列号只能由数字组成：12a"},
        {"range backwards",
         good,
         {.from = QDate(2026, 3, 4), .to = QDate(2026, 3, 3)},
         "结束日期早于开始日期。"},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBrowser browser(c.url);
        EXPECT_FALSE(browser.apply(c.query));
        EXPECT_EQ(browser.errorText(), c.text);
        EXPECT_FALSE(c.text.isEmpty());
        EXPECT_TRUE(browser.rows().isEmpty());
        // The store's failures last; a refused filter leaves the last good one.
        EXPECT_EQ(browser.refresh(), c.url == good);
    }
}

}  // namespace
}  // namespace kv::test
