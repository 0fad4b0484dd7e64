// SPDX-License-Identifier: MIT
#include "pass/PassOutcome.h"

#include <QCoreApplication>

#include "core/HexDigits.h"

namespace kv {

QString passStepName(PassStep step) {
    switch (step) {
        case PassStep::Signature:
            return QStringLiteral("signature");
        case PassStep::Erase:
            return QStringLiteral("erase");
        case PassStep::WriteFlash:
            return QStringLiteral("write flash");
        case PassStep::WriteEeprom:
            return QStringLiteral("write eeprom");
        case PassStep::VerifyFlash:
            return QStringLiteral("verify flash");
        case PassStep::VerifyEeprom:
            return QStringLiteral("verify eeprom");
        case PassStep::Fuses:
            return QStringLiteral("fuses");
        case PassStep::Lock:
            return QStringLiteral("lock");
        case PassStep::Calibration:
            return QStringLiteral("calibration");
        case PassStep::Serial:
            return QStringLiteral("serial");
    }
    return QString();
}

std::optional<QString> StepOutcome::fault() const {
    if (error)
        return error;
    if (!answered)
        return QStringLiteral("no answer");
    if (!signatureMatches)
        return QCoreApplication::translate("ProgramPass", "标识字与所选芯片不符!");
    if (!refused.isEmpty())
        return QStringLiteral("nothing sent: ") + refused;
    if (write && !write->sent)
        return QStringLiteral("nothing written: no image");
    if (write && write->unacknowledged > 0)
        return QStringLiteral("%1 bytes not acknowledged").arg(write->unacknowledged);
    if (verify) {
        switch (verify->result) {
            case VerifyOutcome::Result::NoImage:
                return QStringLiteral("nothing verified: no image");
            case VerifyOutcome::Result::ReadIncomplete:
                if (verify->read.stop == ReadOutcome::Stop::NoAnswer)
                    return QStringLiteral("no answer");
                return QStringLiteral("read-back stopped at 0x") +
                       hexField(verify->read.stoppedAt(), 4);
            case VerifyOutcome::Result::Differs:
                return QStringLiteral("mismatch at 0x") + hexField(verify->firstDifference, 4);
            case VerifyOutcome::Result::Matched:
                break;
        }
    }
    if (calibration && !calibration->acknowledged)
        return QStringLiteral("not acknowledged");
    if (serialWritten && !*serialWritten)
        return QStringLiteral("not acknowledged");
    if (readBackFault)
        return readBackFault;
    return std::nullopt;
}

bool PassOutcome::passed() const {
    return ran && !failure();
}

std::optional<QString> PassOutcome::failure() const {
    if (error)
        return error->text();
    for (const StepOutcome& s : steps) {
        if (const auto fault = s.fault())
            return passStepName(s.step) + QStringLiteral(": ") + *fault;
    }
    if (signatureRejected)
        return QCoreApplication::translate("ProgramPass", "标识字与所选芯片不符!");
    return std::nullopt;
}

}  // namespace kv
