#include "firmware/FirmwareFile.h"

#include <QFile>

#include "link/OperationError.h"

namespace kv {

FirmwareFile FirmwareFile::load(const QString& path, int pageSize) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OperationError(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw OperationError(file.errorString());
    return fromBytes(bytes, pageSize);
}

FirmwareFile FirmwareFile::fromBytes(const QByteArray& bytes, int pageSize) {
    if (pageSize <= 0)
        throw OperationError(QStringLiteral("FLASH页大小无效。"));
    if (bytes.isEmpty())
        throw OperationError(QStringLiteral("升级文件是空的！"));
    const qint64 pages = bytes.size() / pageSize;
    if (pages > kMaxFullPages)
        throw OperationError(QStringLiteral("升级文件太大：%1 个整页（每页 %2 字节），最多 %3 页。")
                                 .arg(pages)
                                 .arg(pageSize)
                                 .arg(kMaxFullPages));
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
