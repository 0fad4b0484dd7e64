// SPDX-License-Identifier: MIT
// Serial numbers per chip: taken before the pass, written after its steps
// through the single-access writes, recorded, and spoiled when not written.
#include "app/PassRecorder.h"
#include "app/Workbench.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "record/SerialNumbers.h"

namespace kv {

std::optional<QString> Workbench::takeSerialNumber() {
    if (!m_serialScheme)
        return std::nullopt;
    try {
        SerialNumbers numbers(m_recorder->store());
        numbers.define(*m_serialScheme);
        m_takenSerial = numbers.takeNext(m_serialScheme->name, m_recorder->station());
    } catch (const OperationError& e) {
        return e.text();
    }
    return std::nullopt;
}

void Workbench::writeSerialNumber(const std::optional<QString>& failure) {
    PassRecord& record = m_recorder->record();
    record.serialSequence = m_serialScheme->name;
    record.serial = m_takenSerial;
    bool written = false;
    QString reason = failure.value_or(QStringLiteral("pass failed"));
    bool stepsPassed = true;
    for (const RecordStep& step : std::as_const(record.steps))
        stepsPassed = stepsPassed && step.result != u"fail";
    // A chip that failed its pass gets no number.
    if (!failure && stepsPassed && !m_pass->lastSignatureRejected()) {
        m_recorder->startStep(QStringLiteral("serial"));
        try {
            written = writeSerialBytes(m_serialScheme->bytesFor(*m_takenSerial));
        } catch (const OperationError& e) {
            m_recorder->endStep(QStringLiteral("fail"), e.text());
            reason = e.text();
        }
        if (!written && reason == u"pass failed")
            reason = QStringLiteral("not acknowledged");
        m_recorder->endStep(written ? QStringLiteral("pass") : QStringLiteral("fail"),
                            written ? QString() : reason);
    }
    if (!written) {
        try {
            SerialNumbers(m_recorder->store())
                .markSpoiled(m_serialScheme->name, *m_takenSerial, reason);
        } catch (const OperationError& e) {
            m_log.sendInfo(e.text());
        }
    }
}

// Byte by byte into EEPROM, word by word into FLASH (a half outside the
// number stays FF, as erased FLASH holds); the boxes the single access reads
// are put back as they were.
bool Workbench::writeSerialBytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return false;
    const bool flash = m_serialScheme->target == SerialScheme::Target::Flash;
    const int row = flash ? 0 : 1;
    AddressSpinner& box = m_model.singleAccessAddress(row);
    const QString addressBefore = box.text();
    const QString dataBefore = m_singleState.dataText(row);
    const qint64 first = m_serialScheme->address;
    const qint64 last = first + bytes.size() - 1;
    bool acknowledged = true;
    for (qint64 at = flash ? first / 2 : first; acknowledged && at <= (flash ? last / 2 : last);
         ++at) {
        auto byteAt = [&](qint64 address) {
            return address < first || address > last ? 0xFF : quint8(bytes[address - first]);
        };
        box.setText(QString::number(at));
        m_singleState.setDataText(
            row, flash ? hexField(byteAt(2 * at), 2) + hexField(byteAt(2 * at + 1), 2)
                       : hexField(byteAt(at), 2));
        m_single->singleWrite(row);
        acknowledged = m_single->lastWriteAcknowledged();
    }
    box.setText(addressBefore);
    m_singleState.setDataText(row, dataBefore);
    return acknowledged;
}

}  // namespace kv
