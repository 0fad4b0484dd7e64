// SPDX-License-Identifier: MIT
#include "images/IntelHexWriter.h"

#include <QSaveFile>

#include "images/MemoryImage.h"

namespace kv {

namespace {

QByteArray record(int type, int address, const QByteArray& data) {
    QByteArray raw;
    raw += char(data.size());
    raw += char(address >> 8 & 0xFF);
    raw += char(address & 0xFF);
    raw += char(type);
    raw += data;
    int sum = 0;
    for (const char c : std::as_const(raw))
        sum += quint8(c);
    raw += char(-sum & 0xFF);
    return ':' + raw.toHex().toUpper() + "\r\n";
}

}  // namespace

QByteArray IntelHexText(const QByteArray& bytes) {
    QByteArray text;
    for (qsizetype at = 0; at < bytes.size(); at += 16) {
        if (at > 0 && at % 0x10000 == 0) {
            const int upper = int(at >> 16);
            text += record(4, 0, QByteArray(1, char(upper >> 8)) + char(upper & 0xFF));
        }
        text += record(0, int(at & 0xFFFF), bytes.mid(at, 16));
    }
    return text + record(1, 0, {});
}

bool SaveImageToHex(const MemoryImage& image, const QString& path, QString* error) {
    QSaveFile file(path);
    const QByteArray text = IntelHexText(image.toBytesLenient());
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

}  // namespace kv
