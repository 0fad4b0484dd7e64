// SPDX-License-Identifier: MIT
#include "ui/MainToolbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>
#include <algorithm>

#include "ui/Icons.h"

namespace kv::ui {

namespace {

// A toolbar button whose menu opens from the keyboard as from the mouse:
// Alt+Down, Down or F4 anywhere on it; Right moves the focus onto its arrow
// and Space or Enter there opens the menu. A button that only holds a menu
// opens it on Space or Enter too. Left and Right walk along the toolbar.
class ToolbarButton : public QToolButton {
public:
    ToolbarButton(bool menuOnly, QWidget* parent) : QToolButton(parent), m_menuOnly(menuOnly) {}

protected:
    bool event(QEvent* event) override {
        // Its key runs the command at once, or opens the menu of a button that
        // has nothing else to do; the focus stays where the user had it.
        if (event->type() == QEvent::Shortcut && isEnabled()) {
            if (m_menuOnly && menu())
                showMenu();
            else
                click();
            return true;
        }
        return QToolButton::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const bool activate = key == Qt::Key_Space || key == Qt::Key_Return ||
                              key == Qt::Key_Enter || key == Qt::Key_Select;
        if (menu() &&
            (key == Qt::Key_F4 || key == Qt::Key_Down || (activate && (m_onArrow || m_menuOnly)))) {
            showMenu();
            return;
        }
        if (key == Qt::Key_Right && menu() && !m_onArrow) {
            setOnArrow(true);
            return;
        }
        if (key == Qt::Key_Left && m_onArrow) {
            setOnArrow(false);
            return;
        }
        if (key == Qt::Key_Right || key == Qt::Key_Left) {
            focusNextPrevChild(key == Qt::Key_Right);
            return;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            animateClick();
            return;
        }
        QToolButton::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        setOnArrow(false);
        QToolButton::focusOutEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        // On the arrow the focus frame is the arrow's, not the caption's.
        if (m_onArrow)
            option.state &= ~QStyle::State_HasFocus;
        p.drawComplexControl(QStyle::CC_ToolButton, option);
        if (!m_onArrow || !hasFocus())
            return;
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subControlRect(QStyle::CC_ToolButton, &option,
                                             QStyle::SC_ToolButtonMenu, this);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }

private:
    void setOnArrow(bool on) {
        if (m_onArrow != on) {
            m_onArrow = on;
            update();
        }
    }

    bool m_menuOnly;
    bool m_onArrow = false;
};

// The caption, its key and what it does, for the tooltip.
QString toolTipOf(const CommandInfo& command) {
    QString tip = command.shownName();
    if (command.shortcut) {
        tip += QStringLiteral(" (%1)").arg(
            QKeySequence(QString::fromLatin1(command.shortcut)).toString(QKeySequence::NativeText));
    }
    const QString description = command.shownDescription();
    return description.isEmpty() ? tip : tip + QLatin1Char('\n') + description;
}

}  // namespace

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
                // Drawn and read as the rule it is, not as an entry.
                rule->setSeparator(true);
            }
            QAction* action = addEntry(menu, e->key, e->shownCaption());
            action->setToolTip(e->shownDescription());
            action->setStatusTip(e->shownDescription());
            if (e->shortcut) {
                // Shown in the menu; live while the toolbar is, not only the menu.
                const QKeySequence keys(QString::fromLatin1(e->shortcut));
                action->setShortcut(keys);
                // "帮助(F1)" names its key already.
                action->setShortcutVisibleInContextMenu(
                    !e->shownCaption().contains(keys.toString(QKeySequence::NativeText)));
                addAction(action);
            }
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
    auto* b = new ToolbarButton(command.kind == CommandKind::MenuOnly, this);
    const QString& key = command.key;
    const CommandId id = command.id;
    b->setObjectName(key);
    b->setText(command.shownCaption());
    b->setToolTip(toolTipOf(command));
    b->setAccessibleName(command.shownName());
    b->setAccessibleDescription(command.shownDescription());
    if (command.shortcut)
        b->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
    b->setIcon(Icons::toolbar(id));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    connect(b, &QToolButton::clicked, this, [this, id] { Q_EMIT commandTriggered(id); });
    m_row->addWidget(b);
    m_buttons.insert(key, b);
    return b;
}

void MainToolbar::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // Captions set side by side run together: what the row has to spare
    // goes between the buttons, up to a few pixels each.
    int used = 0;
    for (const QToolButton* b : std::as_const(m_buttons))
        used += b->width();
    const int gaps = int(m_buttons.size()) - 1;
    const int spare = contentsRect().width() - m_row->contentsMargins().left() -
                      m_row->contentsMargins().right() - used;
    m_row->setSpacing(gaps > 0 ? std::clamp(spare / gaps, 0, 12) : 0);
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
