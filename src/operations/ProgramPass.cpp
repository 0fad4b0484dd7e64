// SPDX-License-Identifier: MIT
#include "operations/ProgramPass.h"

#include <QCoreApplication>

#include "catalogue/ModelState.h"
#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "link/ProgrammerLink.h"
#include "operations/CalibrationBytes.h"
#include "operations/ImageWriter.h"
#include "operations/ProgramOptions.h"
#include "pass/PassRunner.h"

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
    // A pass refused while its plan is made leaves nothing of an earlier one.
    m_lastOutcome = PassOutcome();
    m_lastPlan = PassPlan();
    m_lastPlan = makePlan();
    if (m_amend)
        m_amend(m_lastPlan);
    PassHooks hooks;
    hooks.beforeWrite = [this](MemoryKind memory, ImagePlan& image) {
        return reload(memory, image);
    };
    hooks.calibrationRead = [this](const QStringList& replies, bool filled) {
        m_parts.calibration.showReading(replies, filled);
    };
    hooks.stepStarted = [this](PassStep step) { Q_EMIT stepStarted(step); };
    hooks.stepFinished = [this](const StepOutcome& outcome) { Q_EMIT stepFinished(outcome); };
    m_lastOutcome = PassRunner(m_parts.programmer, m_parts.link.clock()).run(m_lastPlan, hooks);
    if (m_lastOutcome.error)
        throw *m_lastOutcome.error;
    return m_lastOutcome;
}

PassPlan ProgramPass::makePlan() const {
    const ProgramOptions& options = m_parts.options;
    const ModelState& model = m_parts.model;
    // Found out before anything reaches the chip: a pass that could not end
    // with its fuse or lock step would leave a half-programmed chip.
    if (options.isOn(ProgramOptions::ProgramFuses) || options.isOn(ProgramOptions::ProgramLock)) {
        m_parts.fuses.requireDefinitions(QCoreApplication::translate(
            "ProgramPass", "编程熔丝位、锁定位无法进行，本次编程未开始。"));
    }
    PassPlan plan;
    plan.model = model.selectedModelName();
    plan.geometry = {model.flashSize(), model.eepromSize(), model.flashPageWords()};
    plan.extendedFuse = FuseCommands::hasExtendedFuseByte(plan.model);
    if (options.isOn(ProgramOptions::CheckSignature))
        plan.expectedSignature = model.modelSignature();
    plan.erase = options.isOn(ProgramOptions::EraseChip);
    plan.flash = ImageWriter::planOf(m_parts.flash);
    plan.eeprom = ImageWriter::planOf(m_parts.eeprom);
    plan.writeFlash = options.isOn(ProgramOptions::ProgramFlash);
    plan.writeEeprom = options.isOn(ProgramOptions::ProgramEeprom);
    plan.verifyFlash = options.isOn(ProgramOptions::VerifyFlash);
    plan.verifyEeprom = options.isOn(ProgramOptions::VerifyEeprom);
    plan.writeFuses = options.isOn(ProgramOptions::ProgramFuses);
    plan.writeLock = options.isOn(ProgramOptions::ProgramLock);
    if (plan.writeFuses || plan.writeLock) {
        const FuseEditor& editor = m_parts.fuses.editor();
        plan.fuses = FuseCommands::fuseBytes(editor, plan.model);
        plan.fusesRefusal = m_parts.fuses.fuseCellsRefusal(plan.model);
        plan.lock = editor.lockByte();
        plan.lockRefusal = m_parts.fuses.lockCellsRefusal();
    }
    if (options.isOn(ProgramOptions::WriteCalibration))
        plan.calibration = m_parts.calibration.plan();
    return plan;
}

// The reload of one image before its write; false when the file was not
// found, so the write is skipped.
bool ProgramPass::reload(MemoryKind memory, ImagePlan& image) {
    const ImageSlot& slot = memory == MemoryKind::Flash ? m_parts.flash : m_parts.eeprom;
    if (slot.pathText().isEmpty() || !m_parts.options.isOn(ProgramOptions::ReloadFiles))
        return true;
    const LoadOutcome loaded = m_parts.files.load(memory, slot.pathText());
    if (loaded.status == LoadStatus::Failed)
        Q_EMIT reloadFailed(memory, loaded);
    // The reloaded file is what the write and the verify use.
    image = ImageWriter::planOf(slot);
    return loaded.status != LoadStatus::NotFound;
}

}  // namespace kv
