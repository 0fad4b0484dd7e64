// SPDX-License-Identifier: MIT
#include "link/WireCommands.h"

#include "core/HexDigits.h"

namespace kv::wire {

namespace {

QString address(qint64 value) {
    return hexField(value, 4);
}

}  // namespace

QString checkLink() {
    return QStringLiteral("CC#");
}
QString firmwareVersion() {
    return QStringLiteral("FM#");
}
QString eraseChip() {
    return QStringLiteral("EM#");
}
QString readFuses() {
    return QStringLiteral("RS#");
}
QString writeFuses(const QString& field) {
    return QStringLiteral("WS") + field + u'#';
}
QString recoverFuses(const QString& field) {
    return QStringLiteral("SS") + field + u'#';
}
QString writeLock(const QString& byteDigits) {
    return QStringLiteral("WL") + byteDigits + u'#';
}
QString readInfoByte(int address) {
    return QStringLiteral("RI") + hexField(address & 0xFF, 2) + u'#';
}
QString readMemory(MemoryKind memory, qint64 count) {
    return (memory == MemoryKind::Flash ? QStringLiteral("RF") : QStringLiteral("RE")) +
           hexField(count, 4) + u'#';
}
QString writeFlashImage() {
    return QStringLiteral("WF#");
}
QString writeFlashWord(const QString& digits, qint64 wordAddress) {
    return QStringLiteral("WW") + digits + address(wordAddress) + u'#';
}
QString writeEepromByte(const QString& digits, qint64 byteAddress) {
    return QStringLiteral("WE") + digits + address(byteAddress) + u'#';
}
QString readFlashWord(qint64 wordAddress) {
    return QStringLiteral("RW") + address(wordAddress) + u'#';
}
QString readEepromByte(qint64 byteAddress) {
    return QStringLiteral("RB") + address(byteAddress) + u'#';
}

namespace loader {
QString start(bool encrypted) {
    return encrypted ? QStringLiteral("B") : QStringLiteral("D");
}
QString zero() {
    return QStringLiteral("0");
}
QString pageStart() {
    return QStringLiteral(">");
}
QString end() {
    return QStringLiteral("!");
}
QString fill() {
    return QStringLiteral("F");
}
}  // namespace loader

}  // namespace kv::wire
