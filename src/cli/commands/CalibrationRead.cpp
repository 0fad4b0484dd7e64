// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& calibrationRead() {
    static const Subcommand command{
        .name = QStringLiteral("calibration read"),
        .usage = QStringLiteral("calibration read"),
        .summary = QStringLiteral("read the oscillator calibration bytes"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 calibration read"),
        .reach = Reach::Chip,
        .invoke =
            [](CommandRun& run) {
                run.openPort();
                run.identify();
                steps::readCalibration(run);
            },
    };
    return command;
}

}  // namespace kv::cli::commands
