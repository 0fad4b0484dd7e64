// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include "catalogue/ChipModel.h"

namespace kv {

// The fourteen supported models in the order of the model menu.
class ChipModelTable {
public:
    static const QList<ChipModel>& rows();
    // The row with exactly this name (case-sensitive, whole text), or nullptr.
    static const ChipModel* find(const QString& name);
    // ATMEGA8: what a name that matches no row selects.
    static const ChipModel& fallback();
    static const ChipModel& resolve(const QString& name);
    // The row with exactly this signature text, or nullptr.
    static const ChipModel* findBySignature(const QString& signature);

    // The drop-down menu of the "SelectMCU" toolbar button: the fourteen names
    // (key = name) with the disabled separator entry before the first adapter
    // model.
    struct MenuEntry {
        QString key;
        QString caption;
        bool enabled = true;
    };
    static QList<MenuEntry> menuEntries();
    static inline const QString kSeparatorKey = QStringLiteral("SP");
    static constexpr const char* kSeparatorCaption =
        QT_TRANSLATE_NOOP("ChipModelTable", "--以下需适配器--");
};

// The name of the model whose signature equals the text exactly (no trimming,
// no case folding), or the empty text.
QString modelFromSignature(const QString& signature);

}  // namespace kv
