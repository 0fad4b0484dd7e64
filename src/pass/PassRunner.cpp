// SPDX-License-Identifier: MIT
#include "pass/PassRunner.h"

#include <QCoreApplication>
#include <algorithm>

#include "core/Clock.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "programmer/Programmer.h"

namespace kv {

namespace {

QString signatureLogText() {
    return QCoreApplication::translate("ProgramPass", "读标识字:");
}

bool isHexByte(const QString& text) {
    return text.size() == 2 && isHexText(text);
}

}  // namespace

PassRunner::PassRunner(Programmer& programmer, const Clock& clock)
    : m_programmer(programmer), m_clock(clock) {}

void PassRunner::note(const QString& text) const {
    m_programmer.note(text);
}

PassOutcome PassRunner::run(const PassPlan& given, const PassHooks& hooks) {
    PassOutcome pass;
    pass.ran = true;
    PassPlan plan = given;
    m_programmer.setGeometry(plan.geometry);
    try {
        runSteps(plan, hooks, pass);
        // A chip that failed its pass gets no number.
        if (plan.serial && pass.passed()) {
            runStep(pass, PassStep::Serial, hooks, [&](StepOutcome& outcome) {
                // A number the programmer did not take is spoiled, not an
                // error of the pass: the record says why.
                try {
                    outcome.serialWritten = writeSerial(*plan.serial);
                } catch (const OperationError& e) {
                    if (e.kind() == ErrorKind::Stopped)
                        throw;
                    outcome.serialWritten = false;
                    outcome.refused = e.text();
                }
            });
        }
    } catch (const OperationError& e) {
        pass.error = e;
    }
    if (!pass.error && !pass.signatureRejected)
        readBack(plan, pass);
    return pass;
}

void PassRunner::runStep(PassOutcome& pass, PassStep step, const PassHooks& hooks,
                         const std::function<void(StepOutcome&)>& work) {
    if (hooks.stepStarted)
        hooks.stepStarted(step);
    StepOutcome outcome;
    outcome.step = step;
    const qint64 startMs = m_clock.nowMs();
    try {
        work(outcome);
    } catch (const OperationError& e) {
        outcome.error = e.text();
        outcome.durationMs = m_clock.nowMs() - startMs;
        pass.steps.append(outcome);
        // The step that throws ends the pass without its stepFinished.
        throw;
    }
    outcome.durationMs = m_clock.nowMs() - startMs;
    pass.steps.append(outcome);
    m_programmer.report(
        ProgrammerEvent::stepDone(passStepName(step), outcome.fault().value_or(QString())));
    if (hooks.stepFinished)
        hooks.stepFinished(outcome);
}

void PassRunner::checkSignature(const PassPlan& plan, StepOutcome& outcome) {
    const QString signature = m_programmer.identify(SignatureRead::AllThree);
    outcome.signature = signature;
    outcome.answered = !signature.isEmpty();
    outcome.garbled = !signature.isEmpty() && !(signature.size() == 6 && isHexText(signature));
    note(signatureLogText() + signature);
    if (!outcome.answered)
        m_programmer.problem(QCoreApplication::translate("SingleAccess", "编程器无反应!"));
    // Digits compare by value: a programmer may answer in lower case.
    outcome.signatureMatches =
        signature.compare(plan.expectedSignature.value_or(QString()), Qt::CaseInsensitive) == 0;
    if (!outcome.signatureMatches)
        note(QCoreApplication::translate("ProgramPass", "标识字与所选芯片不符!"));
}

void PassRunner::runSteps(PassPlan& plan, const PassHooks& hooks, PassOutcome& pass) {
    if (plan.expectedSignature) {
        runStep(pass, PassStep::Signature, hooks, [&](StepOutcome& outcome) {
            checkSignature(plan, outcome);
            pass.signature = outcome.signature;
            pass.signatureRejected = !outcome.signatureMatches;
        });
        if (pass.signatureRejected)
            return;
    }
    if (plan.erase) {
        runStep(pass, PassStep::Erase, hooks,
                [&](StepOutcome& outcome) { outcome.answered = m_programmer.erase().answered(); });
    }
    for (MemoryKind memory : {MemoryKind::Flash, MemoryKind::Eeprom}) {
        const bool flash = memory == MemoryKind::Flash;
        ImagePlan& image = flash ? plan.flash : plan.eeprom;
        const bool found = !hooks.beforeWrite || hooks.beforeWrite(memory, image);
        if (!(flash ? plan.writeFlash : plan.writeEeprom) || !found)
            continue;
        runStep(pass, flash ? PassStep::WriteFlash : PassStep::WriteEeprom, hooks,
                [&](StepOutcome& outcome) {
                    if (!image.refusal.isEmpty() && !image.isEmpty())
                        throw OperationError(image.refusal);
                    outcome.write = m_programmer.write(memory, image.bytes);
                    outcome.answered =
                        flash ? outcome.write->replied
                              : outcome.write->bytesSent == 0 ||
                                    outcome.write->unacknowledged < outcome.write->bytesSent;
                });
    }
    for (MemoryKind memory : {MemoryKind::Flash, MemoryKind::Eeprom}) {
        const bool flash = memory == MemoryKind::Flash;
        if (!(flash ? plan.verifyFlash : plan.verifyEeprom))
            continue;
        const ImagePlan& image = plan.image(memory);
        runStep(pass, flash ? PassStep::VerifyFlash : PassStep::VerifyEeprom, hooks,
                [&](StepOutcome& outcome) {
                    outcome.verify = m_programmer.verify(memory, image.bytes, image.size());
                    outcome.answered = outcome.verify->read.stop != ReadOutcome::Stop::NoAnswer;
                });
    }
    if (plan.writeFuses) {
        runStep(pass, PassStep::Fuses, hooks, [&](StepOutcome& outcome) {
            if (!plan.fusesRefusal.isEmpty()) {
                note(plan.fusesRefusal);
                outcome.refused = plan.fusesRefusal;
                return;
            }
            outcome.answered = m_programmer.writeFuses(plan.fuses).answered();
        });
    }
    if (plan.writeLock) {
        runStep(pass, PassStep::Lock, hooks, [&](StepOutcome& outcome) {
            if (!plan.lockRefusal.isEmpty()) {
                note(plan.lockRefusal);
                outcome.refused = plan.lockRefusal;
                return;
            }
            outcome.answered = m_programmer.writeLock(plan.lock).answered();
        });
    }
    if (plan.calibration) {
        runStep(pass, PassStep::Calibration, hooks,
                [&](StepOutcome& outcome) { writeCalibration(plan, hooks, outcome); });
    }
}

void PassRunner::writeCalibration(const PassPlan& plan, const PassHooks& hooks,
                                  StepOutcome& outcome) {
    const CalibrationPlan& calibration = *plan.calibration;
    QStringList replies;
    bool filled = false;
    if (!calibration.infoAddresses.isEmpty()) {
        replies = m_programmer.readInfoBytes(calibration.infoAddresses);
        note(QCoreApplication::translate("CalibrationBytes", "校准字节:%1")
                 .arg(replies.join(QLatin1Char('-'))));
        // A missing, short or garbled reply must not become a value that is written.
        filled = std::all_of(replies.begin(), replies.end(), isHexByte);
    }
    if (hooks.calibrationRead)
        hooks.calibrationRead(replies, filled);
    if (!calibration.addressRefusal.isEmpty())
        throw OperationError(calibration.addressRefusal, ErrorKind::Refused);
    if (!filled || calibration.chosen < 0 || calibration.chosen >= replies.size())
        throw OperationError(calibration.noValueRefusal, ErrorKind::Refused);
    const QString value = replies.at(calibration.chosen).toUpper();
    const bool toFlash = calibration.target == MemoryKind::Flash;
    const bool acknowledged = m_programmer.writeCalibration(calibration.target, calibration.address,
                                                            quint8(value.toInt(nullptr, 16)));
    outcome.calibration = CalibrationWrite{acknowledged, toFlash, int(calibration.address), value};
}

// Byte by byte into EEPROM, word by word into FLASH (a half outside the
// number stays FF, as erased FLASH holds), at the plan's own addresses.
bool PassRunner::writeSerial(const SerialPlan& serial) {
    const QByteArray& bytes = serial.bytes;
    if (bytes.isEmpty())
        return false;
    const bool flash = serial.memory == MemoryKind::Flash;
    const qint64 first = serial.address;
    const qint64 last = first + bytes.size() - 1;
    const qint64 largest = flash ? m_programmer.geometry().flashSize / 2 - 1
                                 : qint64(m_programmer.geometry().eepromSize) - 1;
    auto byteAt = [&](qint64 address) {
        return address < first || address > last ? char(0xFF) : bytes[address - first];
    };
    for (qint64 at = flash ? first / 2 : first; at <= (flash ? last / 2 : last); ++at) {
        if (at < 0 || at > largest) {
            throw OperationError(QCoreApplication::translate("AddressText", "地址框数据格式错误!"),
                                 ErrorKind::Refused);
        }
        QByteArray cell;
        if (flash)
            cell = QByteArray(1, byteAt(2 * at)) + QByteArray(1, byteAt(2 * at + 1));
        else
            cell = QByteArray(1, byteAt(at));
        if (!m_programmer.writeCell(serial.memory, at, cell)) {
            m_programmer.problem(QCoreApplication::translate("SingleAccess", "编程器无反应!"));
            return false;
        }
    }
    return true;
}

void PassRunner::readBack(const PassPlan& plan, PassOutcome& pass) {
    if (!plan.readBack || pass.steps.isEmpty())
        return;
    try {
        // The programmer does not acknowledge an erase: a silent one would
        // pass for a good erase unless something after it answers.
        if (pass.steps.last().step == PassStep::Erase) {
            const QString reading = m_programmer.identify(SignatureRead::AfterVendor);
            if (reading.size() == 6) {
                pass.signatureAfterErase = reading;
            } else {
                pass.steps.last().readBackFault =
                    QStringLiteral("no answer to the signature read after erase");
                note(QCoreApplication::translate("kv::RecordKeeper",
                                                 "擦除后读标识字无应答，本次擦除记录为不合格。"));
            }
        }
        if (!pass.step(PassStep::Fuses) && !pass.step(PassStep::Lock))
            return;
        const FuseReading reading = m_programmer.readFuses();
        if (reading.answered() && !reading.valid())
            m_programmer.problem(QCoreApplication::translate("FuseCommands", "读熔丝位应答无效：%1")
                                     .arg(reading.reply));
        if (!reading.valid())
            return;
        pass.fuseReadBack = reading;
        for (StepOutcome& step : pass.steps) {
            const bool differs =
                step.step == PassStep::Fuses
                    ? reading.fuses(plan.extendedFuse).recorded() != plan.fuses.recorded()
                : step.step == PassStep::Lock ? reading.lock() != plan.lock
                                              : false;
            if (differs && !step.fault())
                step.readBackFault = QStringLiteral("read-back differs");
        }
    } catch (const OperationError&) {
        // The pass is done; a read for the record that fails records nothing.
    }
}

}  // namespace kv
