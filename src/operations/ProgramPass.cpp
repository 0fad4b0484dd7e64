// SPDX-License-Identifier: MIT
#include "operations/ProgramPass.h"

#include <QCoreApplication>

#include "catalogue/ModelState.h"
#include "catalogue/SignatureReader.h"
#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "link/ProgrammerLink.h"
#include "operations/CalibrationBytes.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "operations/ProgramOptions.h"
#include "operations/SingleAccess.h"

namespace kv {

namespace {

// Clears the running state on every way out of the pass.
class RunningScope {
public:
    RunningScope(std::function<void(bool)> set) : m_set(std::move(set)) { m_set(true); }
    ~RunningScope() { m_set(false); }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    std::function<void(bool)> m_set;
};

}  // namespace

ProgramPass::ProgramPass(const Parts& parts, QObject* parent) : QObject(parent), m_parts(parts) {}

void ProgramPass::setRunning(bool running) {
    if (running != m_running) {
        m_running = running;
        Q_EMIT runningChanged(running);
    }
}

PassOutcome ProgramPass::runPass() {
    PassOutcome pass;
    if (m_running)
        return pass;
    RunningScope scope([this](bool on) { setRunning(on); });
    ProgrammerLink::Exchange exchange(m_parts.link);
    pass.ran = true;
    run(pass);
    return pass;
}

void ProgramPass::checkSignature(StepOutcome& outcome) {
    ProgrammerLink& link = m_parts.link;
    QString signature;
    for (int address = 0; address < 3; ++address) {
        signature += link.readInfoByte(address);
    }
    outcome.signature = signature;
    outcome.answered = !signature.isEmpty();
    outcome.garbled = signatureShape(signature) == SignatureShape::Garbled;
    link.sendInfo(signatureLogText() + signature);
    if (!outcome.answered)
        link.sendInfo(SingleAccess::noReplyText());
    // Digits compare by value: a programmer may answer in lower case.
    outcome.signatureMatches =
        signature.compare(m_parts.model.modelSignature(), Qt::CaseInsensitive) == 0;
    if (!outcome.signatureMatches)
        link.sendInfo(mismatchText());
}

// The reload of one image before its write; false when the file was not
// found, so the write is skipped.
bool ProgramPass::reload(MemoryKind memory) {
    const ImageSlot& slot = memory == MemoryKind::Flash ? m_parts.flash : m_parts.eeprom;
    if (slot.pathText().isEmpty() || !m_parts.options.isOn(ProgramOptions::ReloadFiles))
        return true;
    const LoadOutcome loaded = m_parts.files.load(memory, slot.pathText());
    if (loaded.status == LoadStatus::Failed)
        Q_EMIT reloadFailed(memory, loaded);
    return loaded.status != LoadStatus::NotFound;
}

void ProgramPass::run(PassOutcome& pass) {
    const ProgramOptions& options = m_parts.options;
    // Found out before anything reaches the chip: a pass that could not end
    // with its fuse or lock step would leave a half-programmed chip.
    if (options.isOn(ProgramOptions::ProgramFuses) || options.isOn(ProgramOptions::ProgramLock)) {
        m_parts.fuses.requireDefinitions(QCoreApplication::translate(
            "ProgramPass", "编程熔丝位、锁定位无法进行，本次编程未开始。"));
    }
    if (options.isOn(ProgramOptions::CheckSignature)) {
        runStep(pass, PassStep::Signature, [this, &pass](StepOutcome& outcome) {
            checkSignature(outcome);
            pass.signature = outcome.signature;
            pass.signatureRejected = !outcome.signatureMatches;
        });
        if (pass.signatureRejected)
            return;
    }
    if (options.isOn(ProgramOptions::EraseChip)) {
        runStep(pass, PassStep::Erase, [this](StepOutcome& outcome) {
            outcome.answered = !m_parts.fuses.eraseChip().isEmpty();
        });
    }
    const bool flashFound = reload(MemoryKind::Flash);
    if (options.isOn(ProgramOptions::ProgramFlash) && flashFound) {
        runStep(pass, PassStep::WriteFlash, [this](StepOutcome& outcome) {
            outcome.write = m_parts.writer.write(MemoryKind::Flash);
            outcome.answered = outcome.write->replied;
        });
    }
    const bool eepromFound = reload(MemoryKind::Eeprom);
    if (options.isOn(ProgramOptions::ProgramEeprom) && eepromFound) {
        runStep(pass, PassStep::WriteEeprom, [this](StepOutcome& outcome) {
            outcome.write = m_parts.writer.write(MemoryKind::Eeprom);
            outcome.answered = outcome.write->bytesSent == 0 ||
                               outcome.write->unacknowledged < outcome.write->bytesSent;
        });
    }
    if (options.isOn(ProgramOptions::VerifyFlash)) {
        runStep(pass, PassStep::VerifyFlash, [this](StepOutcome& outcome) {
            outcome.verify = m_parts.reader.verify(MemoryKind::Flash);
            outcome.answered = outcome.verify->read.stop != ReadOutcome::Stop::NoAnswer;
        });
    }
    if (options.isOn(ProgramOptions::VerifyEeprom)) {
        runStep(pass, PassStep::VerifyEeprom, [this](StepOutcome& outcome) {
            outcome.verify = m_parts.reader.verify(MemoryKind::Eeprom);
            outcome.answered = outcome.verify->read.stop != ReadOutcome::Stop::NoAnswer;
        });
    }
    if (options.isOn(ProgramOptions::ProgramFuses)) {
        runStep(pass, PassStep::Fuses, [this](StepOutcome& outcome) {
            const auto reply = m_parts.fuses.writeFuses(m_parts.model.selectedModelName());
            outcome.answered = !reply || !reply->isEmpty();
        });
    }
    if (options.isOn(ProgramOptions::ProgramLock)) {
        runStep(pass, PassStep::Lock, [this](StepOutcome& outcome) {
            const auto reply = m_parts.fuses.writeLockBits();
            outcome.answered = !reply || !reply->isEmpty();
        });
    }
    if (options.isOn(ProgramOptions::WriteCalibration)) {
        runStep(pass, PassStep::Calibration, [this](StepOutcome& outcome) {
            m_parts.calibration.readCalibrationBytes();
            outcome.calibration = m_parts.calibration.writeCalibrationByte();
        });
    }
}

void ProgramPass::runStep(PassOutcome& pass, PassStep step,
                          const std::function<void(StepOutcome&)>& work) {
    Q_EMIT stepStarted(step);
    StepOutcome outcome;
    outcome.step = step;
    work(outcome);
    pass.steps.append(outcome);
    Q_EMIT stepFinished(outcome);
}

}  // namespace kv
