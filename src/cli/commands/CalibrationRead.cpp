// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"
#include "core/HexDigits.h"

namespace kv::cli::commands {

namespace {

void calibrationRead(CommandRun& run) {
    run.openPort();
    const CalibrationLayout layout = steps::calibrationLayout(run.identify());
    QList<int> addresses;
    for (const CalibrationLayout::Byte& byte : layout.bytes)
        addresses << byte.address;
    const QStringList replies = run.programmer().readInfoBytes(addresses);
    QJsonObject values;
    QStringList shown;
    for (qsizetype i = 0; i < layout.bytes.size() && i < replies.size(); ++i) {
        const QString value = replies.at(i).trimmed().toUpper();
        if (value.size() != 2 || !isHexText(value))
            continue;
        const QString caption = steps::slotCaption(layout.bytes.at(i).slot);
        values.insert(caption, value);
        shown << caption + u'=' + value;
    }
    if (values.isEmpty()) {
        CommandRun::end(Ending::Programmer,
                        QCoreApplication::translate("CliFuseCommands", "校准字节的应答无效。"));
    }
    run.find(QStringLiteral("calibration"), values);
    run.setHuman(shown.join(u' '));
}

}  // namespace

const Subcommand& calibrationRead() {
    static const Subcommand command{
        .name = QStringLiteral("calibration read"),
        .usage = QStringLiteral("calibration read"),
        .summary = QStringLiteral("read the oscillator calibration bytes"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 calibration read"),
        .reach = Reach::Chip,
        .invoke = calibrationRead,
    };
    return command;
}

}  // namespace kv::cli::commands
