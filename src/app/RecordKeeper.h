// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "core/OperationError.h"
#include "operations/Outcomes.h"
#include "record/SerialScheme.h"

namespace kv {

class PassRecorder;
class PortMap;
class Session;

// The production record of the commands that change a chip, filled from
// what the logic itself reports (never from the log's text), and the serial
// numbers of the programming pass: taken with its started row, handed to the
// pass's plan (which writes them after its steps), recorded, and spoiled when
// not written.
class RecordKeeper : public QObject {
    Q_OBJECT
public:
    // recorder: none keeps no record.
    RecordKeeper(Session& session, PassRecorder* recorder, PortMap* portMap,
                 QObject* parent = nullptr);

    PassRecorder* recorder() const { return m_recorder; }
    // Serial numbers for each pass (from the scheme's serial file); nullopt: none.
    // source: the file it came from, named in refusals.
    void setSerialScheme(const std::optional<SerialScheme>& scheme, const QString& source = {}) {
        m_serialScheme = scheme;
        m_serialSource = source;
        m_serialRefusal.reset();
    }
    // The serial file was refused: the pass runs without its numbering
    // nowhere, so it is refused with this reason until a good one is set.
    void refuseSerial(const QString& reason) {
        m_serialScheme.reset();
        m_serialRefusal = reason;
    }
    // Why the numbers do not fit the selected model's memory; nullopt when they do.
    std::optional<QString> serialPlacementProblem() const;
    const std::optional<SerialScheme>& serialScheme() const { return m_serialScheme; }
    // The signature a front end read from the chip in the socket just before
    // the next command, for a command that reads none itself.
    void setChipSignature(const std::optional<QString>& signature) { m_chipSignature = signature; }
    // The id of the last command's record (also while it waits in the
    // spool: its started row's); 0 when it kept none.
    qint64 lastRecordId() const { return m_lastRecordId; }
    // The port as the operator gave it (a device path, "COM3"); empty: the
    // session's COM number.
    void setPortText(const QString& text) { m_portText = text; }
    // Why the last command's record waits in the spool; nullopt when stored.
    const std::optional<QString>& recordPending() const { return m_recordPending; }
    // The last command wrote the chip, and neither the record nor the spool
    // took its row: what the front ends report.
    struct LostRecord {
        QString text;
        QString passUid;
        std::optional<qint64> serial;  // the number in the chip, or taken for it
    };
    const std::optional<LostRecord>& recordLost() const { return m_recordLost; }
    // The result the last command's row holds (stored or spooled): "pass",
    // "fail" or "stopped"; empty when it kept none.
    const QString& lastResult() const { return m_lastResult; }

    // Before the first byte: why the command may not run (no record can be
    // kept where one must, no serial number can be taken for a pass that needs
    // one, or its serial file was refused or does not fit); nullopt when it may go on.
    std::optional<OperationError> admit(bool pass);
    // What a one-step command reports of its step for the record.
    struct StepFinding {
        std::optional<QString> fault;        // nullopt: the step passed
        std::optional<QString> fuseReading;  // an "RS#" reading the command made
        std::optional<CalibrationWrite> calibration;
    };
    // Inside the command's exchange, around the command itself. begin writes
    // the "started" row before anything is sent; its refusal ends the
    // command there (nothing was sent, no record follows).
    std::optional<OperationError> begin(const std::optional<QString>& step);
    // failure: the error that ended the command; its kind tells a stop
    // (ErrorKind::Stopped) from a fault.
    void complete(const std::optional<OperationError>& failure, const StepFinding& finding = {});
    // After the exchange: appends the record; the text when neither the
    // store nor the spool took it (logged here: the chip has been written).
    std::optional<QString> finish(const std::optional<OperationError>& failure);

private:
    void completeRecord(const std::optional<QString>& failure, const StepFinding& finding);
    // The pass's sequence as its serial file has it; the number itself is
    // taken with the started row.
    std::optional<QString> defineSerialSequence();

    Session& m_session;
    PassRecorder* m_recorder;
    PortMap* m_portMap;
    std::optional<SerialScheme> m_serialScheme;
    QString m_serialSource;
    std::optional<QString> m_serialRefusal;
    std::optional<qint64> m_takenSerial;
    bool m_serialWanted = false;  // this pass takes a number
    std::optional<QString> m_chipSignature;
    // The command is a programming pass: its row comes from the pass.
    bool m_pass = false;
    bool m_keep = false;
    qint64 m_lastRecordId = 0;
    qint64 m_startedId = 0;
    QString m_portText;
    std::optional<QString> m_recordPending;
    std::optional<LostRecord> m_recordLost;
    QString m_lastResult;
    // A stop in the record's read-back after the command's own step: the row
    // says "stopped" as for any other step.
    bool m_stopped = false;
};

}  // namespace kv
