// SPDX-License-Identifier: MIT
#include "core/HexDigits.h"

namespace kv {

bool isHexText(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (hexDigitValue(c) < 0)
            return false;
    }
    return true;
}

QString hexField(qint64 value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, u'0');
}

}  // namespace kv
