// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

namespace kv {

// The line parameters of a serial port as held in the settings text
// "baud,parity,data,stop", e.g. "115200,n,8,1": baud rate a positive integer,
// parity one of e/o/n/m/s in either case, data bits 4-8, stop bits 1, 1.5 or 2.
// Blanks around a field are allowed.
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int baudRate = 115200;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // On failure returns nothing and, when error is given, a text for the
    // warning box naming the offending field.
    static std::optional<LineSettings> parse(const QString& text, QString* error = nullptr);
    // As parse, but throws OperationError with that text.
    static LineSettings fromText(const QString& text);

    // Canonical text with a lower-case parity letter, e.g. "115200,n,8,1".
    QString toText() const;

    static QChar parityLetter(Parity parity);  // lower case
    static QString stopBitsText(StopBits stopBits);

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

}  // namespace kv
