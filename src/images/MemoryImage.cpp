// SPDX-License-Identifier: MIT
#include "images/MemoryImage.h"

namespace kv {

namespace {
const char kDigits[] = "0123456789ABCDEF";
constexpr int kBytesPerLine = 16;
}  // namespace

MemoryImage MemoryImage::fromBytes(const QByteArray& bytes) {
    QString text(bytes.size() * 2, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto v = static_cast<unsigned char>(b);
        *out++ = QLatin1Char(kDigits[v >> 4]);
        *out++ = QLatin1Char(kDigits[v & 0x0F]);
    }
    return MemoryImage(std::move(text));
}

QString MemoryImage::byteCountText() const {
    QString count = QString::number(m_text.size() / 2);
    if (m_text.size() % 2 != 0)
        count += QStringLiteral(".5");
    return count;
}

bool MemoryImage::isWellFormed() const {
    if (m_text.size() % 2 != 0)
        return false;
    for (const QChar c : m_text) {
        if (hexDigitValue(c) < 0)
            return false;
    }
    return true;
}

QByteArray MemoryImage::toBytes() const {
    if (!isWellFormed())
        return {};
    QByteArray bytes(m_text.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = char(hexDigitValue(m_text[2 * i]) << 4 | hexDigitValue(m_text[2 * i + 1]));
    }
    return bytes;
}

QByteArray MemoryImage::toBytesLenient() const {
    QByteArray bytes;
    bytes.reserve(byteCount());
    for (qsizetype i = 0; i < m_text.size(); i += 2) {
        const int high = hexDigitValue(m_text[i]);
        const int low = i + 1 < m_text.size() ? hexDigitValue(m_text[i + 1]) : -1;
        if (high < 0) {
            bytes.append('\0');
        } else if (low < 0) {
            bytes.append(char(high));
        } else {
            bytes.append(char(high << 4 | low));
        }
    }
    return bytes;
}

QString hexViewText(const MemoryImage& image) {
    const QString& text = image.text();
    constexpr qsizetype kChars = 2 * kBytesPerLine;
    QString view;
    // Blank, 4 address digits, ideographic space, digits, CR.
    view.reserve(text.size() + (text.size() / kChars + 1) * 7);
    for (qsizetype offset = 0; offset < text.size(); offset += kChars) {
        view += u' ';
        view += hexField(offset / 2, 4);
        view += QChar(0x3000);
        view += QStringView(text).mid(offset, kChars);
        view += u'\r';
    }
    return view;
}

}  // namespace kv
