// SPDX-License-Identifier: MIT
// The production record of the commands that change a chip, filled from what
// the logic itself reports (never from the log's text).
#include <QFileInfo>

#include "app/PassRecorder.h"
#include "app/Workbench.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/PortMap.h"
#include "link/SerialControl.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"

namespace kv {

namespace {

const QString kPass = QStringLiteral("pass");
const QString kFail = QStringLiteral("fail");

bool hasStep(const PassRecord& record, const QString& name) {
    for (const RecordStep& step : record.steps)
        if (step.name == name)
            return true;
    return false;
}

std::optional<RecordImage> imageOf(const ImageSlot& slot) {
    return RecordImage::fromContent(QFileInfo(slot.pathText()).fileName(), slot.image().toBytes());
}

// Low, high and (when the model has one) extended byte from hex pairs
// ordered extended, high, low; ".." stands for a byte the model lacks.
QByteArray fuseBytes(const QString& field) {
    QByteArray bytes;
    for (int at = field.size() - 2; at >= 0; at -= 2) {
        bool ok = false;
        const int value = field.mid(at, 2).toInt(&ok, 16);
        if (ok)
            bytes.append(char(value));
    }
    return bytes;
}

}  // namespace

void Workbench::connectRecorder() {
    if (!m_recorder)
        return;
    connect(&m_log, &MessageLog::entryAdded, this,
            [this](const QString& message) { m_recorder->addLogLine(message); });
    connect(m_pass.get(), &ProgramPass::stepStarted, this, [this](const QString& name) {
        if (m_recorder->isActive())
            m_recorder->startStep(name);
    });
    connect(m_pass.get(), &ProgramPass::stepFinished, this, [this](const QString& name) {
        if (!m_recorder->isActive())
            return;
        const auto [result, detail] = stepFinding(name);
        m_recorder->endStep(result, detail);
    });
}

void Workbench::beginRecord() {
    m_recorder->begin();
    PassRecord& record = m_recorder->record();
    const int number = m_port.portNumber();
    record.port = QStringLiteral("COM%1").arg(number);
    if (m_portMap)
        record.device = m_portMap->devicePath(number);
    record.model = m_model.selectedModelName();
}

std::pair<QString, QString> Workbench::stepFinding(const QString& step) const {
    if (step == u"signature") {
        if (m_pass->lastSignatureRejected())
            return {kFail, ProgramPass::mismatchText()};
    } else if (step == u"write eeprom") {
        if (const qint64 missing = m_writer->lastEepromMissing())
            return {kFail, QStringLiteral("%1 bytes not acknowledged").arg(missing)};
    } else if (step == u"verify flash" || step == u"verify eeprom") {
        const ImageReader::VerifyResult& verify = m_reader->lastVerify(step == u"verify flash");
        if (!verify.readComplete)
            return {kFail, QStringLiteral("read-back incomplete")};
        if (verify.firstDifference >= 0)
            return {kFail, QStringLiteral("mismatch at 0x") + hexField(verify.firstDifference, 4)};
    } else if (step == u"calibration") {
        const CalibrationBytes::Written& written = m_calibrationBytes->lastWrite();
        if (!written.sent)
            return {kFail, QStringLiteral("not sent")};
        if (!written.acknowledged)
            return {kFail, QStringLiteral("not acknowledged")};
    } else if (step == u"write flash word" || step == u"write eeprom byte") {
        if (!m_single->lastWriteAcknowledged())
            return {kFail, QStringLiteral("not acknowledged")};
    } else if (step == u"recover fuses") {
        if (!m_fuseCommands.lastRecoverConfirmed())
            return {kFail, QStringLiteral("read-back differs")};
    }
    return {kPass, QString()};
}

// Inside the command's exchange: what the chip holds now, read back where
// the command wrote fuse or lock bytes.
void Workbench::completeRecord(const std::optional<QString>& failure) {
    PassRecord& record = m_recorder->record();
    if (!failure && !record.steps.isEmpty() && record.steps.last().result.isEmpty()) {
        const auto [result, detail] = stepFinding(record.steps.last().name);
        m_recorder->endStep(result, detail);
    }
    record.signature = hasStep(record, QStringLiteral("signature")) ? m_pass->lastSignature()
                                                                    : m_signature.signatureText();
    // The programmer does not acknowledge an erase: a silent one would pass
    // for a good erase unless something after it answers.
    if (!failure && !record.steps.isEmpty() && record.steps.last().name == u"erase" &&
        m_port.isOpen()) {
        const QString reading = readSignatureText(m_link, false);
        if (reading.size() == 6) {
            record.signature = reading;
        } else {
            m_recorder->amendStep(QStringLiteral("erase"), kFail,
                                  QStringLiteral("no answer to the signature read after erase"));
            m_log.sendInfo(tr("擦除后读标识字无应答，本次擦除记录为不合格。"));
        }
    }
    if (hasStep(record, QStringLiteral("write flash")) ||
        hasStep(record, QStringLiteral("verify flash")))
        record.flash = imageOf(m_flash);
    if (hasStep(record, QStringLiteral("write eeprom")) ||
        hasStep(record, QStringLiteral("verify eeprom")))
        record.eeprom = imageOf(m_eeprom);
    const QString model = m_model.selectedModelName();
    const bool fuses = hasStep(record, QStringLiteral("fuses"));
    const bool lock = hasStep(record, QStringLiteral("lock"));
    const QString sentFuses = FuseCommands::fuseField(m_fuses, model);
    if (fuses || hasStep(record, QStringLiteral("recover fuses")))
        record.fusesWritten = fuseBytes(sentFuses);
    if (lock)
        record.lockWritten = quint8(m_fuses.byteText(3).toInt(nullptr, 16));
    bool readNow = hasStep(record, QStringLiteral("recover fuses")) && !failure;
    if ((fuses || lock) && !failure && m_port.isOpen()) {
        m_fuseCommands.readBackFuses(model);
        readNow = true;
    }
    const QString reading = m_fuseCommands.lastFuseReading();
    if (readNow && reading.size() == 8) {
        const QString readFuses = FuseCommands::hasExtendedFuseByte(model)
                                      ? reading.mid(2)
                                      : QStringLiteral("..") + reading.mid(4);
        record.fusesRead = fuseBytes(readFuses);
        record.lockRead = quint8(reading.left(2).toInt(nullptr, 16));
    }
    if (fuses && !failure && record.fusesRead != record.fusesWritten)
        m_recorder->amendStep(QStringLiteral("fuses"), kFail, QStringLiteral("read-back differs"));
    if (lock && !failure && record.lockRead != record.lockWritten)
        m_recorder->amendStep(QStringLiteral("lock"), kFail, QStringLiteral("read-back differs"));
    const CalibrationBytes::Written& calibration = m_calibrationBytes->lastWrite();
    if (hasStep(record, QStringLiteral("calibration")) && calibration.sent) {
        record.calibrationValue = quint8(calibration.value.toInt(nullptr, 16));
        record.calibrationTarget =
            (calibration.toFlash ? QStringLiteral("FLASH 0x") : QStringLiteral("EEPROM 0x")) +
            hexField(calibration.address, 4);
    }
}

void Workbench::finishRecord(const std::optional<QString>& failure) {
    try {
        m_lastRecordId = m_recorder->finish(failure);
    } catch (const OperationError& e) {
        // The chip has been written; the line must know this one went unrecorded.
        m_log.sendInfo(e.text());
        showError(e.text());
    }
}

}  // namespace kv
