// SPDX-License-Identifier: MIT
#include "core/LeadingNumber.h"

#include <limits>

namespace kv {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

bool isDecimalDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

qint64 leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text.at(i))) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulate towards the sign so that the most negative value is reachable.
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    qint64 value = 0;
    bool saturated = false;
    for (; i < n && isDecimalDigit(text.at(i)); ++i) {
        const int digit = text.at(i).unicode() - '0';
        if (saturated) {
            continue;
        }
        if (negative) {
            if (value < (kMin + digit) / 10) {
                value = kMin;
                saturated = true;
            } else {
                value = value * 10 - digit;
            }
        } else {
            if (value > (kMax - digit) / 10) {
                value = kMax;
                saturated = true;
            } else {
                value = value * 10 + digit;
            }
        }
    }
    return value;
}

}  // namespace kv
