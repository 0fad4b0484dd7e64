// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

// How serial numbers of one sequence are counted and written into a chip.
struct SerialScheme {
    enum class Format { BinaryLittleEndian, BinaryBigEndian, DecimalText, HexText };
    enum class Target { Eeprom, Flash };

    QString name;  // the sequence in the record database
    qint64 start = 1;
    qint64 step = 1;  // > 0
    int width = 4;    // bytes (binary) or characters (text), 1 to 8 and 1 to 18
    Format format = Format::BinaryLittleEndian;
    Target target = Target::Eeprom;
    quint32 address = 0;  // byte address in the target memory

    // The bytes to write for value: binary in width bytes, or text of width
    // digits with leading zeros (hex in upper case), ASCII without terminator.
    // Empty when the value does not fit the width or is negative.
    QByteArray bytesFor(qint64 value) const;
    bool fits(qint64 value) const { return !bytesFor(value).isEmpty(); }
    // Whether step and width are usable; the database refuses others.
    bool isValid() const;

    // The words the database stores for the format and the target.
    static QString formatName(Format format);
    static Format formatFromName(const QString& name);
    static QString targetName(Target target);
    static Target targetFromName(const QString& name);

    bool operator==(const SerialScheme&) const = default;
};

}  // namespace kv
