// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv {

// How the program reads a number from text (settings, scheme lines, address
// boxes): leading blanks are skipped, the longest leading decimal number is
// taken, and text without a number gives 0. A leading "-" or "+" sign is taken
// with the digits. Values beyond the 64-bit range saturate.
qint64 leadingNumber(const QString& text);

}  // namespace kv
