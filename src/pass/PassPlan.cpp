// SPDX-License-Identifier: MIT
#include "pass/PassPlan.h"

#include <QCryptographicHash>

namespace kv {

ImagePlan ImagePlan::fromBytes(const QByteArray& bytes, const QString& source) {
    ImagePlan plan;
    plan.bytes = bytes;
    plan.source = source;
    plan.sha256 =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    return plan;
}

QStringList PassPlan::problems() const {
    QStringList found;
    auto checkImage = [&](MemoryKind memory, bool write, bool verify) {
        if (!write && !verify)
            return;
        const ImagePlan& plan = image(memory);
        const QString name = memoryName(memory);
        const qint64 capacity =
            memory == MemoryKind::Flash ? geometry.flashSize : qint64(geometry.eepromSize);
        if (plan.isEmpty())
            found << QStringLiteral("%1: no image to %2").arg(name, write ? "write" : "verify");
        else if (!plan.refusal.isEmpty())
            found << plan.refusal;
        else if (plan.size() > capacity)
            found << QStringLiteral("%1: image of %2 bytes exceeds the memory's %3 bytes")
                         .arg(name)
                         .arg(plan.size())
                         .arg(capacity);
    };
    checkImage(MemoryKind::Flash, writeFlash, verifyFlash);
    checkImage(MemoryKind::Eeprom, writeEeprom, verifyEeprom);
    if (writeFuses && !fusesRefusal.isEmpty())
        found << fusesRefusal;
    if (writeLock && !lockRefusal.isEmpty())
        found << lockRefusal;
    if (calibration && !calibration->addressRefusal.isEmpty())
        found << calibration->addressRefusal;
    return found;
}

}  // namespace kv
