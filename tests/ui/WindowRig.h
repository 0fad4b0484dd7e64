// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "app/Workbench.h"
#include "tests/app/ShellFakes.h"
#include "ui/MainWindow.h"

namespace kv::test {

// The whole window on the simulated programmer (ATMEGA8 on COM1), shown
// offscreen; settings may be stored before start().
struct WindowRig {
    void store(const QString& section, const QString& key, const QString& value) {
        EXPECT_TRUE(p.settings.write(section, key, value));
    }
    ui::MainWindow& start() {
        window = std::make_unique<ui::MainWindow>(ui::MainWindowParts{
            p.port, p.clock, p.pump, p.prompts, p.settings, p.dataFolder(), nullptr, &p.dialogs});
        window->load();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    // The window with its own modal dialogs instead of the recording fakes.
    ui::MainWindow& startWithOwnDialogs() {
        window = std::make_unique<ui::MainWindow>(
            ui::MainWindowParts{p.port, p.clock, p.pump, p.prompts, p.settings, p.dataFolder()});
        window->load();
        window->show();
        return *window;
    }
    Workbench& wb() { return window->workbench(); }

    ShellPlatform p;
    std::unique_ptr<ui::MainWindow> window;
};

// The named child widget of the given type; a test failure when there is none.
template <typename T>
T* child(QWidget& parent, const char* name) {
    T* w = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// The non-empty texts of the visible widgets of one kind, sorted.
template <typename T>
QStringList captions(QWidget& parent, QString (T::*text)() const) {
    QStringList texts;
    for (T* w : parent.findChildren<T*>()) {
        if (w->isVisible() && !(w->*text)().isEmpty())
            texts << (w->*text)();
    }
    texts.sort();
    return texts;
}

// A click the way the user makes it: only an enabled, visible button reacts.
inline void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// A caption as speech input users say it: without the mnemonic's "&" or
// "(&X)", the closing colon or ellipsis.
inline QString spokenCaption(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&\\w\\)"));
    text.remove(mnemonic);
    text.remove(u'&');
    // Nor the ellipsis of a button that opens a dialog.
    while (text.endsWith(u':') || text.endsWith(u'\uFF1A') || text.endsWith(u'\u2026') ||
           text.endsWith(u'.'))
        text.chop(1);
    return text.trimmed();
}

// What a screen reader or speech input finds wrong in a shown window, one
// line each: a control the keyboard or the mouse reaches without a name, a
// name that does not start with the control's visible caption (or its
// label's), a list without a label, a window taken for a filler.
inline QStringList accessibilityFaults(QWidget& window) {
    QStringList faults;
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(&window);
    const QAccessible::Role topRole =
        qobject_cast<QDialog*>(&window) ? QAccessible::Dialog : QAccessible::Window;
    if (!top || top->role() != topRole)
        faults << window.objectName() + QStringLiteral(": not a window");
    QHash<QWidget*, QString> labelOf;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy())
            labelOf.insert(label->buddy(), spokenCaption(label->text()));
    }
    for (QWidget* c : window.findChildren<QWidget*>()) {
        bool own = c->isVisibleTo(&window);
        for (QWidget* p = c; own && p && p != &window; p = p->parentWidget())
            own = !p->objectName().startsWith(QLatin1String("qt_")) && !p->isWindow();
        // The line edit of an editable list is part of the list.
        if (!own || qobject_cast<QComboBox*>(c->parentWidget()))
            continue;
        const bool clickable =
            c->testAttribute(Qt::WA_SetCursor) && c->cursor().shape() == Qt::PointingHandCursor;
        if (c->focusPolicy() == Qt::NoFocus && !clickable)
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c);
        const QString id = c->objectName().isEmpty()
                               ? QString::fromLatin1(c->metaObject()->className())
                               : c->objectName();
        if (!face) {
            faults << id + QStringLiteral(": no interface");
            continue;
        }
        const QString name = face->text(QAccessible::Name);
        if (qobject_cast<QComboBox*>(c)) {
            // Qt names a list by its value: the label must be tied to it.
            if (face->relations(QAccessible::Label).isEmpty())
                faults << id + QStringLiteral(": list without a label");
            continue;
        }
        if (name.trimmed().isEmpty()) {
            faults << id + QStringLiteral(": no name");
            continue;
        }
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(c))
            caption = spokenCaption(button->text());
        if (caption.isEmpty())
            caption = labelOf.value(c);
        // Speech input hears words: letter spacing ("编 程") and case do not count.
        const auto words = [](QString text) { return text.remove(QRegularExpression("\\s")); };
        if (!caption.isEmpty() && !words(name).startsWith(words(caption), Qt::CaseInsensitive))
            faults << id + QStringLiteral(": name \"%1\" does not start with \"%2\"")
                               .arg(name, caption);
    }
    return faults;
}

}  // namespace kv::test
