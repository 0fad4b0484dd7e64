// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
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
    // The next number of the scheme's sequence, for the pass's plan; throws
    // CommandEnd when the record cannot hand one out.
    SerialPlan takeSerial(const SerialScheme& scheme);

    // The started row, before the command's first byte that changes the
    // chip; throws CommandEnd when it cannot be written (nothing was sent).
    void begin(const QString& port, const QString& device, const QString& model,
               const QString& signature);
    void log(const QString& line);
    PassRecord* row();
    void fill(const PassPlan& plan, const PassOutcome& outcome);
    // Ends the row: failure fails it ("stopped" when a signal stopped it).
    // Returns why the row waits in the spool, if it does; throws CommandEnd
    // when it can be kept nowhere.
    void finish(const std::optional<QString>& failure, bool stopped);

    qint64 id() const { return m_id; }
    const std::optional<QString>& pending() const { return m_pending; }

private:
    std::unique_ptr<PassRecorder> m_recorder;
    bool m_keep = false;
    bool m_begun = false;
    std::optional<SerialPlan> m_serial;
    qint64 m_id = 0;
    qint64 m_startedId = 0;
    std::optional<QString> m_pending;
};

}  // namespace kv::cli
