// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
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

}  // namespace kv::test
