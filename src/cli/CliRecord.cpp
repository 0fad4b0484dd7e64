// SPDX-License-Identifier: MIT
#include "cli/CliRecord.h"

#include <QCoreApplication>
#include <utility>

#include "cli/CliOutcomes.h"
#include "core/OperationError.h"
#include "pass/PassRecordRow.h"
#include "record/RecordStore.h"
#include "record/SerialNumbers.h"

namespace kv::cli {

CliRecord::CliRecord(std::unique_ptr<PassRecorder> recorder) : m_recorder(std::move(recorder)) {}

CliRecord::~CliRecord() = default;

void CliRecord::admit(bool serial) {
    m_keep = false;
    if (!m_recorder)
        return;
    if (const auto refusal = m_recorder->admit())
        throw CommandEnd{Ending::Record, *refusal};
    m_keep = m_recorder->unrecordedNote().isEmpty();
    // Serial numbers come from the shared sequence in the record: taken
    // without it, two stations could hand out the same number.
    if (!m_keep && serial)
        throw CommandEnd{Ending::Record, m_recorder->unrecordedNote()};
}

QStringList CliRecord::spoolNotes() const {
    return m_recorder ? m_recorder->spoolNotes() : QStringList();
}

void CliRecord::numberFrom(const SerialScheme& scheme) {
    if (!m_keep) {
        // Only --no-record gets here: admit() refuses an unreachable record.
        throw CommandEnd{
            Ending::Record,
            QCoreApplication::translate("kv::RecordKeeper",
                                        "方案要求写入序列号，序列号只能从生产记录中取得；"
                                        "生产记录不可用，没有编程。\n%1")
                .arg(QCoreApplication::translate("CliRecordCommands",
                                                 "按 --no-record，本次编程不作记录。"))};
    }
    try {
        SerialNumbers(m_recorder->store()).define(scheme);
    } catch (const OperationError& e) {
        throw CommandEnd{Ending::Record, e.text()};
    }
    m_scheme = scheme;
}

void CliRecord::begin(const QString& port, const QString& device, const QString& model,
                      const QString& signature) {
    m_serial.reset();
    m_lost.reset();
    m_result.clear();
    if (!m_keep)
        return;
    m_recorder->begin();
    PassRecord& record = m_recorder->record();
    record.port = port;
    record.device = device;
    record.model = model;
    record.signature = signature;
    // The programmer's version belongs to the port it was read on: none here.
    record.firmwareVersion.clear();
    // A number for this row only.
    const std::optional<SerialScheme> scheme = std::exchange(m_scheme, std::nullopt);
    RecordStore::Started started;
    try {
        // The number is taken with the row, in one transaction: never one
        // without the other.
        started = m_recorder->writeStarted(scheme ? scheme->name : QString());
    } catch (const OperationError& e) {
        m_keep = false;
        m_recorder->abandon();
        throw CommandEnd{Ending::Record, e.text()};
    }
    m_startedId = started.id;
    if (scheme && started.serial) {
        SerialPlan plan;
        plan.sequence = scheme->name;
        plan.number = *started.serial;
        plan.memory =
            scheme->target == SerialScheme::Target::Flash ? MemoryKind::Flash : MemoryKind::Eeprom;
        plan.address = scheme->address;
        plan.bytes = scheme->bytesFor(plan.number);
        m_serial = plan;
    }
    m_begun = true;
}

void CliRecord::log(const QString& line) {
    if (m_begun && m_recorder->isActive())
        m_recorder->addLogLine(line);
}

PassRecord* CliRecord::row() {
    return m_begun ? &m_recorder->record() : nullptr;
}

void CliRecord::fill(const PassPlan& plan, const PassOutcome& outcome) {
    if (m_begun)
        fillPassRecord(m_recorder->record(), plan, outcome);
}

void CliRecord::finish(const std::optional<QString>& failure, bool stopped) {
    if (!m_begun)
        return;
    m_begun = false;
    try {
        const PassRecorder::Finished finished = m_recorder->finish(failure, stopped);
        m_result = m_recorder->record().result;
        // A pending record completes its started row when it is uploaded.
        m_id = finished.id ? finished.id : m_startedId;
        m_pending = finished.pending;
    } catch (const OperationError& e) {
        // The chip has been written; the line must know this one went unrecorded.
        const PassRecord& record = m_recorder->record();
        m_result = record.result;
        m_id = 0;
        m_lost = Lost{record.passUid, record.serial ? record.serial : record.spoiledSerial};
        throw CommandEnd{e.kind() == ErrorKind::RecordLost ? Ending::RecordLost : Ending::Record,
                         e.text()};
    }
}

}  // namespace kv::cli
