// SPDX-License-Identifier: MIT
// "program FILE.elf": everything an avr-gcc ELF file holds, in a safe order.
#include <QCoreApplication>
#include <QJsonArray>

#include "app/Workbench.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

void loadProgramFile(CommandRun& run) {
    const QString& path = run.request().file;
    // The fuse and lock bytes, and the memories in one file, are what
    // makes an ELF file the one for this command.
    if (!path.endsWith(QLatin1String(".elf"), Qt::CaseInsensitive))
        CommandRun::end(Ending::File,
                        QCoreApplication::translate("CliProgramCommand",
                                                    "program 需要 avr-gcc 的 ELF 文件（.elf）：%1")
                            .arg(path));
    for (const bool flash : {true, false})
        steps::loadImage(run, flash, path, true);
    Session& session = run.workbench().session();
    const std::optional<FileFuses> file = session.files().fileFuses();
    if (run.request().fuses && (!file || file->fuses.isEmpty())) {
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate(
                "CliProgramCommand", "%1 没有熔丝位（.fuse 段），--fuses 无从写入，未做任何操作。")
                .arg(path));
    }
    if (run.request().lock && (!file || !file->lock)) {
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate(
                "CliProgramCommand", "%1 没有锁定位（.lock 段），--lock 无从写入，未做任何操作。")
                .arg(path));
    }
    if (session.flash().image().isEmpty() && session.eeprom().image().isEmpty() &&
        !run.request().fuses && !run.request().lock) {
        CommandRun::end(Ending::File, QCoreApplication::translate("CliProgramCommand",
                                                                  "文件 %1 中没有FLASH和EEPROM数据")
                                          .arg(path));
    }
}

// The pass keeps the safe order itself: erase, FLASH, EEPROM, the verifies,
// then fuses and the lock byte last, so a locked chip has been verified.
void program(CommandRun& run) {
    const CliRequest& request = run.request();
    loadProgramFile(run);
    const auto checkFile = [&] {
        // The reader checks each section against the model's memories and fuse bytes.
        loadProgramFile(run);
        for (const bool flash : {true, false})
            steps::checkImageFits(run, flash);
    };
    run.openPort();
    if (!request.model.isEmpty())
        checkFile();
    run.identify();
    if (request.model.isEmpty())
        checkFile();

    Workbench& wb = run.workbench();
    const bool flash = !wb.session().flash().image().isEmpty();
    const bool eeprom = !wb.session().eeprom().image().isEmpty();
    QList<int> options;
    QStringList written;
    if (request.erase)
        options << ProgramOptions::EraseChip;
    if (flash) {
        options << ProgramOptions::ProgramFlash;
        written << QStringLiteral("flash");
        run.find(QStringLiteral("flashBytes"), wb.session().flash().image().byteCount());
    }
    if (eeprom) {
        options << ProgramOptions::ProgramEeprom;
        written << QStringLiteral("eeprom");
        run.find(QStringLiteral("eepromBytes"), wb.session().eeprom().image().byteCount());
    }
    if (request.verify && flash)
        options << ProgramOptions::VerifyFlash;
    if (request.verify && eeprom)
        options << ProgramOptions::VerifyEeprom;
    QString fuseField, lockByte;
    if (request.fuses || request.lock) {
        // The cells hold the chip's bytes first: a fuse byte the file lacks
        // keeps its value, as with "fuses write".
        steps::readFuses(run);
        const CommandResult applied = wb.runCommand(CommandId::FileFuses);
        if (applied.error)
            CommandRun::end(Ending::File, applied.error->text());
        if (request.fuses) {
            options << ProgramOptions::ProgramFuses;
            fuseField = FuseCommands::fuseField(wb.session().fuses(),
                                                wb.session().model().selectedModelName());
            written << QStringLiteral("fuses");
        }
        if (request.lock) {
            options << ProgramOptions::ProgramLock;
            lockByte = wb.session().fuses().byteText(3);
            written << QStringLiteral("lock");
        }
    }
    run.find(QStringLiteral("written"), QJsonArray::fromStringList(written));
    run.find(QStringLiteral("erased"), request.erase);
    steps::runPass(run, options);
    if (request.fuses || request.lock) {
        steps::readFuses(run);
        if (request.fuses)
            steps::confirmFuses(run, fuseField);
        if (request.lock)
            steps::confirmLock(run, lockByte);
    }
    run.setHuman(
        QCoreApplication::translate("CliProgramCommand", "已写入 %1").arg(written.join(u' ')));
}

}  // namespace

const Subcommand& program() {
    static const Subcommand command{
        .name = QStringLiteral("program"),
        .arguments = 1,
        .options = {QStringLiteral("fuses"), QStringLiteral("lock"), QStringLiteral("verify"),
                    QStringLiteral("erase")},
        .usage = QStringLiteral("program FILE.elf [--fuses] [--lock] [--verify] [--erase]"),
        .summary = QStringLiteral(
            "write what the ELF file holds: erase, FLASH, EEPROM, verify, fuses, lock last;\n"
            "      fuse and lock bytes only when asked, confirmed by read-back"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 program firmware.elf --erase "
                                  "--verify --fuses"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = program,
    };
    return command;
}

}  // namespace kv::cli::commands
