// SPDX-License-Identifier: MIT
#include <QTimer>

#include "cli/CommandRun.h"
#include "cli/Subcommand.h"
#include "firmware/FirmwareFile.h"
#include "firmware/FirmwareUpdate.h"

namespace kv::cli::commands {

namespace {

void firmware(CommandRun& run) {
    const CliRequest& request = run.request();
    const int pageSize = request.pageSize.value_or(64);
    try {
        FirmwareFile::load(request.file, pageSize);
    } catch (const OperationError& e) {
        CommandRun::end(Ending::File, e.text());
    }
    run.openPort();
    // No window shows the connection: nothing to refresh when the loader
    // closes and reopens the port.
    FirmwareUpdate update(run.link(), run.settings(), run.prompts(), [] {});
    update.setFileName(request.file);
    update.setPageOption(pageSize == 32 ? 0 : pageSize == 64 ? 1 : 2);
    update.setEncrypted(request.encrypted);
    QString shown;
    QObject::connect(&update, &FirmwareUpdate::changed, [&] {
        const QString text =
            update.restartPrompt().isEmpty() ? update.status() : update.restartPrompt();
        if (!text.isEmpty() && text != shown)
            run.report().note(text);
        shown = text;
    });
    // Only the wait for the loader can stop; a transfer stopped half-way would
    // leave the programmer with its loader alone.
    run.port().setStoppable(false);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&] {
        if (StopSignal::requested() && update.phase() == FirmwareUpdate::Phase::WaitingForLoader)
            update.stop();
    });
    stopWatch.start(20);
    update.upgrade();
    stopWatch.stop();
    if (!update.byteText().isEmpty())
        run.report().note(update.byteText());
    switch (update.lastOutcome()) {
        case FirmwareUpdate::Outcome::Done:
            // A Ctrl-C during the transfer waited for its end; nothing is left undone.
            StopSignal::clear();
            run.setHuman(update.byteText());
            return;
        case FirmwareUpdate::Outcome::Cancelled:
            CommandRun::end(Ending::Stopped, {});
        case FirmwareUpdate::Outcome::PagesMissed:
            CommandRun::end(Ending::Programmer, update.byteText());
        default:
            CommandRun::end(Ending::Programmer,
                            update.status().isEmpty()
                                ? (update.failure() ? update.failure()->text() : update.byteText())
                                : update.status());
    }
}

QString check(CliRequest& request) {
    if (!request.model.isEmpty())
        return QCoreApplication::translate("CliRequest", "命令 %1 不涉及芯片，不接受 --model")
            .arg(request.command);
    return {};
}

}  // namespace

const Subcommand& firmware() {
    static const Subcommand command{
        .name = QStringLiteral("firmware"),
        .arguments = 1,
        .options = {QStringLiteral("page-size"), QStringLiteral("encrypted")},
        .usage = QStringLiteral("firmware FILE [--page-size 32|64|128] [--encrypted]"),
        .summary = QStringLiteral("update the programmer's firmware through its loader"),
        .example =
            QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 firmware KELVARO.BIN --page-size 64"),
        .reach = Reach::Port,
        .check = check,
        .invoke = firmware,
    };
    return command;
}

}  // namespace kv::cli::commands
