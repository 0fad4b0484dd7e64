// SPDX-License-Identifier: MIT
// The production record on the command line: the check before a command
// that changes the chip, and the listing.
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <cstdio>

#include "app/PassRecorder.h"
#include "app/SerialFile.h"
#include "cli/CliRunner.h"
#include "core/OperationError.h"
#include "record/RecordSpool.h"
#include "record/RecordStore.h"
#include "record/RecordUrl.h"

namespace kv::cli {

namespace {

RecordPolicy policyOf(const CliRequest& request, const SettingsStore& settings) {
    RecordPolicy policy = RecordPolicy::fromSettings(settings);
    if (!request.recordUrl.isEmpty())
        policy.url = request.recordUrl;
    if (request.operatorName)
        policy.operatorName = *request.operatorName;
    if (request.lot)
        policy.lot = *request.lot;
    // A script has no one watching the log: what it wrote is read back for
    // the record, whatever the window's own setting says.
    policy.readBack = true;
    // The deadline of the record's waits, for this run only.
    bool set = false;
    const int seconds = qEnvironmentVariableIntValue("KELVARO_RECORD_TIMEOUT", &set);
    if (set && seconds > 0)
        policy.waitSeconds = seconds;
    return policy;
}

// Local time with its offset from UTC, so a listing read elsewhere or across
// a clock change still names the instant.
QString localTimeText(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

// The gang this run belongs to: the gang sets these for its sockets' processes.
RecordContext gangContext() {
    RecordContext context;
    context.gangRun = qEnvironmentVariable("KV_GANG_RUN");
    bool ok = false;
    const int socket = qEnvironmentVariableIntValue("KV_GANG_SOCKET", &ok);
    if (ok && !context.gangRun.isEmpty())
        context.gangSocket = socket;
    return context;
}

}  // namespace

int CliRunner::prepareRecorder() {
    if (!m_request.changesChip())
        return kExitDone;
    const RecordPolicy policy = policyOf(m_request, m_settings.store());
    if (m_request.noRecord) {
        // A line that must record decides that in the window's settings, not per run.
        if (!policy.allowUnrecorded) {
            return fail(kExitUsage, QCoreApplication::translate(
                                        "CliRecordCommands",
                                        "--no-record 需要窗口设置中允许无记录编程（[%1] %2=1）。")
                                        .arg(RecordPolicy::section(), RecordPolicy::allowKey()));
        }
        m_report.note(
            QCoreApplication::translate("CliRecordCommands", "按 --no-record，本次编程不作记录。"));
        return kExitDone;
    }
    m_recorder = std::make_unique<PassRecorder>(policy, m_clock,
                                                [] { return QDateTime::currentDateTimeUtc(); });
    m_recorder->setContext(gangContext());
    if (m_request.id == CommandId::RunPass)
        m_recorder->setSchemeFile(m_request.file);
    if (const auto refusal = m_recorder->admit())
        return fail(kExitRecord, *refusal);
    for (const QString& note : m_recorder->spoolNotes())
        m_report.note(note);
    try {
        if (!m_request.serialFile.isEmpty()) {
            m_serialSource = m_request.serialFile;
            m_serialScheme = SerialFile::load(m_request.serialFile);
        } else if (m_request.id == CommandId::RunPass) {
            m_serialSource = SerialFile::besideScheme(m_request.file);
            m_serialScheme = SerialFile::loadBeside(m_request.file);
        }
    } catch (const OperationError& e) {
        return fail(kExitFile, e.text());
    }
    // Numbers come from the record; a run that keeps none cannot take one.
    if (m_serialScheme && !m_recorder->unrecordedNote().isEmpty())
        return fail(kExitRecord, m_recorder->unrecordedNote());
    return kExitDone;
}

int CliRunner::runRecordList() {
    const RecordPolicy policy = policyOf(m_request, m_settings.store());
    RecordFilter filter;
    filter.since = m_request.since;
    if (m_request.failedOnly)
        filter.result = QStringLiteral("fail");
    try {
        // One connection for the spool's upload and the listing.
        PassRecorder recorder(policy, m_clock, [] { return QDateTime::currentDateTimeUtc(); });
        RecordStore& store = recorder.store();
        // Records that waited in the spool belong in the listing.
        try {
            const RecordSpool::Flushed flushed = recorder.flushSpool();
            m_findings.insert(QStringLiteral("setAside"), flushed.setAside);
            for (const QString& note : flushed.notes)
                m_report.note(note);
        } catch (const OperationError&) {
        }
        if (m_request.csv) {
            const QByteArray csv = store.exportCsv(filter);
            std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
            return kExitDone;
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
        m_findings.insert(QStringLiteral("records"), list);
        m_human = lines.join(u'\n');
    } catch (const OperationError& e) {
        return fail(kExitRecord, e.text());
    }
    return kExitDone;
}

int CliRunner::runRecordFlush() {
    PassRecorder recorder(policyOf(m_request, m_settings.store()), m_clock,
                          [] { return QDateTime::currentDateTimeUtc(); });
    const QString target = recorder.spoolTarget();
    RecordSpool spool(recorder.spoolPath());
    RecordSpool::Flushed flushed;
    try {
        flushed = recorder.flushSpool();
    } catch (const OperationError& e) {
        m_findings.insert(QStringLiteral("waiting"), spool.count(target));
        return fail(kExitRecord, e.text());
    }
    for (const QString& note : std::as_const(flushed.notes))
        m_report.note(note);
    m_findings.insert(QStringLiteral("uploaded"), flushed.uploaded);
    m_findings.insert(QStringLiteral("waiting"), spool.count(target));
    m_findings.insert(QStringLiteral("setAside"), flushed.setAside);
    m_findings.insert(QStringLiteral("conflicts"), QJsonArray::fromStringList(flushed.conflicts));
    m_human = QCoreApplication::translate("CliRecordCommands", "已上传%1条暂存的记录。")
                  .arg(flushed.uploaded);
    if (flushed.setAside > 0)
        m_human += QCoreApplication::translate("CliRecordCommands", "另有%1行无法读取，已移到 %2。")
                       .arg(flushed.setAside)
                       .arg(spool.quarantinePath());
    return kExitDone;
}

}  // namespace kv::cli
