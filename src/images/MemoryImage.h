// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include "core/HexDigits.h"  // hexDigitValue, hexField: the digits of an image

namespace kv {

// One chip memory held as text: two hexadecimal digits per byte, address 0
// first, no separators. Empty means "no data". Digits keep the case they came
// with (a HEX file's own digits, the programmer's reply); everything that
// interprets them treats both cases alike.
class MemoryImage {
public:
    MemoryImage() = default;
    explicit MemoryImage(QString text) : m_text(std::move(text)) {}
    // Upper-case digits for every byte.
    static MemoryImage fromBytes(const QByteArray& bytes);

    const QString& text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    qsizetype length() const { return m_text.size(); }
    // Bytes the text covers; a dangling last digit counts as one byte.
    qsizetype byteCount() const { return (m_text.size() + 1) / 2; }
    // Decimal byte count as the status panel shows it: "48", or "2.5" for an
    // odd number of digits.
    QString byteCountText() const;

    // Every character a hex digit (either case) and an even count.
    bool isWellFormed() const;
    // The bytes of a well-formed image; other images give an empty array.
    QByteArray toBytes() const;
    // The bytes as a binary file keeps them: a pair not starting with a hex
    // digit is 0, a pair with a bad second character is its first digit alone,
    // and a dangling last digit is its own value.
    QByteArray toBytesLenient() const;

    bool operator==(const MemoryImage& other) const { return m_text == other.m_text; }

private:
    QString m_text;
};

// The dump a hex view shows: per 16 bytes one line of a blank, the byte address
// in upper-case hex (at least four digits), an ideographic space, the line's
// digits as they stand, and a lone CR. An empty image gives an empty text.
QString hexViewText(const MemoryImage& image);

}  // namespace kv
