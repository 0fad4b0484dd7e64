// SPDX-License-Identifier: MIT
#include "firmware/FirmwareFile.h"

#include <QCoreApplication>
#include <QFile>

#include "core/OperationError.h"

namespace kv {

namespace {

void checkPageSize(int pageSize) {
    if (pageSize <= 0)
        throw OperationError(QCoreApplication::translate("FirmwareFile", "FLASH页大小无效。"),
                             ErrorKind::File);
}

[[noreturn]] void refuseSize(qint64 pages, int pageSize) {
    throw OperationError(
        QCoreApplication::translate("FirmwareFile",
                                    "升级文件太大：%1 个整页（每页 %2 字节），最多 %3 页。")
            .arg(pages)
            .arg(pageSize)
            .arg(FirmwareFile::kMaxFullPages),
        ErrorKind::File);
}

}  // namespace

FirmwareFile FirmwareFile::load(const QString& path, int pageSize) {
    checkPageSize(pageSize);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OperationError(file.errorString(), ErrorKind::File);
    // Reads no more than one page past the limit: a device or pipe picked by
    // mistake never ends, and a file that large is refused anyway.
    const qint64 limit = qint64(kMaxFullPages + 1) * pageSize;
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        throw OperationError(file.errorString(), ErrorKind::File);
    if (bytes.size() >= limit)
        refuseSize(qMax(file.size(), qint64(bytes.size())) / pageSize, pageSize);
    return fromBytes(bytes, pageSize);
}

FirmwareFile FirmwareFile::fromBytes(const QByteArray& bytes, int pageSize) {
    checkPageSize(pageSize);
    if (bytes.isEmpty())
        throw OperationError(QCoreApplication::translate("FirmwareFile", "升级文件是空的！"),
                             ErrorKind::File);
    const qint64 pages = bytes.size() / pageSize;
    if (pages > kMaxFullPages)
        refuseSize(pages, pageSize);
    return FirmwareFile(bytes, pageSize);
}

QByteArray FirmwareFile::hexByte(quint8 byte) {
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out(2, '0');
    out[0] = digits[byte >> 4];
    out[1] = digits[byte & 0x0F];
    return out;
}

}  // namespace kv
