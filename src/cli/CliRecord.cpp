// SPDX-License-Identifier: MIT
#include "cli/CliRecord.h"

#include <QCoreApplication>

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

SerialPlan CliRecord::takeSerial(const SerialScheme& scheme) {
    SerialPlan plan;
    try {
        SerialNumbers numbers(m_recorder->store());
        numbers.define(scheme);
        plan.number = numbers.takeNext(scheme.name, m_recorder->station());
    } catch (const OperationError& e) {
        throw CommandEnd{Ending::Record, e.text()};
    }
    plan.sequence = scheme.name;
    plan.memory =
        scheme.target == SerialScheme::Target::Flash ? MemoryKind::Flash : MemoryKind::Eeprom;
    plan.address = scheme.address;
    plan.bytes = scheme.bytesFor(plan.number);
    m_serial = plan;
    return plan;
}

void CliRecord::begin(const QString& port, const QString& device, const QString& model,
                      const QString& signature) {
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
    if (m_serial) {
        // Taken for this chip and not in it yet: should the process die, the
        // row keeps it out of use.
        record.serialSequence = m_serial->sequence;
        record.spoiledSerial = m_serial->number;
    }
    try {
        m_startedId = m_recorder->writeStarted();
    } catch (const OperationError& e) {
        m_keep = false;
        m_recorder->abandon();
        if (m_serial) {
            try {
                SerialNumbers(m_recorder->store())
                    .markSpoiled(m_serial->sequence, m_serial->number, e.text());
            } catch (const OperationError&) {
            }
        }
        throw CommandEnd{Ending::Record, e.text()};
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
        // A pending record completes its started row when it is uploaded.
        m_id = finished.id ? finished.id : m_startedId;
        m_pending = finished.pending;
    } catch (const OperationError& e) {
        // The chip has been written; the line must know this one went unrecorded.
        m_id = 0;
        throw CommandEnd{Ending::Record, e.text()};
    }
}

}  // namespace kv::cli
