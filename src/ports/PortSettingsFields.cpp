// SPDX-License-Identifier: MIT
#include "ports/PortSettingsFields.h"

namespace kv {

const QStringList& PortSettingsFields::speedEntries() {
    static const QStringList entries{QStringLiteral("115200"), QStringLiteral("57600"),
                                     QStringLiteral("38400"), QStringLiteral("28800")};
    return entries;
}

const QStringList& PortSettingsFields::dataBitsEntries() {
    static const QStringList entries{QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                                     QStringLiteral("7"), QStringLiteral("8")};
    return entries;
}

const QStringList& PortSettingsFields::parityEntries() {
    static const QStringList entries{QStringLiteral("Even"), QStringLiteral("Odd"),
                                     QStringLiteral("None"), QStringLiteral("Mark"),
                                     QStringLiteral("Space")};
    return entries;
}

const QStringList& PortSettingsFields::stopBitsEntries() {
    static const QStringList entries{QStringLiteral("1"), QStringLiteral("1.5"),
                                     QStringLiteral("2")};
    return entries;
}

PortSettingsFields PortSettingsFields::parse(const QString& text) {
    // Positions counted from the end: "…,p,d,s" with s one or three characters.
    const qsizetype length = text.size();
    const qsizetype k = text.contains(u'.') ? 2 : 0;
    const auto at = [&](qsizetype index) {
        return index >= 0 && index < length ? text.at(index) : QChar();
    };
    PortSettingsFields fields;
    fields.speed = text.left(qMax<qsizetype>(length - k - 6, 0));
    const QChar parity = at(length - k - 5).toLower();
    const QStringList& entries = parityEntries();
    for (int i = 0; i < entries.size(); ++i) {
        if (!parity.isNull() && entries[i].at(0).toLower() == parity)
            fields.parityIndex = i;
    }
    const QChar data = at(length - k - 3);
    fields.dataBits = data.isNull() ? QString() : QString(data);
    fields.stopBits = text.right(qMin(k + 1, length));
    return fields;
}

QString PortSettingsFields::toText() const {
    const QString parity = parityIndex >= 0 && parityIndex < parityEntries().size()
                               ? QString(parityEntries()[parityIndex].at(0))
                               : QString();
    return speed.trimmed() + u',' + parity + u',' + dataBits.trimmed() + u',' + stopBits.trimmed();
}

}  // namespace kv
