// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

namespace kv::bench {

// One timed figure against its target: the mean time of one operation.
struct RecordMeasurement {
    QString backend;  // "sqlite" or "postgresql"
    QString measure;
    double valueMs = 0;
    double targetMs = 0;
};

// Appends of a typical pass (10 steps, 60 log lines) into a new database at url.
RecordMeasurement timeAppends(const QString& backend, const QString& url, int count);
// Fills a new database at url with records rows (quickly, not timed), then
// times what the viewer does on opening it: connect, count, first page, in
// the store alone and through RecordBrowser as the window does.
QList<RecordMeasurement> timeViewerOpen(const QString& backend, const QString& url, int records);

}  // namespace kv::bench
