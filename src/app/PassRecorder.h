// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "record/PassRecord.h"
#include "record/RecordSpool.h"
#include "record/RecordStore.h"

namespace kv {

class Clock;
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
    QString operatorName;  // who runs the station; empty is allowed
    QString lot;           // work order or lot
    // The deadline of a command's record work, in seconds; 0: the default (5 s).
    int waitSeconds = 0;

    static RecordPolicy fromSettings(const SettingsStore& settings);
    static QString section() { return QStringLiteral("生产记录"); }
    static QString urlKey() { return QStringLiteral("数据库"); }
    static QString allowKey() { return QStringLiteral("允许无记录编程"); }
    static QString stationKey() { return QStringLiteral("工位"); }
    static QString readBackKey() { return QStringLiteral("写后回读"); }
    static QString operatorKey() { return QStringLiteral("操作员"); }
    static QString lotKey() { return QStringLiteral("批号"); }
    static QString waitKey() { return QStringLiteral("等待上限"); }
};

// What a front end knows of the run beyond the pass itself, for every row.
struct RecordContext {
    QString gangRun;  // the gang run's id and this socket's number
    std::optional<int> gangSocket;
    QString schemeName;  // the scheme file a pass runs, and its bytes' SHA-256
    QString schemeSha256;
    QString firmwareVersion;  // as the programmer on firmwarePort told it
    int firmwarePort = 0;
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
    // What admit()'s upload of the spool has to tell (lines set aside,
    // numbers in conflict); empty when nothing.
    const QStringList& spoolNotes() const { return m_spoolNotes; }
    // The store's own reason behind unrecordedNote().
    const QString& unrecordedReason() const { return m_reason; }

    void setContext(const RecordContext& context) { m_context = context; }
    const RecordContext& context() const { return m_context; }
    // The scheme file the passes run from now on: its name and the SHA-256
    // of its bytes as they are now (empty when it cannot be read).
    void setSchemeFile(const QString& path);
    // Where records wait when the database cannot take them.
    void setSpoolPath(const QString& path) { m_spoolPath = path; }
    const QString& spoolPath() const { return m_spoolPath; }
    // The spool's key for the present database (its text without password).
    QString spoolTarget() const;
    // Uploads what waits in the spool for this database and spoils the
    // numbers of passes whose process died; what was uploaded, set aside and
    // found in conflict. Throws the store's OperationError, the rest left waiting.
    RecordSpool::Flushed flushSpool();

    // A new record, stamped with the start time, the station and the run's context.
    void begin();
    // The record as it starts ("started"), before anything reaches the
    // chip, with the next number of serialSequence (when given) taken in the
    // same transaction. Throws the store's OperationError.
    RecordStore::Started writeStarted(const QString& serialSequence = {});
    // The command was refused before it began: no record follows.
    void abandon() { m_active = false; }
    bool isActive() const { return m_active; }
    PassRecord& record() { return m_record; }
    void addLogLine(const QString& line);

    void startStep(const QString& name);
    // Closes the open step; nothing happens when none is open.
    void endStep(const QString& result, const QString& detail = QString());
    // Sets the result of the step of that name that already ended.
    void amendStep(const QString& name, const QString& result, const QString& detail);

    // Ends the record: failure (the error that ended the command) fails the
    // open step, and any failed step fails the record ("stopped" when the
    // operator or a signal stopped it). Stores it in one transaction; when
    // the store cannot take it the record goes to the spool and `pending`
    // says so. When the spool fails too, throws an OperationError of kind
    // RecordLost that says the chip was written and names its serial number
    // and pass id.
    struct Finished {
        qint64 id = 0;  // 0 while pending
        std::optional<QString> pending;
    };
    Finished finish(const std::optional<QString>& failure, bool stopped = false);

    static QString logUnrecordedText(const QString& reason) {
        return QCoreApplication::translate("kv::PassRecorder",
                                           "生产记录不可用，按设置在无记录的情况下编程：%1")
            .arg(reason);
    }
    static QString pendingText(const QString& reason, const QString& spool) {
        return QCoreApplication::translate("kv::PassRecorder",
                                           "芯片已完成，记录暂未写入数据库：%1\n记录已暂存在 %2，"
                                           "下次运行或 kelvaro-cli record flush 时上传。")
            .arg(reason, spool);
    }

private:
    RecordPolicy m_policy;
    const Clock& m_clock;
    WallClock m_now;
    std::unique_ptr<RecordStore> m_store;
    PassRecord m_record;
    RecordContext m_context;
    QString m_spoolPath;
    QString m_note;
    QString m_reason;
    QStringList m_spoolNotes;
    bool m_active = false;
    bool m_stepOpen = false;
    qint64 m_stepStartMs = 0;
};

}  // namespace kv
