// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "app/Workbench.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

void lockWrite(CommandRun& run) {
    run.openPort();
    run.identify();
    Workbench& wb = run.workbench();
    steps::readFuses(run);
    QString bits = wb.session().fuses().fuseBitString();
    steps::setByte(bits, 3, *run.request().lockByte, wb.session().model().selectedModelName());
    wb.schemes().applyFuseBits(bits);
    const QString sent = wb.session().fuses().byteText(3);
    steps::recordedFuseWrite(run, false);
    steps::readFuses(run);
    steps::confirmLock(run, sent);
}

// The argument is the byte itself.
QString check(CliRequest& request) {
    request.lockByte = parseHexByte(request.file);
    if (!request.lockByte)
        return QCoreApplication::translate("CliRequest",
                                           "锁定位应为一个十六进制字节（如 FC），而不是“%1”")
            .arg(request.file);
    return {};
}

}  // namespace

const Subcommand& lockWrite() {
    static const Subcommand command{
        .name = QStringLiteral("lock write"),
        .arguments = 1,
        .usage = QStringLiteral("lock write XX"),
        .summary = QStringLiteral("write the lock byte, confirmed by read-back"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 lock write FC"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .check = check,
        .invoke = lockWrite,
    };
    return command;
}

}  // namespace kv::cli::commands
