// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "fuses/FuseTypes.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {

// Every model with a shipped definition file, in the order of the model table.
inline const QStringList kShippedModels = {
    "ATMEGA8",    "ATMEGA16",   "ATMEGA32",    "ATMEGA48",   "ATMEGA88",    "ATMEGA168",
    "ATMEGA8535", "ATMEGA163",  "ATMEGA323",   "ATMEGA8515", "ATMEGA161",   "ATMEGA162",
    "ATTINY2313", "ATTINY26",   "ATMEGA48PA",  "ATMEGA88PA", "ATMEGA168PA", "ATMEGA328",
    "ATMEGA328P", "ATMEGA164A", "ATMEGA164PA", "ATMEGA324A", "ATMEGA324PA", "ATTINY4313"};

// Definitions as a successful load would give them: options in the order
// given, positions 1, 3, 5, ... shaded, a trailing "*" turned into the mark.
inline FuseDefinitions makeDefinitions(const QString& defaultBits,
                                       const std::vector<std::pair<QString, QString>>& options) {
    FuseDefinitions d;
    d.defaultBits = defaultBits;
    for (int i = 0; i < 32; ++i)
        d.names << QStringLiteral("B%1").arg(i);
    for (const auto& [key, text] : options) {
        FuseOption o;
        o.key = key;
        o.text = text;
        o.shaded = d.options.size() % 2 == 0;
        if (o.text.endsWith(QLatin1Char('*'))) {
            o.text.chop(1);
            o.marked = true;
        }
        d.options.append(o);
    }
    return d;
}

// 32 characters from four bytes written as 8-character groups, lock first.
inline QString bits(const QString& lock, const QString& extended, const QString& high,
                    const QString& low) {
    return lock + extended + high + low;
}

}  // namespace kv::test
