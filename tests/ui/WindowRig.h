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
        p.settings.write(section, key, value);
    }
    ui::MainWindow& start() {
        window = std::make_unique<ui::MainWindow>(ui::MainWindowParts{
            p.port, p.clock, p.pump, p.prompts, p.settings, p.dataFolder(), nullptr, &p.dialogs});
        window->load();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    Workbench& wb() { return window->workbench(); }

    ShellPlatform p;
    std::unique_ptr<ui::MainWindow> window;
};

// A click the way the user makes it: only an enabled, visible button reacts.
inline void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

}  // namespace kv::test
