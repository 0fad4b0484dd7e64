// SPDX-License-Identifier: MIT
#include "operations/AddressText.h"

namespace kv {

std::optional<int> checkedAddress(const QString& text, int largest) {
    if (text.isEmpty() || text.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    if (value > largest) {
        return std::nullopt;
    }
    return value;
}

}  // namespace kv
