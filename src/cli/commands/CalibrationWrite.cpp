// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "app/Workbench.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"
#include "operations/AddressText.h"
#include "operations/CalibrationBytes.h"
#include "operations/CalibrationLayout.h"
#include "operations/SingleAccess.h"

namespace kv::cli::commands {

namespace {

// A calibration byte cannot be taken back: what the cell holds now is read
// and compared, since a cell that held another value keeps only the bits
// both have.
void confirmCalibration(CommandRun& run, const CalibrationWrite& written) {
    SingleAccess& single = run.workbench().session().singleAccessCommands();
    QString held;
    run.check(
        run.workbench().runner().runExchange([&] { held = single.heldCalibration(written); }));
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
    run.identify();
    const CliRequest& request = run.request();
    Workbench& wb = run.workbench();
    ModelState& model = wb.session().model();
    const int slot = *request.slotMhz == 1   ? 0
                     : *request.slotMhz == 2 ? 1
                     : *request.slotMhz == 4 ? 2
                                             : 3;
    const CalibrationLayout layout = CalibrationLayout::forModel(model.selectedModelName());
    const bool present =
        std::any_of(layout.bytes.cbegin(), layout.bytes.cend(),
                    [slot](const CalibrationLayout::Byte& b) { return b.slot == slot; });
    if (!present) {
        CommandRun::end(Ending::Usage,
                        QCoreApplication::translate("CliFuseCommands", "%1没有%2MHz的校准字节。")
                            .arg(model.selectedModelName())
                            .arg(*request.slotMhz));
    }
    const bool toFlash = request.target == u"flash";
    AddressSpinner& box =
        toFlash ? model.flashCalibrationAddress() : model.eepromCalibrationAddress();
    if (request.address) {
        const int largest = (toFlash ? model.flashSize() : model.eepromSize()) - 1;
        if (!checkedAddress(QString::number(*request.address), largest)) {
            CommandRun::end(
                Ending::Usage,
                QCoreApplication::translate("CliFuseCommands", "地址%1超出%2的%3（0 到 %4）。")
                    .arg(*request.address)
                    .arg(model.selectedModelName(), toFlash ? "FLASH" : "EEPROM")
                    .arg(largest));
        }
    }
    steps::readCalibration(run);
    wb.schemes().setCalibrationChoice(
        slot, toFlash ? CalibrationState::kTargetFlash : CalibrationState::kTargetEeprom);
    if (request.address)
        box.setText(QString::number(*request.address));
    CalibrationWrite written;
    const CommandResult result = wb.runner().runRecorded(QStringLiteral("calibration"), [&] {
        RecordKeeper::StepFinding finding;
        written = wb.session().calibrationBytes().writeCalibrationByte();
        finding.calibration = written;
        if (!written.acknowledged)
            finding.fault = QStringLiteral("not acknowledged");
        return finding;
    });
    run.find(QStringLiteral("value"), wb.session().calibration().slotValue(slot));
    run.find(QStringLiteral("target"), request.target);
    run.find(QStringLiteral("address"), box.text().toInt());
    run.check(result);
    if (!written.acknowledged)
        throw noAnswer();
    confirmCalibration(run, written);
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
