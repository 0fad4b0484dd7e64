// SPDX-License-Identifier: MIT
#include "pass/PassRecordRow.h"

#include "core/HexDigits.h"

namespace kv {

namespace {

RecordImage imageOf(const ImagePlan& image) {
    return RecordImage::fromContent(image.source, image.bytes);
}

}  // namespace

void fillPassRecord(PassRecord& record, const PassPlan& plan, const PassOutcome& outcome) {
    record.steps.clear();
    for (const StepOutcome& step : outcome.steps) {
        const std::optional<QString> fault = step.fault();
        record.steps.append({passStepName(step.step),
                             fault ? QStringLiteral("fail") : QStringLiteral("pass"),
                             step.durationMs, fault.value_or(QString())});
    }
    if (outcome.step(PassStep::Signature))
        record.signature = outcome.signature.value_or(QString());
    if (outcome.signatureAfterErase)
        record.signature = *outcome.signatureAfterErase;
    if (outcome.step(PassStep::WriteFlash) || outcome.step(PassStep::VerifyFlash))
        record.flash = imageOf(plan.flash);
    if (outcome.step(PassStep::WriteEeprom) || outcome.step(PassStep::VerifyEeprom))
        record.eeprom = imageOf(plan.eeprom);
    if (outcome.step(PassStep::Fuses))
        record.fusesWritten = plan.fuses.recorded();
    if (outcome.step(PassStep::Lock))
        record.lockWritten = plan.lock;
    if (outcome.fuseReadBack) {
        record.fusesRead = outcome.fuseReadBack->fuses(plan.extendedFuse).recorded();
        record.lockRead = outcome.fuseReadBack->lock();
    }
    if (const StepOutcome* step = outcome.step(PassStep::Calibration); step && step->calibration) {
        const CalibrationWrite& written = *step->calibration;
        record.calibrationValue = quint8(written.value.toInt(nullptr, 16));
        record.calibrationTarget =
            (written.toFlash ? QStringLiteral("FLASH 0x") : QStringLiteral("EEPROM 0x")) +
            hexField(written.address, 4);
    }
    if (plan.serial) {
        // Taken for this chip: in it when its step confirmed every byte,
        // otherwise never handed out again.
        record.serialSequence = plan.serial->sequence;
        const StepOutcome* step = outcome.step(PassStep::Serial);
        const bool written = step && step->serialWritten.value_or(false);
        if (written) {
            record.serial = plan.serial->number;
            record.spoiledSerial.reset();
        } else {
            record.serial.reset();
            record.spoiledSerial = plan.serial->number;
        }
    }
}

}  // namespace kv
