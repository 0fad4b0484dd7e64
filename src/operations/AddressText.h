// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

namespace kv {

// The address an address box holds when its text is a clean decimal number
// not above `largest`; none otherwise (empty text, a sign, a letter, a blank,
// or a number beyond the selected model's memory).
std::optional<int> checkedAddress(const QString& text, int largest);

// The warning of every address box check.
inline QString addressFormatError() {
    return QCoreApplication::translate("AddressText", "地址框数据格式错误!");
}

}  // namespace kv
