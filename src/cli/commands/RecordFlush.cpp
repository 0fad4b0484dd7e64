// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QJsonArray>

#include "cli/CliRecordPolicy.h"
#include "cli/CommandRun.h"
#include "cli/Subcommand.h"
#include "record/RecordSpool.h"

namespace kv::cli::commands {

namespace {

void recordFlush(CommandRun& run) {
    PassRecorder recorder(recordPolicyOf(run.request(), run.settings()), run.clock(),
                          [] { return QDateTime::currentDateTimeUtc(); });
    const QString target = recorder.spoolTarget();
    RecordSpool spool(recorder.spoolPath());
    RecordSpool::Flushed flushed;
    try {
        flushed = recorder.flushSpool();
    } catch (const OperationError& e) {
        run.find(QStringLiteral("waiting"), spool.count(target));
        CommandRun::end(Ending::Record, e.text());
    }
    for (const QString& note : std::as_const(flushed.notes))
        run.report().note(note);
    run.find(QStringLiteral("uploaded"), flushed.uploaded);
    run.find(QStringLiteral("waiting"), spool.count(target));
    run.find(QStringLiteral("setAside"), flushed.setAside);
    run.find(QStringLiteral("conflicts"), QJsonArray::fromStringList(flushed.conflicts));
    QString human = QCoreApplication::translate("CliRecordCommands", "已上传%1条暂存的记录。")
                        .arg(flushed.uploaded);
    if (flushed.setAside > 0)
        human += QCoreApplication::translate("CliRecordCommands", "另有%1行无法读取，已移到 %2。")
                     .arg(flushed.setAside)
                     .arg(spool.quarantinePath());
    run.setHuman(human);
}

}  // namespace

const Subcommand& recordFlush() {
    static const Subcommand command{
        .name = QStringLiteral("record flush"),
        .usage = QStringLiteral("record flush"),
        .summary =
            QStringLiteral("upload the records that wait in the spool (chips done while the\n"
                           "      record's database was away); every run does this first"),
        .example = QStringLiteral("kelvaro-cli --record postgresql://line@db/kelvaro record flush"),
        .reach = Reach::Nothing,
        .invoke = recordFlush,
    };
    return command;
}

}  // namespace kv::cli::commands
