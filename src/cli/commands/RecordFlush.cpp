// SPDX-License-Identifier: MIT
#include <QCoreApplication>

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
    int uploaded = 0;
    try {
        uploaded = recorder.flushSpool();
    } catch (const OperationError& e) {
        run.find(QStringLiteral("waiting"), spool.count(target));
        CommandRun::end(Ending::Record, e.text());
    }
    const int waiting = spool.count(target);
    run.find(QStringLiteral("uploaded"), uploaded);
    run.find(QStringLiteral("waiting"), waiting);
    run.setHuman(
        QCoreApplication::translate("CliRecordCommands", "已上传%1条暂存的记录。").arg(uploaded));
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
