// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "app/PassRecorder.h"
#include "pass/PassOutcome.h"
#include "pass/PassPlan.h"
#include "record/SerialScheme.h"

namespace kv::cli {

// The production record of one command that changes a chip: its row is
// written as "started" before the first byte, then filled from the plan and
// the outcome alone and finished. Nothing here talks to the programmer.
class CliRecord {
public:
    // recorder: none keeps no record (--no-record, or an unreachable record
    // the window's settings allow).
    explicit CliRecord(std::unique_ptr<PassRecorder> recorder);
    ~CliRecord();

    bool keeps() const { return m_keep; }
    PassRecorder* recorder() const { return m_recorder.get(); }
    // Before anything is sent: throws CommandEnd when no record can be kept
    // where one must, or a serial number is asked for without one.
    void admit(bool serial);
    // What admit()'s upload of the spool has to tell (lines set aside,
    // numbers in conflict); empty when nothing.
    QStringList spoolNotes() const;
    // The pass numbers its chip from the scheme's sequence: the sequence is
    // defined here, the number taken with the started row. Throws CommandEnd
    // when the record cannot hand one out.
    void numberFrom(const SerialScheme& scheme);
    // The number begin() took, as the pass's plan writes it; nullopt when none.
    const std::optional<SerialPlan>& serial() const { return m_serial; }

    // The started row, before the command's first byte that changes the
    // chip, with the chip's serial number taken in the same transaction;
    // throws CommandEnd when it cannot be written (nothing was sent, no
    // number was taken).
    void begin(const QString& port, const QString& device, const QString& model,
               const QString& signature);
    void log(const QString& line);
    PassRecord* row();
    void fill(const PassPlan& plan, const PassOutcome& outcome);
    // Ends the row: failure fails it ("stopped" when a signal stopped it).
    // When the row waits in the spool, pending() says why; throws CommandEnd
    // (Ending::RecordLost) when it can be kept nowhere.
    void finish(const std::optional<QString>& failure, bool stopped);

    qint64 id() const { return m_id; }
    const std::optional<QString>& pending() const { return m_pending; }
    // The chip was written and neither the record nor the spool took its
    // row: what the line sets the chip aside by.
    struct Lost {
        QString passUid;
        std::optional<qint64> serial;  // the number in the chip, or taken for it
    };
    const std::optional<Lost>& lost() const { return m_lost; }
    // The result the finished row holds (stored, spooled or lost): "pass",
    // "fail" or "stopped"; empty before finish().
    const QString& result() const { return m_result; }

private:
    std::unique_ptr<PassRecorder> m_recorder;
    bool m_keep = false;
    bool m_begun = false;
    std::optional<SerialScheme> m_scheme;
    std::optional<SerialPlan> m_serial;
    qint64 m_id = 0;
    qint64 m_startedId = 0;
    std::optional<QString> m_pending;
    std::optional<Lost> m_lost;
    QString m_result;
};

}  // namespace kv::cli
