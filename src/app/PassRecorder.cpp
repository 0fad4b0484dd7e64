// SPDX-License-Identifier: MIT
#include "app/PassRecorder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "core/Clock.h"
#include "core/OperationError.h"
#include "core/Version.h"
#include "record/ProcessIdentity.h"
#include "record/RecordDatabase.h"
#include "record/RecordTexts.h"
#include "record/RecordUrl.h"
#include "settings/SettingsStore.h"

namespace kv {

RecordPolicy RecordPolicy::fromSettings(const SettingsStore& settings) {
    RecordPolicy policy;
    policy.url = settings.read(section(), urlKey()).trimmed();
    policy.allowUnrecorded = settings.read(section(), allowKey()).trimmed() == u"1";
    policy.station = settings.read(section(), stationKey()).trimmed();
    policy.readBack = settings.read(section(), readBackKey()).trimmed() == u"1";
    policy.operatorName = settings.read(section(), operatorKey()).trimmed();
    policy.lot = settings.read(section(), lotKey()).trimmed();
    policy.waitSeconds = settings.read(section(), waitKey()).trimmed().toInt();
    return policy;
}

PassRecorder::PassRecorder(RecordPolicy policy, const Clock& clock, WallClock now)
    : m_policy(std::move(policy)),
      m_clock(clock),
      m_now(std::move(now)),
      m_spoolPath(RecordSpool::defaultPath()) {
    RecordDatabase::setLimitMs(m_policy.waitSeconds * 1000);
}

PassRecorder::~PassRecorder() = default;

void PassRecorder::setPolicy(RecordPolicy policy) {
    m_policy = std::move(policy);
    RecordDatabase::setLimitMs(m_policy.waitSeconds * 1000);
    m_store.reset();
}

RecordStore& PassRecorder::store() {
    if (!m_store) {
        m_store = std::make_unique<RecordStore>(m_policy.url.isEmpty() ? RecordUrl::defaultUrl()
                                                                       : m_policy.url);
    }
    return *m_store;
}

std::optional<QString> PassRecorder::admit() {
    m_note.clear();
    m_spoolNotes.clear();
    m_reason.clear();
    try {
        store().ensureReachable();
    } catch (const OperationError& e) {
        if (!m_policy.allowUnrecorded)
            return e.text();
        m_reason = e.text();
        m_note = logUnrecordedText(e.text());
        return std::nullopt;
    }
    // What an earlier run could not store goes first; when it cannot go now
    // it keeps waiting, and this pass still gets its own row.
    m_spoolNotes.clear();
    try {
        m_spoolNotes = flushSpool().notes;
    } catch (const OperationError&) {
    }
    return std::nullopt;
}

void PassRecorder::setSchemeFile(const QString& path) {
    m_context.schemeName = QFileInfo(path).fileName();
    m_context.schemeSha256.clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_context.schemeSha256 = QString::fromLatin1(
            QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

QString PassRecorder::spoolTarget() const {
    return RecordUrl::parse(m_policy.url.isEmpty() ? RecordUrl::defaultUrl() : m_policy.url)
        .displayText();
}

RecordSpool::Flushed PassRecorder::flushSpool() {
    RecordStore& records = store();
    const RecordSpool::Flushed flushed = RecordSpool(m_spoolPath).flushInto(records, spoolTarget());
    records.settleInterrupted();
    return flushed;
}

void PassRecorder::begin() {
    m_record = PassRecord{};
    m_record.startedAt = m_now();
    m_record.station = m_policy.station.isEmpty() ? PassRecord::defaultStation() : m_policy.station;
    m_record.passUid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_record.host = processidentity::localHost();
    m_record.pid = processidentity::currentPid();
    m_record.processToken = processidentity::currentToken();
    m_record.programVersion = QString::fromLatin1(kProgramVersion);
    m_record.operatorName = m_policy.operatorName;
    m_record.lot = m_policy.lot;
    m_record.gangRun = m_context.gangRun;
    m_record.gangSocket = m_context.gangSocket;
    m_record.schemeName = m_context.schemeName;
    m_record.schemeSha256 = m_context.schemeSha256;
    m_record.firmwareVersion = m_context.firmwareVersion;
    m_stepOpen = false;
    m_active = true;
}

RecordStore::Started PassRecorder::writeStarted(const QString& serialSequence) {
    PassRecord started = m_record;
    started.result = QStringLiteral("started");
    started.finishedAt = started.startedAt;
    started.steps.clear();
    started.log.clear();
    const RecordStore::Started written = store().appendStarted(started, serialSequence);
    if (written.serial) {
        m_record.serialSequence = serialSequence;
        m_record.spoiledSerial = written.serial;
    }
    return written;
}

void PassRecorder::addLogLine(const QString& line) {
    if (m_active)
        m_record.log << line;
}

void PassRecorder::startStep(const QString& name) {
    endStep(QStringLiteral("pass"));
    m_record.steps << RecordStep{name, QString(), 0, QString()};
    m_stepStartMs = m_clock.nowMs();
    m_stepOpen = true;
}

void PassRecorder::endStep(const QString& result, const QString& detail) {
    if (!m_stepOpen)
        return;
    RecordStep& step = m_record.steps.last();
    step.result = result;
    step.detail = detail;
    step.durationMs = m_clock.nowMs() - m_stepStartMs;
    m_stepOpen = false;
}

void PassRecorder::amendStep(const QString& name, const QString& result, const QString& detail) {
    for (RecordStep& step : m_record.steps) {
        if (step.name == name) {
            step.result = result;
            step.detail = detail;
        }
    }
}

PassRecorder::Finished PassRecorder::finish(const std::optional<QString>& failure, bool stopped) {
    m_active = false;
    if (failure)
        endStep(QStringLiteral("fail"), *failure);
    else
        endStep(QStringLiteral("pass"));
    m_record.finishedAt = m_now();
    m_record.endReason = failure.value_or(QString());
    for (const RecordStep& step : std::as_const(m_record.steps)) {
        if (step.result == u"fail" && m_record.endReason.isEmpty())
            m_record.endReason =
                step.detail.isEmpty() ? step.name : step.name + QStringLiteral(": ") + step.detail;
    }
    // Nothing counts as passed that did not run to its end with every step passed.
    m_record.result = m_record.endReason.isEmpty() ? QStringLiteral("pass")
                      : stopped                    ? QStringLiteral("stopped")
                                                   : QStringLiteral("fail");
    try {
        return {store().append(m_record), std::nullopt};
    } catch (const OperationError& e) {
        // The chip is done: its record waits on this disk rather than being lost.
        try {
            RecordSpool(m_spoolPath).append(spoolTarget(), m_record);
        } catch (const OperationError& spoolError) {
            const std::optional<qint64> serial =
                m_record.serial ? m_record.serial : m_record.spoiledSerial;
            throw OperationError(
                ErrorKind::RecordLost,
                recordtexts::recordLost(serial ? QString::number(*serial) : QStringLiteral("-"),
                                        m_record.passUid, e.text(), spoolError.text()));
        }
        return {0, pendingText(e.text(), m_spoolPath)};
    }
}

}  // namespace kv
