// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "record/PassRecord.h"

namespace kv {

class Clock;
class RecordStore;
class SettingsStore;

// The record settings of the window (section "生产记录"), also the command
// line's defaults.
struct RecordPolicy {
    QString url;                   // a RecordUrl setting; empty: the SQLite default
    bool allowUnrecorded = false;  // a pass may go on when the store is unreachable
    QString station;               // empty: the host name
    // Fuse and lock writes and erases are followed by a read for the record
    // (the window's own commands then send more than they did without one).
    bool readBack = false;

    static RecordPolicy fromSettings(const SettingsStore& settings);
    static QString section() { return QStringLiteral("生产记录"); }
    static QString urlKey() { return QStringLiteral("数据库"); }
    static QString allowKey() { return QStringLiteral("允许无记录编程"); }
    static QString stationKey() { return QStringLiteral("工位"); }
    static QString readBackKey() { return QStringLiteral("写后回读"); }
};

// Collects one record per command that changes a chip and appends it to the
// store: the caller fills in what the logic found, the recorder keeps the
// times, the steps' durations and the log lines. Times of day come from an
// injected wall clock, durations from the link's clock.
class PassRecorder {
public:
    using WallClock = std::function<QDateTime()>;

    PassRecorder(RecordPolicy policy, const Clock& clock, WallClock now);
    ~PassRecorder();

    const RecordPolicy& policy() const { return m_policy; }
    // New settings take effect with the next command; the store reconnects.
    void setPolicy(RecordPolicy policy);
    QString station() const {
        return m_policy.station.isEmpty() ? PassRecord::defaultStation() : m_policy.station;
    }
    // Opened on first use, so a window that never programs never connects.
    RecordStore& store();

    // Before anything is sent: the text that refuses the command when the
    // store cannot take a record; nullopt when it may go on. With
    // allowUnrecorded, an unreachable store lets it go on unrecorded and
    // unrecordedNote() says why.
    std::optional<QString> admit();
    const QString& unrecordedNote() const { return m_note; }
    // The store's own reason behind unrecordedNote().
    const QString& unrecordedReason() const { return m_reason; }

    // A new record, stamped with the start time and the station.
    void begin();
    bool isActive() const { return m_active; }
    PassRecord& record() { return m_record; }
    void addLogLine(const QString& line);

    void startStep(const QString& name);
    // Closes the open step; nothing happens when none is open.
    void endStep(const QString& result, const QString& detail = QString());
    // Sets the result of the step of that name that already ended.
    void amendStep(const QString& name, const QString& result, const QString& detail);

    // Ends the record: failure (the error that ended the command) fails the
    // open step, and any failed step fails the record. Appends it in one
    // transaction and returns its id; throws the store's OperationError.
    qint64 finish(const std::optional<QString>& failure);

    static QString logUnrecordedText(const QString& reason) {
        return QCoreApplication::translate("kv::PassRecorder",
                                           "生产记录不可用，按设置在无记录的情况下编程：%1")
            .arg(reason);
    }

private:
    RecordPolicy m_policy;
    const Clock& m_clock;
    WallClock m_now;
    std::unique_ptr<RecordStore> m_store;
    PassRecord m_record;
    QString m_note;
    QString m_reason;
    bool m_active = false;
    bool m_stepOpen = false;
    qint64 m_stepStartMs = 0;
};

}  // namespace kv
