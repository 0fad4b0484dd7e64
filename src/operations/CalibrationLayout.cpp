// SPDX-License-Identifier: MIT
#include "operations/CalibrationLayout.h"

#include <QStringList>

namespace kv {

CalibrationLayout CalibrationLayout::forModel(const QString& model) {
    // The later 28- and 40-pin parts keep one byte, for the 8 MHz oscillator.
    static const QStringList eightMhzOnly{"ATMEGA48",   "ATMEGA88",   "ATMEGA168",   "ATMEGA162",
                                          "ATMEGA48PA", "ATMEGA88PA", "ATMEGA168PA", "ATMEGA328",
                                          "ATMEGA328P", "ATMEGA164A", "ATMEGA164PA", "ATMEGA324A",
                                          "ATMEGA324PA"};
    static const QStringList oneMhzOnly{"ATMEGA163", "ATMEGA323"};
    static const QStringList fourBytes{"ATMEGA8",    "ATMEGA16",   "ATMEGA32",
                                       "ATMEGA8515", "ATMEGA8535", "ATTINY26"};
    CalibrationLayout layout;
    if (eightMhzOnly.contains(model)) {
        layout.bytes = {{0x80, 3}};
        layout.selects = 3;
    } else if (oneMhzOnly.contains(model)) {
        layout.bytes = {{0x80, 0}};
        layout.selects = 0;
    } else if (model == QLatin1String("ATTINY2313") || model == QLatin1String("ATTINY4313")) {
        layout.bytes = {{0x80, 3}, {0x81, 2}};
    } else if (fourBytes.contains(model)) {
        layout.bytes = {{0x80, 0}, {0x81, 1}, {0x82, 2}, {0x83, 3}};
    }
    return layout;
}

}  // namespace kv
