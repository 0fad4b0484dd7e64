// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"
#include "fuses/FuseDefinitionReader.h"
#include "programmer/SerialProgrammer.h"

namespace kv::cli::commands {

namespace {

// The model's factory fuses from its fuse definitions: low, high, extended.
FuseBytes factoryFuses(const CommandRun& run, const ChipModel& model) {
    const QString fileName = model.name + QStringLiteral(".FUS");
    const QString path =
        FuseDefinitionReader::locate({run.paths().dataFolder + QStringLiteral("/Set")}, fileName);
    const auto result = path.isEmpty() ? FuseDefinitionReader::Result{}
                                       : FuseDefinitionReader::read(path, fileName, {});
    const QString& bits = result.definitions.defaultBits;
    if (result.outcome != FuseDefinitionReader::Outcome::Loaded || bits.size() < 32) {
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate(
                "FuseCommands", "默认熔丝位无效（缺少该型号的熔丝定义文件？），没有恢复熔丝。"));
    }
    // Character p is cell 31 - p; a bit the model lacks ("*") is sent as 1.
    quint8 bytes[3] = {0, 0, 0};
    for (int p = 8; p < 32; ++p) {
        const QChar c = bits.at(p);
        if (c != u'0' && c != u'1' && c != u'*') {
            CommandRun::end(Ending::File,
                            QCoreApplication::translate(
                                "FuseCommands",
                                "默认熔丝位无效（缺少该型号的熔丝定义文件？），没有恢复熔丝。"));
        }
        if (c != u'0')
            bytes[(31 - p) / 8] |= quint8(1u << ((31 - p) % 8));
    }
    FuseBytes fuses{bytes[0], bytes[1], std::nullopt};
    if (model.extendedFuse)
        fuses.extended = bytes[2];
    return fuses;
}

// The high-voltage reset to the factory fuses, then their read-back; the
// record keeps both as one step.
void fusesRecover(CommandRun& run) {
    run.openPort();
    const ChipModel& model = run.identify();
    const FuseBytes sent = factoryFuses(run, model);
    run.beginRecord();
    const qint64 startMs = run.clock().nowMs();
    QString fault;
    FuseReading reading;
    std::optional<OperationError> error;
    try {
        const Reply reply = run.programmer().resetFuses(sent);
        reading = run.programmer().readFuses();
        if (!reply.answered() && !reading.answered())
            fault = QStringLiteral("no answer");
        else if (!reading.valid() || reading.fuses(model.extendedFuse) != sent)
            fault = QStringLiteral("read-back differs");
    } catch (const OperationError& e) {
        error = e;
    }
    if (PassRecord* row = run.record().row()) {
        row->steps.append(
            {QStringLiteral("recover fuses"),
             fault.isEmpty() && !error ? QStringLiteral("pass") : QStringLiteral("fail"),
             run.clock().nowMs() - startMs, fault});
        row->fusesWritten = sent.recorded();
        if (reading.valid()) {
            row->fusesRead = reading.fuses(model.extendedFuse).recorded();
            row->lockRead = reading.lock();
        }
    }
    run.record().finish(error ? std::optional<QString>(error->text()) : std::nullopt,
                        error && error->kind() == ErrorKind::Stopped);
    if (error)
        throw *error;
    if (reading.valid()) {
        steps::fuseFindings(run, reading);
        run.setHuman({});
    }
    if (!reading.answered())
        throw noAnswer();
    const bool confirmed = fault.isEmpty();
    run.log(confirmed ? QCoreApplication::translate("FuseCommands", "恢复成功！")
                      : QCoreApplication::translate("FuseCommands", "恢复失败！"));
    if (!confirmed) {
        CommandRun::end(
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliFuseCommands", "恢复失败：读回的熔丝位不是出厂值。"));
    }
}

}  // namespace

const Subcommand& fusesRecover() {
    static const Subcommand command{
        .name = QStringLiteral("fuses recover"),
        .usage = QStringLiteral("fuses recover"),
        .summary = QStringLiteral("the model's factory fuses, confirmed by read-back"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 -m ATMEGA8 fuses recover"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = fusesRecover,
    };
    return command;
}

}  // namespace kv::cli::commands
