// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "record/PassRecord.h"

namespace kv {

class RecordStore;

// Records of chips that were written while the record's database could not
// take them (a server gone, a full disk). A journal of one line per record,
// "LENGTH:CRC32:JSON", each with the database it belongs to (the
// connection's text without its password), on the disk before the run ends.
// Uploads go through the records' pass ids, so a flush cut off half-way is
// repeated without doubling a row. Processes of one user share the file
// under a lock.
//
// The journal survives its own faults: a write cut short (a full disk) is
// undone, a torn last line found later is set aside before anything is
// appended, and a line that cannot be read or holds values the record does
// not know is moved to the quarantine file beside it, never uploaded and
// never a reason to stop.
class RecordSpool {
public:
    explicit RecordSpool(QString path = defaultPath());

    // record-spool.jsonl in the user's data folder, beside the default record.
    static QString defaultPath();
    const QString& path() const { return m_path; }
    // Where unreadable lines go, for a person to look at.
    QString quarantinePath() const { return m_path + QStringLiteral(".quarantine"); }

    // Appends one record for the database `target`; throws OperationError
    // when the line is not safely on the disk (and then leaves none of it).
    void append(const QString& target, const PassRecord& record);

    struct Flushed {
        int uploaded = 0;
        int waiting = 0;   // lines for other databases, left in the file
        int setAside = 0;  // unreadable lines moved to the quarantine file
        // Records whose serial number the database had spoiled meanwhile.
        QStringList conflicts;
        // What a front end tells the user about the lines set aside and the
        // conflicts; empty when there is nothing to tell.
        QStringList notes;
    };
    // Hands each record of `target` to upload, oldest first, and drops those
    // it took. An upload that throws ends the flush there, the rest kept;
    // the OperationError goes on to the caller.
    Flushed flush(const QString& target, const std::function<void(const PassRecord&)>& upload);
    // The same into a store, which reports a number spoiled meanwhile.
    Flushed flushInto(RecordStore& store, const QString& target);
    // How many readable records wait for `target`.
    int count(const QString& target) const;

private:
    using Upload = std::function<std::optional<QString>(const PassRecord&)>;
    Flushed flushWith(const QString& target, const Upload& upload);

    QString m_path;
};

}  // namespace kv
