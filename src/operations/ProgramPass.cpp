// SPDX-License-Identifier: MIT
#include "operations/ProgramPass.h"

#include <QCoreApplication>

#include "catalogue/ModelState.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "fuses/FuseCommands.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "link/ProgrammerLink.h"
#include "operations/CalibrationBytes.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "operations/ProgramOptions.h"

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

// The reload of one image before its write; false when the file was not found,
// so the write is skipped.
template <typename Load>
bool reload(const ImageSlot& slot, bool reloadOn, Load load) {
    QString path = slot.pathText();
    if (path.isEmpty() || !reloadOn) {
        return true;
    }
    return load(path) != LoadStatus::NotFound;
}

}  // namespace

ProgramPass::ProgramPass(const Parts& parts, QString title, QObject* parent)
    : QObject(parent), m_parts(parts), m_title(std::move(title)) {}

void ProgramPass::setRunning(bool running) {
    if (running != m_running) {
        m_running = running;
        Q_EMIT runningChanged(running);
    }
}

void ProgramPass::runProgrammingPass() {
    try {
        runPass();
    } catch (const OperationError& error) {
        m_parts.prompts.warning(m_title, error.text());
    }
}

void ProgramPass::runPass() {
    if (m_running) {
        return;
    }
    RunningScope scope([this](bool on) { setRunning(on); });
    m_signatureRejected = false;
    m_signature.clear();
    ProgrammerLink::Exchange exchange(m_parts.link);
    run();
}

bool ProgramPass::signatureMatches() {
    ProgrammerLink& link = m_parts.link;
    QString signature;
    for (int address = 0; address < 3; ++address) {
        signature += link.readInfoByte(address);
    }
    m_signature = signature;
    link.sendInfo(signatureLogText() + signature);
    // Digits compare by value: a programmer may answer in lower case.
    if (signature.compare(m_parts.model.modelSignature(), Qt::CaseInsensitive) != 0) {
        link.sendInfo(mismatchText());
        return false;
    }
    return true;
}

void ProgramPass::run() {
    const ProgramOptions& options = m_parts.options;
    // Found out before anything reaches the chip: a pass that could not end
    // with its fuse or lock step would leave a half-programmed chip.
    if (options.isOn(ProgramOptions::ProgramFuses) || options.isOn(ProgramOptions::ProgramLock)) {
        m_parts.fuses.requireDefinitions(QCoreApplication::translate(
            "ProgramPass", "编程熔丝位、锁定位无法进行，本次编程未开始。"));
    }
    if (options.isOn(ProgramOptions::CheckSignature)) {
        runStep(QStringLiteral("signature"), [this] { m_signatureRejected = !signatureMatches(); });
        if (m_signatureRejected)
            return;
    }
    if (options.isOn(ProgramOptions::EraseChip)) {
        runStep(QStringLiteral("erase"), [this] { m_parts.fuses.eraseChip(); });
    }
    const bool reloadOn = options.isOn(ProgramOptions::ReloadFiles);
    const bool flashFound = reload(m_parts.flash, reloadOn, [this](QString& path) {
        return m_parts.files.loadFlashFile(path);
    });
    if (options.isOn(ProgramOptions::ProgramFlash) && flashFound) {
        runStep(QStringLiteral("write flash"), [this] { m_parts.writer.writeFlashImage(); });
    }
    const bool eepromFound = reload(m_parts.eeprom, reloadOn, [this](QString& path) {
        return m_parts.files.loadEepromFile(path);
    });
    if (options.isOn(ProgramOptions::ProgramEeprom) && eepromFound) {
        runStep(QStringLiteral("write eeprom"), [this] { m_parts.writer.writeEepromImage(); });
    }
    if (options.isOn(ProgramOptions::VerifyFlash)) {
        runStep(QStringLiteral("verify flash"), [this] { m_parts.reader.verifyFlashImage(); });
    }
    if (options.isOn(ProgramOptions::VerifyEeprom)) {
        runStep(QStringLiteral("verify eeprom"), [this] { m_parts.reader.verifyEepromImage(); });
    }
    if (options.isOn(ProgramOptions::ProgramFuses)) {
        runStep(QStringLiteral("fuses"),
                [this] { m_parts.fuses.writeFuses(m_parts.model.selectedModelName()); });
    }
    if (options.isOn(ProgramOptions::ProgramLock)) {
        runStep(QStringLiteral("lock"), [this] { m_parts.fuses.writeLockBits(); });
    }
    if (options.isOn(ProgramOptions::WriteCalibration)) {
        runStep(QStringLiteral("calibration"), [this] {
            m_parts.calibration.readCalibrationBytes();
            m_parts.calibration.writeCalibrationByte();
        });
    }
}

void ProgramPass::runStep(const QString& name, const std::function<void()>& step) {
    Q_EMIT stepStarted(name);
    step();
    Q_EMIT stepFinished(name);
}

}  // namespace kv
