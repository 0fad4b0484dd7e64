// SPDX-License-Identifier: MIT
#include "images/ImageFormat.h"

namespace kv {

namespace {

// Whether the text starts, after what editors put before it, with a record.
bool startsLikeIntelHex(const QByteArray& bytes) {
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    // The same blanks the HEX reader passes over around a line.
    return text.trimmed().startsWith(':');
}

}  // namespace

ImageFormat chooseImageFormat(const QString& ending, bool eeprom, const QByteArray& bytes) {
    if (ending == u"HEX")
        return ImageFormat::IntelHex;
    if (ending == u"BIN")
        return ImageFormat::Binary;
    if (ending == u"ELF")
        return ImageFormat::Elf;
    if (eeprom && ending == u"EEP")
        return startsLikeIntelHex(bytes) ? ImageFormat::IntelHex : ImageFormat::Binary;
    return ImageFormat::Unsupported;
}

}  // namespace kv
