// SPDX-License-Identifier: MIT
#include "app/PassRecorder.h"

#include "core/Clock.h"
#include "core/OperationError.h"
#include "record/RecordStore.h"
#include "record/RecordUrl.h"
#include "settings/SettingsStore.h"

namespace kv {

RecordPolicy RecordPolicy::fromSettings(const SettingsStore& settings) {
    RecordPolicy policy;
    policy.url = settings.read(section(), urlKey()).trimmed();
    policy.allowUnrecorded = settings.read(section(), allowKey()).trimmed() == u"1";
    policy.station = settings.read(section(), stationKey()).trimmed();
    policy.readBack = settings.read(section(), readBackKey()).trimmed() == u"1";
    return policy;
}

PassRecorder::PassRecorder(RecordPolicy policy, const Clock& clock, WallClock now)
    : m_policy(std::move(policy)), m_clock(clock), m_now(std::move(now)) {}

PassRecorder::~PassRecorder() = default;

void PassRecorder::setPolicy(RecordPolicy policy) {
    m_policy = std::move(policy);
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
    m_reason.clear();
    try {
        store().ensureReachable();
        return std::nullopt;
    } catch (const OperationError& e) {
        if (!m_policy.allowUnrecorded)
            return e.text();
        m_reason = e.text();
        m_note = logUnrecordedText(e.text());
        return std::nullopt;
    }
}

void PassRecorder::begin() {
    m_record = PassRecord{};
    m_record.startedAt = m_now();
    m_record.station = m_policy.station.isEmpty() ? PassRecord::defaultStation() : m_policy.station;
    m_stepOpen = false;
    m_active = true;
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

qint64 PassRecorder::finish(const std::optional<QString>& failure) {
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
    m_record.result =
        m_record.endReason.isEmpty() ? QStringLiteral("pass") : QStringLiteral("fail");
    return store().append(m_record);
}

}  // namespace kv
