// SPDX-License-Identifier: MIT
// "run SCHEME.SET": the programming pass as the window runs it.
#include <QCoreApplication>

#include "app/Workbench.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"

namespace kv::cli::commands {

namespace {

void runScheme(CommandRun& run) {
    const CliRequest& request = run.request();
    Scheme scheme;
    try {
        scheme = SchemeFile::load(request.file);
    } catch (const OperationError& e) {
        CommandRun::end(Ending::File, e.text());
    }
    if (!request.model.isEmpty() && canonicalModel(scheme.model) != request.model) {
        CommandRun::end(
            Ending::Usage,
            QCoreApplication::translate("CliChipCommands", "方案的型号是%1，与 --model %2 不符。")
                .arg(scheme.model, request.model));
    }
    run.openPort();
    Workbench& wb = run.workbench();
    // The scheme goes in as the window's "LoadSet" puts it in; a file it
    // names that does not load leaves its image empty, found below.
    const CommandResult applied =
        wb.runner().runGuarded([&] { applyScheme(scheme, wb.schemes()); });
    if (applied.error)
        CommandRun::end(Ending::File, applied.error->text());
    // --serial wins over the file beside the scheme.
    run.applySerialScheme();
    const ProgramOptions& options = wb.session().options();
    run.find(QStringLiteral("model"), wb.session().model().selectedModelName());
    // A step chosen on an image that did not load would pass while writing
    // nothing; the window's user sees the empty view, a script would not.
    for (const bool flash : {true, false}) {
        const int write = flash ? ProgramOptions::ProgramFlash : ProgramOptions::ProgramEeprom;
        const int verify = flash ? ProgramOptions::VerifyFlash : ProgramOptions::VerifyEeprom;
        const ImageSlot& slot = wb.session().slot(steps::memoryOf(flash));
        if ((options.isOn(write) || options.isOn(verify)) && slot.image().isEmpty()) {
            CommandRun::end(
                Ending::File,
                QCoreApplication::translate("CliChipCommands",
                                            "方案选中了%1的编程或校验，但%1文件“%2”没有载入。")
                    .arg(memoryName(steps::memoryOf(flash)), slot.pathText()));
        }
        steps::checkImageFits(run, flash);
    }
    // The scheme's own options, unchanged: the pass exactly as the window runs it.
    steps::runRecordedPass(run);
}

}  // namespace

const Subcommand& run() {
    static const Subcommand command{
        .name = QStringLiteral("run"),
        .arguments = 1,
        .usage = QStringLiteral("run SCHEME.SET"),
        .summary = QStringLiteral("the programming pass exactly as the window runs it"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 --json run LINE3.SET"),
        .reach = Reach::Port,
        .changesChip = true,
        .onGang = true,
        .invoke = runScheme,
    };
    return command;
}

}  // namespace kv::cli::commands
