// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

class MemoryImage;

// Intel HEX text of bytes from address 0: data records of 16 bytes, an
// extended linear address record at each 64 KiB boundary, the end record;
// upper-case digits, CR LF after each record as the loaders here expect.
QByteArray IntelHexText(const QByteArray& bytes);

// Writes the image (read as MemoryImage::toBytesLenient) as Intel HEX. The
// file is replaced only once everything is written; on failure false is
// returned and error (if given) says why.
bool SaveImageToHex(const MemoryImage& image, const QString& path, QString* error = nullptr);

}  // namespace kv
