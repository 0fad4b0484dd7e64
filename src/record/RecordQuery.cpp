// SPDX-License-Identifier: MIT
// The viewer's and the command line's side of RecordStore: listings, counts
// and CSV export.

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

#include "record/RecordDatabase.h"
#include "record/RecordRows.h"
#include "record/RecordStore.h"

namespace kv {

namespace {

// " WHERE ..." for the filter (empty when it passes everything) and its values.
QString whereClause(const RecordFilter& filter, QVariantList& values) {
    QStringList terms;
    if (filter.since.isValid()) {
        terms << QStringLiteral("started_at >= ?");
        values << recordrows::timeText(filter.since);
    }
    if (filter.until.isValid()) {
        terms << QStringLiteral("started_at < ?");
        values << recordrows::timeText(filter.until);
    }
    // A chip that did not pass: failed, stopped, or not finished at all.
    if (filter.result == u"fail") {
        terms << QStringLiteral("result <> 'pass'");
    } else if (!filter.result.isEmpty()) {
        terms << QStringLiteral("result = ?");
        values << filter.result;
    }
    const std::pair<const char*, QString> texts[] = {{"model", filter.model},
                                                     {"station", filter.station}};
    for (const auto& [column, value] : texts) {
        if (!value.isEmpty()) {
            terms << QString::fromLatin1(column) + QStringLiteral(" = ?");
            values << value;
        }
    }
    if (filter.serial) {
        terms << QStringLiteral("serial = ?");
        values << *filter.serial;
    }
    if (!filter.serialPrefix.isEmpty()) {
        // Both databases write a whole number as its plain decimal digits.
        terms << QStringLiteral("CAST(serial AS TEXT) LIKE ?");
        values << QString(filter.serialPrefix + u'%');
    }
    return terms.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

}  // namespace

QString RecordStore::spreadsheetSafe(const QString& text) {
    // A spreadsheet runs a cell that begins so as a formula; a leading quote
    // makes it text. A number (a negative one too) stays a number.
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]+)?$"));
    static const QString leads = QStringLiteral("=+-@\t\r");
    if (text.isEmpty() || !leads.contains(text.front()) || number.match(text).hasMatch())
        return text;
    return u'\'' + text;
}

namespace {

QByteArray csvField(const QString& text) {
    QByteArray field = RecordStore::spreadsheetSafe(text).toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\r') ||
        field.contains('\n')) {
        field.replace("\"", "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

QByteArray csvLine(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}

}  // namespace

QList<PassRecord> RecordStore::list(const RecordFilter& filter, int offset, int limit) {
    openForReading();
    QVariantList values;
    const QString where = whereClause(filter, values);
    values << limit << offset;
    QSqlQuery rows = m_database->exec(
        QStringLiteral("SELECT id,%1 FROM passes%2 ORDER BY started_at DESC, id DESC"
                       " LIMIT ? OFFSET ?")
            .arg(recordrows::passColumns().join(u','), where),
        values);
    QList<PassRecord> records;
    while (rows.next()) {
        records << recordrows::passFromRow(rows);
        records.last().result = shownResult(records.last());
    }
    // A page that broke off part-way (a damaged file) is no page.
    m_database->failOnBrokenRead(rows);
    return records;
}

qint64 RecordStore::count(const RecordFilter& filter) {
    openForReading();
    QVariantList values;
    const QString where = whereClause(filter, values);
    return m_database->scalar(QStringLiteral("SELECT COUNT(*) FROM passes") + where, values)
        .toLongLong();
}

QByteArray RecordStore::exportCsv(const RecordFilter& filter) {
    openForReading();
    QVariantList values;
    const QString where = whereClause(filter, values);
    const QStringList columns = QStringList{QStringLiteral("id")} + recordrows::passColumns();
    QSqlQuery rows =
        m_database->exec(QStringLiteral("SELECT %1 FROM passes%2 ORDER BY started_at DESC, id DESC")
                             .arg(columns.join(u','), where),
                         values);
    QByteArray csv = csvLine(columns);
    const QDateTime now = wallClockNow();
    while (rows.next()) {
        QStringList fields;
        for (qsizetype i = 0; i < columns.size(); ++i)
            fields << (rows.value(int(i)).isNull() ? QString() : rows.value(int(i)).toString());
        auto at = [&](const char* name) {
            return fields.value(columns.indexOf(QLatin1String(name)));
        };
        fields[columns.indexOf(QLatin1String("result"))] = recordrows::shownResult(
            at("result"), at("host"), at("pid").toLongLong(), at("process_token"),
            recordrows::timeFromText(at("started_at")), now);
        csv += csvLine(fields);
    }
    m_database->failOnBrokenRead(rows);
    return csv;
}

}  // namespace kv
