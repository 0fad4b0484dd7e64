// SPDX-License-Identifier: MIT
#include "programmer/ProgrammerOutcomes.h"

#include "core/HexDigits.h"

namespace kv {

namespace {

quint8 byteAt(const QString& digits, int at) {
    return quint8(hexDigitValue(digits[at]) << 4 | hexDigitValue(digits[at + 1]));
}

}  // namespace

QByteArray FuseBytes::recorded() const {
    QByteArray bytes;
    bytes.append(char(low));
    bytes.append(char(high));
    if (extended)
        bytes.append(char(*extended));
    return bytes;
}

quint8 FuseReading::lock() const {
    return valid() ? byteAt(digits, 0) : 0;
}

FuseBytes FuseReading::fuses(bool extended) const {
    FuseBytes bytes;
    if (!valid())
        return bytes;
    bytes.low = byteAt(digits, 6);
    bytes.high = byteAt(digits, 4);
    if (extended)
        bytes.extended = byteAt(digits, 2);
    return bytes;
}

}  // namespace kv
