// SPDX-License-Identifier: MIT
#include "images/IntelHexReader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QIODevice>

#include "core/HexDigits.h"

namespace kv {

namespace {

// Byte at digit offset i of the record (after the ":"), or -1.
int byteAt(const QByteArray& record, qsizetype i) {
    const int high = hexDigitValue(QLatin1Char(record[i]));
    const int low = hexDigitValue(QLatin1Char(record[i + 1]));
    return high < 0 || low < 0 ? -1 : high << 4 | low;
}

}  // namespace

IntelHexReader::Result IntelHexReader::read(QIODevice& file, const std::function<void()>& yieldOnce,
                                            qint64 window) {
    Result result;
    QString& digits = result.digits;
    qint64 base = 0;
    bool anyLine = false;
    const auto fail = [&](Error error) {
        result.error = error;
        return result;
    };
    while (!file.atEnd() || !anyLine) {
        if (yieldOnce)
            yieldOnce();
        ++result.line;
        if (file.atEnd())
            return fail(Error::Empty);
        const QByteArray raw = file.readLine();
        if (raw.isEmpty() && !file.atEnd())
            return fail(Error::ReadFailed);
        anyLine = true;
        const QByteArray line = raw.trimmed();
        if (line == ":00000001FF")
            break;
        if (line.isEmpty())
            continue;

        // ":" LL AAAA TT data CC, all as digit pairs.
        if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0) {
            return fail(Error::BadRecord);
        }
        const QByteArray record = line.mid(1);
        int sum = 0;
        for (qsizetype i = 0; i < record.size(); i += 2) {
            const int b = byteAt(record, i);
            if (b < 0)
                return fail(Error::BadRecord);
            sum += b;
        }
        const int count = byteAt(record, 0);
        if (record.size() != 2 * count + 10)
            return fail(Error::BadRecord);
        if ((sum & 0xFF) != 0)
            return fail(Error::BadChecksum);

        const int address = byteAt(record, 2) << 8 | byteAt(record, 4);
        const int type = byteAt(record, 6);
        if (type == 0x02 && count == 2) {
            base = qint64(byteAt(record, 8) << 8 | byteAt(record, 10)) << 4;
            continue;
        }
        if (type == 0x04 && count == 2) {
            base = qint64(byteAt(record, 8) << 8 | byteAt(record, 10)) << 16;
            continue;
        }
        if (type != 0x00)
            continue;

        qint64 start = base + address;
        if (window >= 0 && start >= window && start < window + 0x10000)
            start -= window;
        // The record's last byte counts, not only its first.
        if (start >= kAddressLimit || start + count > kAddressLimit)
            return fail(Error::OutOfRange);
        if (2 * start < digits.size())
            return fail(Error::OutOfOrder);
        if (2 * start > digits.size())
            digits.append(QString(2 * start - digits.size(), u'F'));
        digits.append(QString::fromLatin1(record.constData() + 8, 2 * count));
    }
    return result;
}

QString IntelHexReader::describe(const Result& result) {
    QString reason;
    switch (result.error) {
        case Error::None:
            return {};
        case Error::Empty:
            reason = QCoreApplication::translate("IntelHexReader", "文件为空");
            break;
        case Error::BadRecord:
            reason = QCoreApplication::translate("IntelHexReader", "记录格式错误");
            break;
        case Error::BadChecksum:
            reason = QCoreApplication::translate("IntelHexReader", "校验和错误");
            break;
        case Error::OutOfOrder:
            reason = QCoreApplication::translate("IntelHexReader", "地址顺序错误");
            break;
        case Error::OutOfRange:
            reason = QCoreApplication::translate("IntelHexReader", "地址超出范围");
            break;
        case Error::ReadFailed:
            reason = QCoreApplication::translate("IntelHexReader", "读取失败");
            break;
    }
    return QCoreApplication::translate("IntelHexReader", "第 %1 行：%2")
        .arg(result.line)
        .arg(reason);
}

}  // namespace kv
