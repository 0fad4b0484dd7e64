// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv {

// The text conversions of the fuse editor. Binary text is most significant
// digit first; decimal text has no blanks and no sign.

// Sum of 2^(n - p) over the positions p holding "1"; every other character
// ("0", "*", anything) counts as 0. Empty text gives "0".
QString binToDec(const QString& bits);
// Decimal text of v, 0 <= v < 2^31, in binary without leading zeros ("0" for
// 0). Text that is not a decimal number in that range gives "0".
QString decToBin(const QString& decimal);
// Upper-cases t and replaces each hex digit by its 4 binary digits; empty text
// when any character is not a hex digit (and for empty t).
QString hexToBin(const QString& hex);

namespace fusebits {

// Number form of binToDec, for callers that go on computing.
quint32 binToUInt(QStringView bits);
// value in binary, left-padded with "0" to width digits.
QString toBinary(quint32 value, int width);
// value as width upper-case hex digits, left-padded with "0".
QString toHex(quint32 value, int width);
// True when every character of text is "1", "0" or "*" and it is not empty.
bool isClean(QStringView text);

}  // namespace fusebits

}  // namespace kv
