// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <cstdio>
#include <limits>

#include "cli/CliRecordPolicy.h"
#include "cli/CommandRun.h"
#include "cli/Subcommand.h"
#include "record/RecordSpool.h"
#include "record/RecordStore.h"

namespace kv::cli::commands {

namespace {

// Local time with its offset from UTC, so a listing read elsewhere or across
// a clock change still names the instant.
QString localTimeText(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

void recordList(CommandRun& run) {
    const RecordPolicy policy = recordPolicyOf(run.request(), run.settings());
    RecordFilter filter;
    filter.since = run.request().since;
    if (run.request().failedOnly)
        filter.result = QStringLiteral("fail");
    try {
        // One connection for the spool's upload and the listing.
        PassRecorder recorder(policy, run.clock(), [] { return QDateTime::currentDateTimeUtc(); });
        RecordStore& store = recorder.store();
        // Records that waited in the spool belong in the listing.
        try {
            const RecordSpool::Flushed flushed = recorder.flushSpool();
            run.find(QStringLiteral("setAside"), flushed.setAside);
            for (const QString& note : flushed.notes)
                run.report().note(note);
        } catch (const OperationError&) {
        }
        if (run.request().csv) {
            const QByteArray csv = store.exportCsv(filter);
            std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
            return;
        }
        QJsonArray list;
        QStringList lines;
        for (const PassRecord& r : store.list(filter, 0, std::numeric_limits<int>::max())) {
            const QString serial = r.serial ? QString::number(*r.serial) : QString();
            list.append(QJsonObject{
                {"id", r.id},
                {"startedAt", r.startedAt.toString(Qt::ISODateWithMs)},
                {"finishedAt", r.finishedAt.toString(Qt::ISODateWithMs)},
                {"station", r.station},
                {"port", r.port},
                {"model", r.model},
                {"signature", r.signature},
                {"serial", r.serial ? QJsonValue(*r.serial) : QJsonValue()},
                {"result", r.result},
                {"endReason", r.endReason},
                {"spoiledSerial", r.spoiledSerial ? QJsonValue(*r.spoiledSerial) : QJsonValue()},
                {"operator", r.operatorName},
                {"lot", r.lot},
                {"scheme", r.schemeName},
                {"gangRun", r.gangRun},
                {"gangSocket", r.gangSocket ? QJsonValue(*r.gangSocket) : QJsonValue()}});
            lines << QStringList{QString::number(r.id),
                                 localTimeText(r.startedAt),
                                 r.station,
                                 r.port,
                                 r.model,
                                 r.signature,
                                 serial.isEmpty() ? QStringLiteral("-") : serial,
                                 r.result,
                                 r.endReason}
                         .join(u'\t')
                         .trimmed();
        }
        run.find(QStringLiteral("records"), list);
        run.setHuman(lines.join(u'\n'));
    } catch (const OperationError& e) {
        CommandRun::end(Ending::Record, e.text());
    }
    return;
}

}  // namespace

const Subcommand& recordList() {
    static const Subcommand command{
        .name = QStringLiteral("record list"),
        .options = {QStringLiteral("since"), QStringLiteral("failed"), QStringLiteral("csv")},
        .usage = QStringLiteral("record list [--since DATE] [--failed] [--csv]"),
        .summary =
            QStringLiteral("the production record, newest first; --csv prints every column as CSV"),
        .example = QStringLiteral("kelvaro-cli record list --since 2026-03-02 --failed"),
        .reach = Reach::Nothing,
        .invoke = recordList,
    };
    return command;
}

}  // namespace kv::cli::commands
