// SPDX-License-Identifier: MIT
#include "record/PassRecord.h"

#include <QCryptographicHash>
#include <QSysInfo>

namespace kv {

RecordImage RecordImage::fromContent(const QString& fileName, const QByteArray& content) {
    return {
        fileName, content.size(),
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex())};
}

QString PassRecord::defaultStation() {
    return QSysInfo::machineHostName();
}

}  // namespace kv
