// SPDX-License-Identifier: MIT
#include "ui/MainToolbar.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "ui/Icons.h"

namespace kv::ui {

QStringList MainToolbar::buttonKeys() {
    QStringList keys;
    for (const CommandInfo* command : CommandTable::toolbarButtons())
        keys << command->key;
    return keys;
}

MainToolbar::MainToolbar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Toolbar1"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(2, 1, 2, 1);
    m_row->setSpacing(0);
    for (const CommandInfo* command : CommandTable::toolbarButtons()) {
        QToolButton* b = addButton(*command);
        const QList<const CommandInfo*> entries = CommandTable::menuEntries(command->id);
        // The model menu is filled from the model table (setModelMenu).
        if (entries.isEmpty() && command->id != CommandId::SelectModel)
            continue;
        QMenu* menu = new QMenu(this);
        for (const CommandInfo* e : entries) {
            if (e->ruleBefore) {
                // A disabled entry without a key that only separates.
                QAction* rule = menu->addAction(QStringLiteral("----------"));
                rule->setEnabled(false);
            }
            QAction* action = addEntry(menu, e->key, e->shownCaption());
            const CommandId id = e->id;
            connect(action, &QAction::triggered, this, [this, id] { Q_EMIT commandTriggered(id); });
        }
        b->setMenu(menu);
    }

    // The captioned buttons share the window's fixed width: each is as wide
    // as its caption (or its icon), plus the arrow of its menu.
    const int arrow = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this);
    for (QToolButton* b : std::as_const(m_buttons)) {
        if (b->menu())
            b->setPopupMode(QToolButton::MenuButtonPopup);
        const int text = b->fontMetrics().horizontalAdvance(b->text()) + 2;
        b->setFixedWidth(std::max(text, 32) + (b->menu() ? arrow + 2 : 0));
    }
    m_row->addStretch(1);
}

QToolButton* MainToolbar::addButton(const CommandInfo& command) {
    auto* b = new QToolButton(this);
    const QString& key = command.key;
    const CommandId id = command.id;
    b->setObjectName(key);
    b->setText(command.shownCaption());
    b->setIcon(Icons::toolbar(id));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    connect(b, &QToolButton::clicked, this, [this, id] { Q_EMIT commandTriggered(id); });
    m_row->addWidget(b);
    m_buttons.insert(key, b);
    return b;
}

QAction* MainToolbar::addEntry(QMenu* menu, const QString& key, const QString& caption) {
    QAction* entry = menu->addAction(caption);
    entry->setObjectName(key);
    entry->setData(key);
    m_entries.insert(key, entry);
    return entry;
}

QMenu* MainToolbar::menuOf(const QString& buttonKey) const {
    QToolButton* b = button(buttonKey);
    return b ? b->menu() : nullptr;
}

void MainToolbar::setModelMenu(const QList<ChipModelTable::MenuEntry>& entries) {
    QMenu* menu = menuOf(CommandTable::info(CommandId::SelectModel).key);
    for (QAction* old : menu->actions())
        m_entries.remove(old->data().toString());
    menu->clear();  // deletes the entries the menu owns
    for (const ChipModelTable::MenuEntry& entry : entries) {
        QAction* action = addEntry(menu, entry.key, entry.caption);
        action->setEnabled(entry.enabled);
        if (!entry.enabled)
            continue;
        const QString name = entry.key;
        connect(action, &QAction::triggered, this, [this, name] { Q_EMIT modelChosen(name); });
    }
}

}  // namespace kv::ui
