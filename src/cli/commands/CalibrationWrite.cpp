// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

// A calibration byte cannot be taken back: what the cell holds now is read
// and compared, since a cell that held another value keeps only the bits
// both have.
void confirmCalibration(CommandRun& run, const CalibrationWrite& written) {
    const MemoryKind memory = written.toFlash ? MemoryKind::Flash : MemoryKind::Eeprom;
    const QString cell =
        run.programmer().readCell(memory, written.toFlash ? written.address / 2 : written.address);
    // A FLASH word's reply is its even byte first.
    const QString held = written.toFlash ? cell.mid(written.address % 2 * 2, 2) : cell.left(2);
    if (held.isEmpty())
        throw noAnswer();
    run.find(QStringLiteral("readBack"), held);
    if (held.compare(written.value, Qt::CaseInsensitive) != 0) {
        CommandRun::end(Ending::ChipDisagrees,
                        QCoreApplication::translate("CliFuseCommands",
                                                    "校准字节未得到确认：写入%1，地址%2读回%3。")
                            .arg(written.value)
                            .arg(written.address)
                            .arg(held));
    }
}

void calibrationWrite(CommandRun& run) {
    run.openPort();
    const ChipModel& model = run.identify();
    const CliRequest& request = run.request();
    const int slot = *request.slotMhz == 1   ? 0
                     : *request.slotMhz == 2 ? 1
                     : *request.slotMhz == 4 ? 2
                                             : 3;
    const CalibrationLayout layout = steps::calibrationLayout(model);
    const bool present =
        std::any_of(layout.bytes.cbegin(), layout.bytes.cend(),
                    [slot](const CalibrationLayout::Byte& b) { return b.slot == slot; });
    if (!present) {
        CommandRun::end(Ending::Usage,
                        QCoreApplication::translate("CliFuseCommands", "%1没有%2MHz的校准字节。")
                            .arg(model.name)
                            .arg(*request.slotMhz));
    }
    const bool toFlash = request.target == u"flash";
    const int largest = (toFlash ? model.flashSize : model.eepromSize) - 1;
    if (request.address && *request.address > largest) {
        CommandRun::end(Ending::Usage, QCoreApplication::translate("CliFuseCommands",
                                                                   "地址%1超出%2的%3（0 到 %4）。")
                                           .arg(*request.address)
                                           .arg(model.name, toFlash ? "FLASH" : "EEPROM")
                                           .arg(largest));
    }
    // Without --address, the memory's last byte, as the window's box starts.
    const int address = request.address.value_or(largest);
    PassPlan plan = steps::planFor(model);
    plan.calibration = steps::calibrationPlan(
        model, slot, toFlash ? MemoryKind::Flash : MemoryKind::Eeprom, QString::number(address));
    run.find(QStringLiteral("target"), request.target);
    run.find(QStringLiteral("address"), address);
    const PassOutcome pass = run.runPlan(plan);
    const StepOutcome* step = pass.step(PassStep::Calibration);
    if (!step || !step->calibration)
        throw noAnswer();
    run.find(QStringLiteral("value"), step->calibration->value);
    confirmCalibration(run, *step->calibration);
}

QString check(CliRequest& request) {
    if (!request.slotMhz || request.target.isEmpty())
        return QCoreApplication::translate("CliRequest", "calibration write 需要 --slot 和 --to");
    return {};
}

}  // namespace

const Subcommand& calibrationWrite() {
    static const Subcommand command{
        .name = QStringLiteral("calibration write"),
        .options = {QStringLiteral("slot"), QStringLiteral("to"), QStringLiteral("address")},
        .usage = QStringLiteral("calibration write --slot 1|2|4|8 --to flash|eeprom [--address A]"),
        .summary =
            QStringLiteral("store the calibration byte of that MHz in the chip's FLASH or EEPROM"),
        .example = QStringLiteral(
            "kelvaro-cli -p /dev/ttyUSB0 calibration write --slot 8 --to eeprom --address 511"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .check = check,
        .invoke = calibrationWrite,
    };
    return command;
}

}  // namespace kv::cli::commands
