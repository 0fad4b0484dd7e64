// SPDX-License-Identifier: MIT
#include "cli/CliOutcomes.h"

#include <QCoreApplication>

#include "cli/CliPlatform.h"
#include "cli/CliRequest.h"
#include "core/HexDigits.h"

namespace kv::cli {

namespace {

QString missingAcks(qint64 count) {
    return QCoreApplication::translate("WriteAcks",
                                       "%1个字节没有得到编程器确认（\"!\"），可能未写入!")
        .arg(count);
}

}  // namespace

int exitCodeOf(Ending ending) {
    switch (ending) {
        case Ending::Done:
            return kExitDone;
        case Ending::ChipDisagrees:
            return kExitChipDisagrees;
        case Ending::Usage:
            return kExitUsage;
        case Ending::Programmer:
            return kExitProgrammer;
        case Ending::File:
            return kExitFile;
        case Ending::Record:
            return kExitRecord;
        case Ending::RecordPending:
            return kExitRecordPending;
        case Ending::RecordLost:
            return kExitRecordLost;
        case Ending::Stopped:
            return StopSignal::exitCode();
    }
    return kExitProgrammer;
}

CommandEnd endOf(const OperationError& error) {
    switch (error.kind()) {
        case ErrorKind::ChipDisagrees:
            return {Ending::ChipDisagrees, error.text()};
        case ErrorKind::File:
            return {Ending::File, error.text()};
        case ErrorKind::Record:
            return {Ending::Record, error.text()};
        case ErrorKind::RecordLost:
            return {Ending::RecordLost, error.text()};
        case ErrorKind::Stopped:
            return {StopSignal::requested() ? Ending::Stopped : Ending::Programmer, error.text()};
        case ErrorKind::NoAnswer:
        case ErrorKind::LineLost:
        case ErrorKind::PortBusy:
        case ErrorKind::Garbled:
        case ErrorKind::Refused:
            break;
    }
    return {Ending::Programmer, error.text()};
}

std::optional<CommandEnd> endOf(const ReadOutcome& read) {
    const QString memory = memoryName(read.memory);
    switch (read.stop) {
        case ReadOutcome::Stop::Complete:
            return std::nullopt;
        case ReadOutcome::Stop::NoAnswer:
            return noAnswer();
        case ReadOutcome::Stop::Garbled:
            return CommandEnd{Ending::Programmer,
                              QCoreApplication::translate(
                                  "CliChipCommands", "%1读取应答无效：地址%2处不是十六进制数字。")
                                  .arg(memory, hexField(read.garbledAt, 4))};
        case ReadOutcome::Stop::Stopped:
        case ReadOutcome::Stop::TooSlow:
            break;
    }
    return CommandEnd{Ending::Programmer,
                      QCoreApplication::translate(
                          "CliChipCommands", "%1读取在地址 %2 处停止（收到%3字节，应为%4字节）。")
                          .arg(memory, hexField(read.stoppedAt(), 4))
                          .arg(read.received)
                          .arg(read.expected)};
}

std::optional<CommandEnd> endOf(const VerifyOutcome& verify) {
    const QString memory = memoryName(verify.memory);
    switch (verify.result) {
        case VerifyOutcome::Result::NoImage:
        case VerifyOutcome::Result::Matched:
            return std::nullopt;
        case VerifyOutcome::Result::ReadIncomplete:
            // The chip was not judged: the read-back stopped.
            return CommandEnd{Ending::Programmer,
                              QCoreApplication::translate(
                                  "CliChipCommands",
                                  "%1读回在地址 %2 处停止（收到%3字节，应为%4字节），未能校验。")
                                  .arg(memory, hexField(verify.read.stoppedAt(), 4))
                                  .arg(verify.read.received)
                                  .arg(verify.read.expected)};
        case VerifyOutcome::Result::Differs:
            break;
    }
    return CommandEnd{Ending::ChipDisagrees,
                      QCoreApplication::translate("CliChipCommands", "%1地址 %2 数据校验失败。")
                          .arg(memory, hexField(verify.firstDifference, 4))};
}

std::optional<CommandEnd> endOf(const WriteOutcome& write) {
    if (write.unacknowledged > 0)
        return CommandEnd{Ending::Programmer, missingAcks(write.unacknowledged)};
    return std::nullopt;
}

std::optional<CommandEnd> endOf(const StepOutcome& step) {
    const std::optional<QString> fault = step.fault();
    if (!fault)
        return std::nullopt;
    if (!step.answered)
        return noAnswer();
    if (step.step == PassStep::Serial) {
        // The chip holds part of a number, or none: the cable or the
        // programmer, never a pass.
        return CommandEnd{Ending::Programmer,
                          QCoreApplication::translate("CliChipCommands", "序列号没有写入：%1")
                              .arg(step.refused.isEmpty() ? missingAcks(1) : step.refused)};
    }
    if (step.verify)
        return endOf(*step.verify);
    if (step.write) {
        if (const std::optional<CommandEnd> end = endOf(*step.write))
            return end;
    }
    return CommandEnd{Ending::Programmer, step.refused.isEmpty() ? *fault : step.refused};
}

CommandEnd noAnswer() {
    return {Ending::Programmer, QCoreApplication::translate("CliRunner", "编程器无反应!")};
}

CommandEnd garbledSignature(const QString& reading) {
    return {Ending::Programmer,
            QCoreApplication::translate(
                "CliChipCommands",
                "编程器的应答不是标识字（收到“%1”）：请等几秒再试，或拔下编程器再插上。")
                .arg(reading.left(40))};
}

}  // namespace kv::cli
