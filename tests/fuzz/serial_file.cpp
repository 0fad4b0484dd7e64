// SPDX-License-Identifier: MIT
// The serial number settings file (NAME.SET.serial). A file is taken only
// with every number as written: nothing is narrowed into range.
#include <limits>

#include "FuzzTarget.h"
#include "app/SerialFile.h"
#include "core/OperationError.h"

namespace {

using Format = kv::SerialScheme::Format;

// The number the bytes stand for, read back the plain way.
qint64 decoded(const QByteArray& bytes, Format format) {
    if (format == Format::DecimalText || format == Format::HexText)
        return bytes.toLongLong(nullptr, format == Format::DecimalText ? 10 : 16);
    quint64 value = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const qsizetype at = format == Format::BinaryBigEndian ? i : bytes.size() - 1 - i;
        value = value << 8 | quint8(bytes[at]);
    }
    return qint64(value);
}

// The largest number width bytes or digits of the format hold.
qint64 largest(Format format, int width) {
    const int bitsPerUnit = format == Format::DecimalText ? 0 : format == Format::HexText ? 4 : 8;
    if (bitsPerUnit == 0) {
        qint64 limit = 1;
        for (int i = 0; i < width; ++i)
            limit *= 10;
        return limit - 1;  // width is at most 18
    }
    if (bitsPerUnit * width >= 63)
        return std::numeric_limits<qint64>::max();
    return (qint64(1) << (bitsPerUnit * width)) - 1;
}

// The value of the last "key=" line as a number of any size; nullopt when
// there is none. Only asked about files that were taken.
std::optional<qint64> lastNumber(const QString& text, const QString& wanted) {
    std::optional<qint64> value;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'#') || line.section(u'=', 0, 0).trimmed().toLower() != wanted)
            continue;
        const QString v = line.section(u'=', 1).trimmed();
        bool ok = false;
        value = v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                    ? v.mid(2).toLongLong(&ok, 16)
                    : v.toLongLong(&ok, 10);
        KV_FUZZ_CHECK(ok);
    }
    return value;
}

}  // namespace

KV_FUZZ_TARGET(serial_file) {
    const QByteArray bytes = kv::fuzz::bytesOf(data, size);
    kv::SerialScheme scheme;
    try {
        scheme = kv::SerialFile::parse(bytes, QStringLiteral("line3.SET.serial"));
    } catch (const kv::OperationError& e) {
        KV_FUZZ_CHECK(e.text().contains(QStringLiteral("line3.SET.serial")));
        return 0;
    }
    KV_FUZZ_CHECK(scheme.isValid());
    const QString text = QString::fromUtf8(bytes);
    if (const auto width = lastNumber(text, QStringLiteral("width")))
        KV_FUZZ_CHECK(*width == scheme.width);
    if (const auto address = lastNumber(text, QStringLiteral("address")))
        KV_FUZZ_CHECK(*address == qint64(scheme.address));
    if (const auto start = lastNumber(text, QStringLiteral("start")))
        KV_FUZZ_CHECK(*start == scheme.start);
    // Every number the sequence hands out is written in exactly width bytes,
    // or refused; the first few are asked.
    for (qint64 n = 0, value = scheme.start; n < 4 && value >= 0; ++n, value += scheme.step) {
        const QByteArray written = scheme.bytesFor(value);
        KV_FUZZ_CHECK(written.isEmpty() || written.size() == scheme.width);
        if (value > std::numeric_limits<qint64>::max() - scheme.step)
            break;
    }
    // In every format the bytes read back as the number, and a number is
    // refused only when it does not fit: the start, the edge and past it.
    for (const Format format : {Format::BinaryLittleEndian, Format::BinaryBigEndian,
                                Format::DecimalText, Format::HexText}) {
        kv::SerialScheme other = scheme;
        other.format = format;
        if (!other.isValid())
            continue;
        const qint64 edge = largest(format, other.width);
        const qint64 past = edge < std::numeric_limits<qint64>::max() ? edge + 1 : -1;
        for (const qint64 value : {scheme.start, qint64(0), edge, past, qint64(-1)}) {
            const QByteArray bytes = other.bytesFor(value);
            const bool fits = value >= 0 && value <= edge;
            KV_FUZZ_CHECK(bytes.isEmpty() == !fits);
            if (fits) {
                KV_FUZZ_CHECK(bytes.size() == other.width);
                KV_FUZZ_CHECK(decoded(bytes, format) == value);
            }
        }
    }
    return 0;
}
