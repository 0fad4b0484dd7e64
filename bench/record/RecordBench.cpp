// SPDX-License-Identifier: MIT
#include "RecordBench.h"

#include <QElapsedTimer>

#include "app/RecordBrowser.h"
#include "record/PassRecord.h"
#include "record/RecordDatabase.h"
#include "record/RecordRows.h"
#include "record/RecordStore.h"

namespace kv::bench {

namespace {

PassRecord typicalPass(int n) {
    PassRecord r;
    r.startedAt = QDateTime::currentDateTimeUtc().addSecs(-100000 + n);
    r.finishedAt = r.startedAt.addSecs(8);
    r.station = QStringLiteral("bench-station");
    r.port = QStringLiteral("COM1");
    r.device = QStringLiteral("/dev/ttyUSB0");
    r.model = n % 3 ? QStringLiteral("ATMEGA8") : QStringLiteral("ATMEGA168");
    r.signature = QStringLiteral("1E9307");
    r.flash = RecordImage::fromContent(QStringLiteral("main.hex"), QByteArray(8192, char(n)));
    r.eeprom = RecordImage::fromContent(QStringLiteral("data.eep"), QByteArray(512, char(n)));
    r.fusesWritten = r.fusesRead = QByteArray::fromHex("E1D9");
    r.lockWritten = r.lockRead = 0xFC;
    r.calibrationValue = 0xA0;
    r.calibrationTarget = QStringLiteral("FLASH 0x1FFF");
    for (int i = 0; i < 10; ++i)
        r.steps << RecordStep{
            QStringLiteral("step %1").arg(i), QStringLiteral("pass"), 100 + i, {}};
    for (int i = 0; i < 60; ++i)
        r.log << QStringLiteral("第 %1 行 FLASH 写入 0x%2")
                     .arg(i)
                     .arg(i * 128, 4, 16, QLatin1Char('0'));
    r.result = n % 10 ? QStringLiteral("pass") : QStringLiteral("fail");
    if (r.result == u"fail")
        r.steps.last().result = QStringLiteral("fail");
    r.serial = n;
    return r;
}

// Rows of table passes only, many per statement in one transaction: the
// fastest way to a big table, not what a station does.
void fillPasses(RecordStore& store, int records) {
    RecordDatabase& db = store.database();
    const QStringList& columns = recordrows::passColumns();
    const QString row = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    constexpr int kRows = 50;
    db.inWriteTransaction([&] {
        for (int first = 0; first < records; first += kRows) {
            const int n = std::min(kRows, records - first);
            QVariantList values;
            for (int i = first; i < first + n; ++i)
                values << recordrows::passValues(typicalPass(i));
            db.exec(QStringLiteral("INSERT INTO passes (%1) VALUES %2")
                        .arg(columns.join(u','), QStringList(n, row).join(u',')),
                    values);
        }
    });
}

}  // namespace

RecordMeasurement timeAppends(const QString& backend, const QString& url, int count) {
    RecordStore store(url);
    store.ensureReachable();
    QList<PassRecord> passes;
    for (int i = 0; i < count; ++i)
        passes << typicalPass(i);
    store.append(passes.first());  // the first pays for the statement caches
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i < count; ++i)
        store.append(passes[i]);
    const double ms = double(timer.nsecsElapsed()) / 1e6 / (count - 1);
    return {backend, QStringLiteral("append one pass"), ms, backend == u"sqlite" ? 5.0 : 20.0};
}

QList<RecordMeasurement> timeViewerOpen(const QString& backend, const QString& url, int records) {
    qint64 expected = records;
    {
        RecordStore store(url);
        store.ensureReachable();
        expected += store.count({});
        QElapsedTimer fill;
        fill.start();
        fillPasses(store, records);
        qInfo("filled in %lld ms", fill.elapsed());
    }
    QElapsedTimer timer;
    timer.start();
    RecordStore store(url);
    const qint64 total = store.count({});
    const QList<PassRecord> page = store.list({}, 0, 100);
    const double openMs = double(timer.nsecsElapsed()) / 1e6;
    if (total != expected || page.size() != 100)
        throw std::runtime_error("the viewer's listing came back short");

    timer.restart();
    RecordFilter failed;
    failed.result = QStringLiteral("fail");
    failed.model = QStringLiteral("ATMEGA168");
    store.count(failed);
    store.list(failed, 0, 100);
    const double filteredMs = double(timer.nsecsElapsed()) / 1e6;
    // What the viewer window does on opening: a browser of its own, the query
    // of an empty filter row, and the texts of the first page's rows.
    timer.restart();
    RecordBrowser browser(url);
    if (!browser.apply({}))
        throw std::runtime_error(browser.errorText().toStdString());
    int cells = 0;
    for (const PassRecord& r : browser.rows())
        cells += int(RecordBrowser::rowTexts(r).size());
    const double browserMs = double(timer.nsecsElapsed()) / 1e6;
    if (browser.total() != expected || cells == 0)
        throw std::runtime_error("the viewer's first page came back short");

    const QString what = QStringLiteral("open %1 records, first page").arg(records);
    return {{backend, what, openMs, 300.0},
            {backend, QStringLiteral("filtered count and first page"), filteredMs, 300.0},
            {backend, QStringLiteral("viewer opens %1 records").arg(records), browserMs, 300.0}};
}

}  // namespace kv::bench
