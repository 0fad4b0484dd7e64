// SPDX-License-Identifier: MIT
#include "record/SerialScheme.h"

namespace kv {

QByteArray SerialScheme::bytesFor(qint64 value) const {
    if (value < 0 || !isValid())
        return {};
    switch (format) {
        case Format::BinaryLittleEndian:
        case Format::BinaryBigEndian: {
            if (width < 8 && (quint64(value) >> (8 * width)) != 0)
                return {};
            QByteArray bytes(width, '\0');
            for (int i = 0; i < width; ++i)
                bytes[i] = char((quint64(value) >> (8 * i)) & 0xFF);
            if (format == Format::BinaryBigEndian)
                std::reverse(bytes.begin(), bytes.end());
            return bytes;
        }
        case Format::DecimalText:
        case Format::HexText: {
            const int base = format == Format::DecimalText ? 10 : 16;
            const QByteArray digits = QByteArray::number(value, base).toUpper();
            if (digits.size() > width)
                return {};
            return digits.rightJustified(width, '0');
        }
    }
    return {};
}

bool SerialScheme::isValid() const {
    const bool binary = format == Format::BinaryLittleEndian || format == Format::BinaryBigEndian;
    return step > 0 && start >= 0 && width >= 1 && width <= (binary ? 8 : 18) && !name.isEmpty();
}

QString SerialScheme::formatName(Format format) {
    switch (format) {
        case Format::BinaryLittleEndian:
            return QStringLiteral("binary-le");
        case Format::BinaryBigEndian:
            return QStringLiteral("binary-be");
        case Format::DecimalText:
            return QStringLiteral("decimal");
        case Format::HexText:
            return QStringLiteral("hex");
    }
    return {};
}

SerialScheme::Format SerialScheme::formatFromName(const QString& name) {
    for (Format f : {Format::BinaryLittleEndian, Format::BinaryBigEndian, Format::DecimalText,
                     Format::HexText}) {
        if (formatName(f) == name)
            return f;
    }
    return Format::BinaryLittleEndian;
}

QString SerialScheme::targetName(Target target) {
    return target == Target::Flash ? QStringLiteral("flash") : QStringLiteral("eeprom");
}

SerialScheme::Target SerialScheme::targetFromName(const QString& name) {
    return name == u"flash" ? Target::Flash : Target::Eeprom;
}

}  // namespace kv
