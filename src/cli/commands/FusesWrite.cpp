// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <array>

#include "app/Workbench.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

void fusesWrite(CommandRun& run) {
    run.openPort();
    run.identify();
    const CliRequest& request = run.request();
    Workbench& wb = run.workbench();
    const QString model = wb.session().model().selectedModelName();
    if (request.ext && !FuseCommands::hasExtendedFuseByte(model))
        CommandRun::end(Ending::Usage, QCoreApplication::translate("CliFuseCommands",
                                                                   "%1没有扩展熔丝字节，未写入。")
                                           .arg(model));
    // The bytes not named keep what the chip holds: they are read first.
    steps::readFuses(run);
    QString bits = wb.session().fuses().fuseBitString();
    const std::array<std::optional<int>, 3> values{request.low, request.high, request.ext};
    for (int b = 0; b < 3; ++b) {
        if (values[b])
            steps::setByte(bits, b, *values[b], model);
    }
    wb.schemes().applyFuseBits(bits);
    const QString sent = FuseCommands::fuseField(wb.session().fuses(), model);
    steps::recordedFuseWrite(run, true);
    steps::readFuses(run);
    steps::confirmFuses(run, sent);
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
