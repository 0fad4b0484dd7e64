// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

namespace kv {

// Hexadecimal digits as every text the program reads holds them: 0-9, A-F, a-f.

// Value of one hex digit of either case, or -1.
inline int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// True for text that is not empty and holds only hex digits of either case.
bool isHexText(QStringView text);

// Upper-case hex of value, left-padded with "0" to at least width digits.
QString hexField(qint64 value, int width);

}  // namespace kv
