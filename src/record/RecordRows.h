// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QStringList>
#include <QVariantList>

#include "record/PassRecord.h"

class QSqlQuery;

namespace kv::recordrows {

// The columns of table passes after its id, in the order of passValues().
const QStringList& passColumns();
QVariantList passValues(const PassRecord& record);
// A record from a row of "id, passColumns()" starting at column 0.
PassRecord passFromRow(const QSqlQuery& row);

// The result as listings show it: a "started" row whose process is gone
// is "interrupted".
QString shownResult(const QString& result, const QString& host, qint64 pid, const QString& token,
                    const QDateTime& startedAt, const QDateTime& now);

// ISO 8601 in UTC with milliseconds: sorts as time does.
QString timeText(const QDateTime& time);
QDateTime timeFromText(const QString& text);

}  // namespace kv::recordrows
