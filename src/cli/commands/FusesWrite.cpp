// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <array>

#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

// The bytes not named keep what the chip holds: they are read first. The
// record's read-back after the write confirms it.
void fusesWrite(CommandRun& run) {
    run.openPort();
    const ChipModel& model = run.identify();
    const CliRequest& request = run.request();
    if (request.ext && !model.extendedFuse)
        CommandRun::end(Ending::Usage, QCoreApplication::translate("CliFuseCommands",
                                                                   "%1没有扩展熔丝字节，未写入。")
                                           .arg(model.name));
    const FuseBytes held = steps::readFuses(run).fuses(model.extendedFuse);
    const std::array<quint8, 4> existing = steps::existingBits(run, model);
    const auto value = [&](const std::optional<int>& given, quint8 chip, int b) {
        return steps::byteToSend(given.value_or(chip), b, existing[b], model);
    };
    PassPlan plan = steps::planFor(model);
    plan.writeFuses = true;
    plan.fuses.low = value(request.low, held.low, 0);
    plan.fuses.high = value(request.high, held.high, 1);
    if (model.extendedFuse)
        plan.fuses.extended = value(request.ext, held.extended.value_or(0xFF), 2);
    const PassOutcome pass = run.runPlan(plan);
    if (pass.fuseReadBack)
        steps::fuseFindings(run, *pass.fuseReadBack);
}

QString check(CliRequest& request) {
    if (!request.low && !request.high && !request.ext)
        return QCoreApplication::translate("CliRequest",
                                           "fuses write 至少需要 --low、--high 或 --ext 之一");
    return {};
}

}  // namespace

const Subcommand& fusesWrite() {
    static const Subcommand command{
        .name = QStringLiteral("fuses write"),
        .options = {QStringLiteral("low"), QStringLiteral("high"), QStringLiteral("ext")},
        .usage = QStringLiteral("fuses write [--low XX] [--high XX] [--ext XX]"),
        .summary = QStringLiteral("write fuse bytes (others kept), confirmed by read-back"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 fuses write --low E4 --high D9"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .check = check,
        .invoke = fusesWrite,
    };
    return command;
}

}  // namespace kv::cli::commands
