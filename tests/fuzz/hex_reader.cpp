// SPDX-License-Identifier: MIT
// The Intel HEX / EEP reader as the loaders use it: the reader chosen by the
// file's ending and first characters, then the HEX reader with the EEPROM
// window or without it. First byte: 0 a FLASH .HEX, 1 an EEPROM .HEX, 2 an .EEP.
#include <QBuffer>
#include <map>
#include <optional>

#include "FuzzTarget.h"
#include "images/ImageFormat.h"
#include "images/IntelHexReader.h"
#include "images/IntelHexWriter.h"
#include "images/MemoryImage.h"

namespace {

using kv::IntelHexReader;

int digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// What the file's data records put where, read the plain way: one record per
// line, address records move the base, the end record ends it. Only asked
// about files the reader accepted, so every line is a well-formed record.
std::optional<std::map<qint64, quint8>> recordedBytes(QByteArray text, qint64 window) {
    std::map<qint64, quint8> bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    qint64 base = 0;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line[0] != ':' || line.size() < 11)
            return std::nullopt;
        QByteArray record;
        for (qsizetype i = 1; i + 1 < line.size(); i += 2) {
            const int high = digit(line[i]);
            const int low = digit(line[i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            record.append(char(high << 4 | low));
        }
        const int count = quint8(record[0]);
        const int address = quint8(record[1]) << 8 | quint8(record[2]);
        const int type = quint8(record[3]);
        if (type == 1)
            break;
        if (type == 2 || type == 4)
            base = qint64(quint8(record[4]) << 8 | quint8(record[5])) << (type == 2 ? 4 : 16);
        if (type != 0)
            continue;
        for (int i = 0; i < count; ++i) {
            qint64 at = base + address + i;
            if (window >= 0 && base + address >= window && base + address < window + 0x10000)
                at -= window;
            bytes[at] = quint8(record[4 + i]);
        }
    }
    return bytes;
}

}  // namespace

KV_FUZZ_TARGET(hex_reader) {
    if (size < 1)
        return 0;
    const int mode = data[0] % 3;
    const bool eeprom = mode != 0;
    const QByteArray file = kv::fuzz::bytesOf(data + 1, size - 1);
    const kv::ImageFormat format = kv::chooseImageFormat(
        mode == 2 ? QStringLiteral("EEP") : QStringLiteral("HEX"), eeprom, file);
    if (mode != 2)
        KV_FUZZ_CHECK(format == kv::ImageFormat::IntelHex);  // never raw bytes from a .HEX
    if (format == kv::ImageFormat::Binary) {
        // Only an EEP file that does not open with a record is binary.
        KV_FUZZ_CHECK(mode == 2);
        KV_FUZZ_CHECK(!QByteArray(file)
                           .remove(0, file.startsWith("\xEF\xBB\xBF") ? 3 : 0)
                           .trimmed()
                           .startsWith(':'));
        return 0;
    }
    KV_FUZZ_CHECK(format == kv::ImageFormat::IntelHex);

    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const qint64 window = eeprom ? IntelHexReader::kAvrEepromSection : -1;
    int yields = 0;
    const IntelHexReader::Result result = IntelHexReader::read(
        buffer, [&] { ++yields; }, window);
    KV_FUZZ_CHECK(yields == result.line);  // the window is served once per line
    if (!result.ok()) {
        // A refused file leaves nothing behind and names its line.
        KV_FUZZ_CHECK(result.digits.isEmpty());
        KV_FUZZ_CHECK(result.line >= 1 && result.line <= file.count('\n') + 1);
        KV_FUZZ_CHECK(IntelHexReader::describe(result).contains(QString::number(result.line)));
        return 0;
    }
    // The image holds exactly what the records put there, 0xFF in the gaps,
    // and ends with the last byte a record wrote.
    const auto recorded = recordedBytes(file, window);
    KV_FUZZ_CHECK(recorded.has_value());
    KV_FUZZ_CHECK(result.digits.size() % 2 == 0);
    const QByteArray image = QByteArray::fromHex(result.digits.toLatin1());
    KV_FUZZ_CHECK(image.size() * 2 == result.digits.size());
    KV_FUZZ_CHECK(image.size() <= IntelHexReader::kAddressLimit);
    const qint64 end = recorded->empty() ? 0 : recorded->rbegin()->first + 1;
    KV_FUZZ_CHECK(image.size() == end);
    for (qint64 at = 0; at < image.size(); ++at) {
        const auto it = recorded->find(at);
        KV_FUZZ_CHECK(quint8(image[at]) == (it == recorded->end() ? 0xFF : it->second));
    }
    // The conversions round-trip: digits and bytes, and the image saved as
    // HEX (read-flash, read-eeprom) reads back as the same bytes from 0.
    const kv::MemoryImage held(result.digits);
    KV_FUZZ_CHECK(held.toBytes() == image);
    KV_FUZZ_CHECK(kv::MemoryImage::fromBytes(image).text() == result.digits.toUpper());
    QByteArray saved = kv::IntelHexText(image);
    QBuffer again(&saved);
    again.open(QIODevice::ReadOnly);
    const IntelHexReader::Result reread = IntelHexReader::read(
        again, [] {}, -1);
    KV_FUZZ_CHECK(reread.ok());
    KV_FUZZ_CHECK(reread.digits == result.digits.toUpper());
    return 0;
}
