// SPDX-License-Identifier: MIT
#include "fuses/FuseBitText.h"

#include "core/HexDigits.h"

namespace kv {

QString binToDec(const QString& bits) {
    return QString::number(fusebits::binToUInt(bits));
}

QString decToBin(const QString& decimal) {
    bool ok = false;
    const qint64 v = decimal.toLongLong(&ok);
    if (!ok || v < 0 || v >= (qint64(1) << 31))
        return QStringLiteral("0");
    return QString::number(v, 2);
}

QString hexToBin(const QString& hex) {
    QString out;
    out.reserve(hex.size() * 4);
    for (const QChar c : hex) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return QString();
        out += fusebits::toBinary(quint32(digit), 4);
    }
    return out;
}

namespace fusebits {

quint32 binToUInt(QStringView bits) {
    quint32 value = 0;
    for (const QChar c : bits)
        value = (value << 1) | (c == QLatin1Char('1') ? 1u : 0u);
    return value;
}

QString toBinary(quint32 value, int width) {
    return QString::number(value, 2).rightJustified(width, QLatin1Char('0'));
}

QString toHex(quint32 value, int width) {
    return hexField(value, width);
}

bool isClean(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c != QLatin1Char('1') && c != QLatin1Char('0') && c != QLatin1Char('*'))
            return false;
    }
    return true;
}

}  // namespace fusebits

}  // namespace kv
