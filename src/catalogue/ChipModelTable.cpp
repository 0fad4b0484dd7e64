// SPDX-License-Identifier: MIT
#include "catalogue/ChipModelTable.h"

#include <QCoreApplication>

namespace kv {

const QList<ChipModel>& ChipModelTable::rows() {
    static const QList<ChipModel> table = {
        {QStringLiteral("ATMEGA8"), QStringLiteral("1E9307"), 8192, 512, 32, false},
        {QStringLiteral("ATMEGA16"), QStringLiteral("1E9403"), 16384, 512, 64, false},
        {QStringLiteral("ATMEGA32"), QStringLiteral("1E9502"), 32768, 1024, 64, false},
        {QStringLiteral("ATMEGA48"), QStringLiteral("1E9205"), 4096, 256, 32, false},
        {QStringLiteral("ATMEGA88"), QStringLiteral("1E930A"), 8192, 512, 32, false},
        {QStringLiteral("ATMEGA168"), QStringLiteral("1E9406"), 16384, 512, 64, false},
        {QStringLiteral("ATMEGA8535"), QStringLiteral("1E9308"), 8192, 512, 32, false},
        {QStringLiteral("ATMEGA163"), QStringLiteral("1E9402"), 16384, 512, 64, false},
        {QStringLiteral("ATMEGA323"), QStringLiteral("1E9501"), 32768, 1024, 64, false},
        {QStringLiteral("ATMEGA8515"), QStringLiteral("1E9306"), 8192, 512, 32, true},
        {QStringLiteral("ATMEGA161"), QStringLiteral("1E9401"), 16384, 512, 64, true},
        {QStringLiteral("ATMEGA162"), QStringLiteral("1E9404"), 16384, 512, 64, true},
        {QStringLiteral("ATTINY2313"), QStringLiteral("1E910A"), 2048, 128, 16, true},
        {QStringLiteral("ATTINY26"), QStringLiteral("1E9109"), 2048, 128, 16, true},
    };
    return table;
}

const ChipModel* ChipModelTable::find(const QString& name) {
    for (const ChipModel& row : rows()) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

const ChipModel& ChipModelTable::fallback() {
    return rows().front();
}

const ChipModel& ChipModelTable::resolve(const QString& name) {
    const ChipModel* row = find(name);
    return row ? *row : fallback();
}

const ChipModel* ChipModelTable::findBySignature(const QString& signature) {
    for (const ChipModel& row : rows()) {
        if (row.signature == signature) {
            return &row;
        }
    }
    return nullptr;
}

QList<ChipModelTable::MenuEntry> ChipModelTable::menuEntries() {
    QList<MenuEntry> entries;
    bool separated = false;
    for (const ChipModel& row : rows()) {
        if (row.needsAdapter && !separated) {
            entries.append({kSeparatorKey,
                            QCoreApplication::translate("ChipModelTable", kSeparatorCaption),
                            false});
            separated = true;
        }
        entries.append({row.name, row.name, true});
    }
    return entries;
}

QString modelFromSignature(const QString& signature) {
    const ChipModel* row = ChipModelTable::findBySignature(signature);
    return row ? row->name : QString();
}

}  // namespace kv
