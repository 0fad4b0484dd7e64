// SPDX-License-Identifier: MIT
#include "operations/OutcomeBoxes.h"

#include <QCoreApplication>

#include "core/HexDigits.h"
#include "operations/WriteAcks.h"

namespace kv {

std::optional<QString> boxFor(const WriteOutcome& outcome) {
    if (outcome.unacknowledged > 0)
        return missingAcksText(outcome.unacknowledged);
    return std::nullopt;
}

std::optional<QString> boxFor(const VerifyOutcome& outcome) {
    const bool flash = outcome.memory == MemoryKind::Flash;
    switch (outcome.result) {
        case VerifyOutcome::Result::Differs:
            return (flash
                        ? QCoreApplication::translate("ImageReader", "FLASH地址 %1 数据校验失败！")
                        : QCoreApplication::translate("ImageReader",
                                                      "EEPROM地址 %1 数据校验失败！"))
                .arg(hexField(outcome.firstDifference, 4));
        case VerifyOutcome::Result::ReadIncomplete:
            // The chip was not judged: a line or programmer problem, not a bad chip.
            if (outcome.read.stop == ReadOutcome::Stop::NoAnswer)
                return QCoreApplication::translate("ImageReader", "编程器无反应!");
            return QCoreApplication::translate("OutcomeBoxes", "%1读回在地址 %2 处中断，未能校验！")
                .arg(memoryName(outcome.memory), hexField(outcome.read.stoppedAt(), 4));
        case VerifyOutcome::Result::NoImage:
        case VerifyOutcome::Result::Matched:
            break;
    }
    return std::nullopt;
}

std::optional<QString> boxFor(const CalibrationWrite& outcome) {
    if (!outcome.acknowledged)
        return missingAcksText(1);
    return std::nullopt;
}

std::optional<QString> boxFor(const StepOutcome& outcome) {
    if (outcome.write)
        return boxFor(*outcome.write);
    if (outcome.verify)
        return boxFor(*outcome.verify);
    if (outcome.calibration)
        return boxFor(*outcome.calibration);
    return std::nullopt;
}

}  // namespace kv
