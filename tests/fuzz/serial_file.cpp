// SPDX-License-Identifier: MIT
// The serial number settings file (NAME.SET.serial). A file is taken only
// with every number as written: nothing is narrowed into range.
#include "FuzzTarget.h"
#include "app/SerialFile.h"
#include "core/OperationError.h"

namespace {

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
    return 0;
}
