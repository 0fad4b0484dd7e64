// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QHash>
#include <QString>
#include <QStringList>

#include "app/CommandTable.h"
#include "catalogue/ChipModelTable.h"

class QHBoxLayout;
class QMenu;
class QToolButton;

namespace kv::ui {

// The toolbar: the command table's buttons and menu entries, found by their
// keys (the model names are keys too). It only shows and forwards.
class MainToolbar : public QFrame {
    Q_OBJECT
public:
    explicit MainToolbar(QWidget* parent = nullptr);

    // Button keys, left to right.
    static QStringList buttonKeys();

    QToolButton* button(const QString& key) const { return m_buttons.value(key); }
    // A menu entry by key (the model names are keys too); null when unknown.
    QAction* menuEntry(const QString& key) const { return m_entries.value(key); }
    QMenu* menuOf(const QString& buttonKey) const;

    // Fills the model menu of "SelectMCU" with the model table's entries
    // (ChipModelTable::menuEntries()); a disabled one is a heading.
    void setModelMenu(const QList<ChipModelTable::MenuEntry>& entries);

Q_SIGNALS:
    void commandTriggered(kv::CommandId id);
    void modelChosen(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QHBoxLayout* m_row;
    QToolButton* addButton(const CommandInfo& command);
    QAction* addEntry(QMenu* menu, const QString& key, const QString& caption);

    QHash<QString, QToolButton*> m_buttons;
    QHash<QString, QAction*> m_entries;
};

}  // namespace kv::ui
