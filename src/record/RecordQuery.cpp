// SPDX-License-Identifier: MIT
// The viewer's and the command line's side of RecordStore: listings, counts
// and CSV export.

#include <QHash>
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
    if (!filter.operation.isEmpty()) {
        // PassRecord::operation() in SQL: a lone step of a single command
        // names it, any other steps make a pass.
        const QString steps =
            QStringLiteral("(SELECT COUNT(*) FROM pass_steps s WHERE s.pass_id = passes.id)");
        const QString single = QStringLiteral(
            "EXISTS (SELECT 1 FROM pass_steps s WHERE s.pass_id = passes.id AND s.name IN (%1))");
        if (filter.operation == u"pass") {
            const QStringList& names = PassRecord::singleCommandSteps();
            terms << QStringLiteral("%1 > 0 AND NOT (%1 = 1 AND %2)")
                         .arg(
                             steps,
                             single.arg(QStringList(names.size(), QStringLiteral("?")).join(u',')));
            for (const QString& name : names)
                values << name;
        } else {
            terms << QStringLiteral("%1 = 1 AND %2").arg(steps, single.arg(QStringLiteral("?")));
            values << filter.operation;
        }
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
    if (records.isEmpty())
        return records;
    // The page's steps in one query: the list shows what each record did.
    QHash<qint64, qsizetype> at;
    QVariantList ids;
    for (qsizetype i = 0; i < records.size(); ++i) {
        at.insert(records[i].id, i);
        ids << records[i].id;
    }
    QSqlQuery steps = m_database->exec(
        QStringLiteral("SELECT pass_id, name, result, duration_ms, detail FROM pass_steps"
                       " WHERE pass_id IN (%1) ORDER BY pass_id, position")
            .arg(QStringList(ids.size(), QStringLiteral("?")).join(u',')),
        ids);
    while (steps.next()) {
        records[at.value(steps.value(0).toLongLong())].steps << RecordStep{
            steps.value(1).toString(), steps.value(2).toString(), steps.value(3).toLongLong(),
            steps.value(4).isNull() ? QString() : steps.value(4).toString()};
    }
    m_database->failOnBrokenRead(steps);
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
