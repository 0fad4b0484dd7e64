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

const QStringList& PassRecord::singleCommandSteps() {
    // The names the commands give their step when they start recording.
    static const QStringList steps{QStringLiteral("erase"),
                                   QStringLiteral("fuses"),
                                   QStringLiteral("lock"),
                                   QStringLiteral("recover fuses"),
                                   QStringLiteral("calibration"),
                                   QStringLiteral("write flash word"),
                                   QStringLiteral("write eeprom byte")};
    return steps;
}

QString PassRecord::operation() const {
    if (steps.isEmpty())
        return QString();
    if (steps.size() == 1 && singleCommandSteps().contains(steps.first().name))
        return steps.first().name;
    return QStringLiteral("pass");
}

}  // namespace kv
