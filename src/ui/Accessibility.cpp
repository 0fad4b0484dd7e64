// SPDX-License-Identifier: MIT
#include "ui/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

namespace kv::ui {

namespace {

QAccessibleInterface* windowFactory(const QString& className, QObject* object) {
    // Only the program's own classes: Qt's have their interfaces already.
    if (!className.startsWith(QLatin1String("kv::ui::")) || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (!widget->isWindow() || qobject_cast<QDialog*>(widget))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

// Shift+F10 is the Menu key of keyboards without one.
class ContextMenuKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier)
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget != QApplication::focusWidget() ||
            widget->contextMenuPolicy() == Qt::NoContextMenu)
            return false;
        // Where the Menu key puts it: at the text cursor, else in the middle.
        QPoint at = widget->rect().center();
        const QVariant cursor = widget->inputMethodQuery(Qt::ImCursorRectangle);
        if (cursor.isValid() && widget->testAttribute(Qt::WA_InputMethodEnabled)) {
            const QRect r = cursor.toRect();
            if (r.isValid() && widget->rect().contains(r.center()))
                at = r.center();
        }
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, widget->mapToGlobal(at),
                               Qt::ShiftModifier);
        QApplication::sendEvent(widget, &menu);
        return true;
    }
};

}  // namespace

void installWindowAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        qApp->installEventFilter(new ContextMenuKey(qApp));
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace kv::ui
