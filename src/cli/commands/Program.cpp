// SPDX-License-Identifier: MIT
// "program FILE.elf": everything an avr-gcc ELF file holds, in a safe order.
#include <QCoreApplication>
#include <QJsonArray>

#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

ImageFile loadProgramFile(CommandRun& run) {
    const CliRequest& request = run.request();
    const QString& path = request.file;
    // The fuse and lock bytes, and the memories in one file, are what
    // makes an ELF file the one for this command.
    if (!path.endsWith(QLatin1String(".elf"), Qt::CaseInsensitive))
        CommandRun::end(Ending::File,
                        QCoreApplication::translate("CliProgramCommand",
                                                    "program 需要 avr-gcc 的 ELF 文件（.elf）：%1")
                            .arg(path));
    const ImageFile file = ImageFile::load(path, MemoryKind::Flash);
    if (request.fuses && file.fuses.isEmpty()) {
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate(
                "CliProgramCommand", "%1 没有熔丝位（.fuse 段），--fuses 无从写入，未做任何操作。")
                .arg(path));
    }
    if (request.lock && !file.lock) {
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate(
                "CliProgramCommand", "%1 没有锁定位（.lock 段），--lock 无从写入，未做任何操作。")
                .arg(path));
    }
    if (file.flash.isEmpty() && file.eeprom.isEmpty() && !request.fuses && !request.lock) {
        CommandRun::end(Ending::File, QCoreApplication::translate("CliProgramCommand",
                                                                  "文件 %1 中没有FLASH和EEPROM数据")
                                          .arg(path));
    }
    return file;
}

// The pass keeps the safe order itself: erase, FLASH, EEPROM, the verifies,
// then fuses and the lock byte last, so a locked chip has been verified.
void program(CommandRun& run) {
    const CliRequest& request = run.request();
    const ImageFile file = loadProgramFile(run);
    const ChipModel& model = steps::identifyFor(run, file, true, true);
    PassPlan plan = steps::planFor(model);
    QStringList written;
    plan.erase = request.erase;
    if (!file.flash.isEmpty()) {
        plan.flash = steps::imagePlan(file.flash, file.path);
        plan.writeFlash = true;
        plan.verifyFlash = request.verify;
        written << QStringLiteral("flash");
        run.find(QStringLiteral("flashBytes"), file.flash.size());
    }
    if (!file.eeprom.isEmpty()) {
        plan.eeprom = steps::imagePlan(file.eeprom, file.path);
        plan.writeEeprom = true;
        plan.verifyEeprom = request.verify;
        written << QStringLiteral("eeprom");
        run.find(QStringLiteral("eepromBytes"), file.eeprom.size());
    }
    if (request.fuses || request.lock) {
        // A fuse byte the file lacks keeps what the chip holds, as with
        // "fuses write"; a bit the model lacks is sent as 1.
        const FuseBytes held = steps::readFuses(run).fuses(model.extendedFuse);
        const std::array<quint8, 4> existing = steps::existingBits(run, model);
        const auto fileByte = [&](int b, quint8 chip) {
            return quint8((b < file.fuses.size() ? quint8(file.fuses.at(b)) : chip) | ~existing[b]);
        };
        if (request.fuses) {
            plan.writeFuses = true;
            plan.fuses.low = fileByte(0, held.low);
            plan.fuses.high = fileByte(1, held.high);
            if (model.extendedFuse)
                plan.fuses.extended = fileByte(2, held.extended.value_or(0xFF));
            written << QStringLiteral("fuses");
        }
        if (request.lock) {
            plan.writeLock = true;
            plan.lock = quint8(*file.lock | ~existing[3]);
            written << QStringLiteral("lock");
        }
    }
    run.find(QStringLiteral("written"), QJsonArray::fromStringList(written));
    run.find(QStringLiteral("erased"), request.erase);
    const PassOutcome pass = run.runPlan(plan, true);
    if (pass.fuseReadBack) {
        steps::fuseFindings(run, *pass.fuseReadBack);
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
        .example = QStringLiteral(
            "kelvaro-cli -p /dev/ttyUSB0 program firmware.elf --erase --verify --fuses"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = program,
    };
    return command;
}

}  // namespace kv::cli::commands
