// SPDX-License-Identifier: MIT
#include "operations/Outcomes.h"

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
    }
    return QString();
}

std::optional<QString> StepOutcome::fault() const {
    if (!answered)
        return QStringLiteral("no answer");
    if (!signatureMatches)
        return QCoreApplication::translate("ProgramPass", "标识字与所选芯片不符!");
    if (write && write->unacknowledged > 0)
        return QStringLiteral("%1 bytes not acknowledged").arg(write->unacknowledged);
    if (verify) {
        switch (verify->result) {
            case VerifyOutcome::Result::ReadIncomplete:
                if (verify->read.stop == ReadOutcome::Stop::NoAnswer)
                    return QStringLiteral("no answer");
                return QStringLiteral("read-back stopped at 0x") +
                       hexField(verify->read.stoppedAt(), 4);
            case VerifyOutcome::Result::Differs:
                return QStringLiteral("mismatch at 0x") + hexField(verify->firstDifference, 4);
            case VerifyOutcome::Result::NoImage:
            case VerifyOutcome::Result::Matched:
                break;
        }
    }
    if (calibration && !calibration->acknowledged)
        return QStringLiteral("not acknowledged");
    return std::nullopt;
}

}  // namespace kv
