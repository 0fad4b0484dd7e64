// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace kv {

// English captions of the fuse and lock options, by model and option key,
// from "captions-en.txt" beside the fuse definitions (UTF-8 lines
// "MODEL<TAB>KEY<TAB>caption", "#" starts a comment). They carry words only:
// what an option does to the bits stays the definition file's, so an option
// the table lacks keeps the file's own text.
class OptionCaptions {
public:
    static QString fileName() { return QStringLiteral("captions-en.txt"); }

    // Reads the table of the first folder that has one; false when none does.
    bool load(const QStringList& folders);
    // The English caption, or empty when the table has none.
    QString caption(const QString& model, const QString& key) const;
    qsizetype size() const { return m_captions.size(); }

private:
    QHash<QString, QString> m_captions;  // model + TAB + key
};

}  // namespace kv
