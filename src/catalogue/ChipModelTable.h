// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "catalogue/ChipModel.h"

namespace kv {

// The model table: the fourteen built-in models, always present and never
// changed, then the models of the table file shipped in "Set" (models.txt),
// then those of the user's own file of the same form. A user's row replaces
// a shipped row of the same name and adds one of a new name. The table is
// loaded once at start-up, before anything looks a model up; until then it
// holds the built-in rows alone.
class ChipModelTable {
public:
    static const QList<ChipModel>& rows();
    // The fourteen, in the order of the model menu.
    static const QList<ChipModel>& builtInRows();
    static bool isBuiltIn(const QString& name);
    // The row with exactly this name (case-sensitive, whole text), or nullptr.
    static const ChipModel* find(const QString& name);
    // ATMEGA8: what a name that matches no row selects.
    static const ChipModel& fallback();
    static const ChipModel& resolve(const QString& name);
    // The row with exactly this signature text, or nullptr.
    static const ChipModel* findBySignature(const QString& signature);

    // Builds the table from the built-in rows and the two files (either may
    // be empty or missing). A refused row costs only itself; the reasons, one
    // log line each naming file and line, are returned and kept for the log
    // of the next session (loadProblems()).
    static QStringList load(const QString& shippedFile, const QString& userFile);
    static const QStringList& loadProblems();
    static QString fileName() { return QStringLiteral("models.txt"); }
    // The user's file, beside the settings: it outlives program versions,
    // whose settings files are separate.
    static QString userFile();

    // The drop-down menu of the "SelectMCU" toolbar button: the fourteen names
    // (key = name) with the disabled separator entry before the first adapter
    // model; then, when the table has more, a disabled heading and the added
    // models, an adapter model's caption saying so.
    struct MenuEntry {
        QString key;
        QString caption;
        bool enabled = true;
    };
    static QList<MenuEntry> menuEntries();
    static inline const QString kSeparatorKey = QStringLiteral("SP");
    static constexpr const char* kSeparatorCaption =
        QT_TRANSLATE_NOOP("ChipModelTable", "--以下需适配器--");
    static inline const QString kAddedHeadingKey = QStringLiteral("SPADDED");
    static constexpr const char* kAddedHeadingCaption =
        QT_TRANSLATE_NOOP("ChipModelTable", "--以下为新增型号--");
    static constexpr const char* kAdapterEntryCaption =
        QT_TRANSLATE_NOOP("ChipModelTable", "%1（需适配器）");
};

// The name of the model whose signature equals the text exactly (no trimming,
// no case folding), or the empty text.
QString modelFromSignature(const QString& signature);

}  // namespace kv
