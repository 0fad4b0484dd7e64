// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

// The reader an image file goes to.
enum class ImageFormat { IntelHex, Binary, Elf, Unsupported };

// Chooses by the file name's ending (upper case, as the loaders keep paths):
// "HEX" is always Intel HEX, so a HEX file that is not one is refused by that
// reader with its line rather than written as raw bytes; "BIN" is binary;
// "ELF" is ELF. "EEP" (EEPROM only) is Intel HEX when its first character is
// ":" once a UTF-8 byte-order mark, blank lines and spaces are passed over, and
// binary otherwise.
ImageFormat chooseImageFormat(const QString& ending, bool eeprom, const QByteArray& bytes);

// Whether bytes that are about to go into a chip as they stand look like a
// text file instead: a UTF-8 or UTF-16 byte-order mark, or nothing but
// printable ASCII, tabs and line ends. A commented .eep, or one an editor
// saved as UTF-16, is such a file; EEPROM data almost never is.
bool looksLikeText(const QByteArray& bytes);

}  // namespace kv
