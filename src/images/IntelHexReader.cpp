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
        result.digits.clear();
        return result;
    };
    // Where a record at offset 0 from `from` lands in the image.
    const auto placed = [&](qint64 from) {
        return window >= 0 && from >= window && from < window + 0x10000 ? from - window : from;
    };
    while (!file.atEnd() || !anyLine) {
        if (yieldOnce)
            yieldOnce();
        ++result.line;
        if (file.atEnd())
            return fail(Error::Empty);
        QByteArray raw = file.readLine();
        if (raw.isEmpty() && !file.atEnd())
            return fail(Error::ReadFailed);
        anyLine = true;
        // Editors on Windows like to start a text file with a byte-order mark.
        if (result.line == 1 && raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3);
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        // ":" LL AAAA TT data CC, all as digit pairs.
        if (line[0] != ':')
            return fail(Error::NoStartCode);
        if (line.contains('\r'))
            return fail(Error::CarriageReturnOnly);
        const QByteArray record = line.mid(1);
        for (const char c : record) {
            if (hexDigitValue(QLatin1Char(c)) < 0)
                return fail(Error::BadDigit);
        }
        if (record.size() < 10 || record.size() % 2 != 0)
            return fail(Error::BadLength);
        int sum = 0;
        for (qsizetype i = 0; i < record.size(); i += 2)
            sum += byteAt(record, i);
        const int count = byteAt(record, 0);
        if (record.size() != 2 * count + 10)
            return fail(Error::BadLength);
        if ((sum & 0xFF) != 0)
            return fail(Error::BadChecksum);

        const int address = byteAt(record, 2) << 8 | byteAt(record, 4);
        const int type = byteAt(record, 6);
        result.recordType = type;
        switch (type) {
            case 0x00:
                break;
            case 0x01:
                if (count != 0)
                    return fail(Error::WrongTypeLength);
                result.recordType = -1;
                return result;
            case 0x02:
            case 0x04:
                if (count != 2)
                    return fail(Error::WrongTypeLength);
                base = qint64(byteAt(record, 8) << 8 | byteAt(record, 10))
                       << (type == 0x02 ? 4 : 16);
                // No chip here reaches past 32 KiB: data after such a base
                // could only be meant for another part.
                if (placed(base) >= kAddressLimit)
                    return fail(Error::OutOfRange);
                continue;
            case 0x03:
            case 0x05:
                if (count != 4)
                    return fail(Error::WrongTypeLength);
                continue;
            default:
                return fail(Error::UnknownType);
        }
        result.recordType = -1;
        if (count == 0)
            continue;

        const qint64 start = placed(base + address);
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
    const QString type = QString::number(result.recordType, 16).rightJustified(2, u'0').toUpper();
    QString reason;
    switch (result.error) {
        case Error::None:
            return {};
        case Error::Empty:
            reason = QCoreApplication::translate("IntelHexReader", "文件为空");
            break;
        case Error::NoStartCode:
            reason =
                QCoreApplication::translate("IntelHexReader", "不以“:”开头，不是 Intel HEX 记录");
            break;
        case Error::BadDigit:
            reason = QCoreApplication::translate("IntelHexReader", "含有非十六进制字符");
            break;
        case Error::BadLength:
            reason = QCoreApplication::translate("IntelHexReader", "记录长度与行长不符");
            break;
        case Error::CarriageReturnOnly:
            reason = QCoreApplication::translate("IntelHexReader", "行尾只有 CR，没有 LF");
            break;
        case Error::BadChecksum:
            reason = QCoreApplication::translate("IntelHexReader", "校验和错误");
            break;
        case Error::WrongTypeLength:
            reason =
                QCoreApplication::translate("IntelHexReader", "类型 %1 的记录长度错误").arg(type);
            break;
        case Error::UnknownType:
            reason = QCoreApplication::translate("IntelHexReader", "未知的记录类型 %1").arg(type);
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
