// SPDX-License-Identifier: MIT
#include "images/ImageFormat.h"

#include <algorithm>

namespace kv {

namespace {

// Whether the text starts, after what editors put before it, with a record.
bool startsLikeIntelHex(const QByteArray& bytes) {
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    // The same blanks the HEX reader passes over around a line.
    return text.trimmed().startsWith(':');
}

}  // namespace

bool looksLikeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return true;
    if (bytes.isEmpty())
        return false;
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n';
    });
}

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
