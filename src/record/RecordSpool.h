// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "record/PassRecord.h"

namespace kv {

// Records of chips that were written while the record's database could not
// take them (a server gone, a full disk). One JSON object per line, appended
// and flushed to the disk before the run ends, each with the database it
// belongs to (the connection's text without its password). Uploads go
// through the records' pass ids, so a flush cut off half-way is repeated
// without doubling a row. Processes of one user share the file under a lock.
class RecordSpool {
public:
    explicit RecordSpool(QString path = defaultPath());

    // record-spool.jsonl in the user's data folder, beside the default record.
    static QString defaultPath();
    const QString& path() const { return m_path; }

    // Appends one record for the database `target`; throws OperationError
    // when the line is not safely on the disk.
    void append(const QString& target, const PassRecord& record);

    struct Flushed {
        int uploaded = 0;
        int waiting = 0;  // lines for other databases, left in the file
    };
    // Hands each record of `target` to upload, oldest first, and drops those
    // it took. An upload that throws ends the flush there, the rest kept;
    // the OperationError goes on to the caller.
    Flushed flush(const QString& target, const std::function<void(const PassRecord&)>& upload);
    // How many records wait for `target`.
    int count(const QString& target) const;

private:
    QString m_path;
};

}  // namespace kv
