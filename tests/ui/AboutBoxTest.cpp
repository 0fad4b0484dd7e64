// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/ShellTexts.h"
#include "tests/ui/WindowRig.h"
#include "ui/AboutBox.h"
#include "ui/ClickableLabel.h"
#include "ui/MainToolbar.h"

namespace kv::test {
namespace {

struct AboutRig {
    AboutRig()
        : box(ShellTexts::productLine(ShellTexts::appTitle()), ShellTexts::aboutText(),
              ShellTexts::webPage(), [this](const QUrl& url) { opened << url; }) {
        box.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    QList<QUrl> opened;
    ui::AboutBox box;
};

TEST(AboutBox, ShowsTitleLineTextAndAddress) {
    AboutRig rig;
    const QString title = rig.box.productName()->text();
    EXPECT_EQ(title, ShellTexts::appTitle());
    EXPECT_TRUE(title.endsWith(QString(4, QChar(0x3000))));
    EXPECT_EQ(rig.box.textBox()->toPlainText(),
              QString(ShellTexts::aboutText()).replace("\r\n", "\n"));
    EXPECT_EQ(rig.box.okButton()->text(), "确 定");
    click(rig.box.address());
    EXPECT_EQ(rig.opened, QList<QUrl>{ShellTexts::webPage()});
    EXPECT_TRUE(rig.box.isVisible());
}

TEST(AboutBox, ClosesOnAKeyTheButtonOrItsFrame) {
    const std::pair<const char*, std::function<void(ui::AboutBox&)>> closers[] = {
        {"key", [](ui::AboutBox& box) { QTest::keyClick(&box, Qt::Key_A); }},
        // Also when the key reaches a control inside the box.
        {"key in the text",
         [](ui::AboutBox& box) { QTest::keyClick(box.textBox(), Qt::Key_Down); }},
        {"button", [](ui::AboutBox& box) { click(box.okButton()); }},
        {"frame",
         [](ui::AboutBox& box) {
             QTest::mouseClick(box.buttonFrame(), Qt::LeftButton, {}, QPoint(3, 3));
         }},
    };
    for (const auto& [name, close] : closers) {
        SCOPED_TRACE(name);
        AboutRig rig;
        close(rig.box);
        EXPECT_FALSE(rig.box.isVisible());
    }
}

TEST(AboutBox, OpensModallyFromTheToolbarAndAKeyGivesTheWindowBack) {
    WindowRig rig;
    rig.startWithOwnDialogs();
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        shownTitle = modal->findChild<QLabel*>("lblProductName")->text();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    click(rig.window->toolbar()->button("About"));
    EXPECT_EQ(shownTitle, ShellTexts::appTitle());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(WindowDialogs, PortSettingsAndFirmwareUpdateOpenModally) {
    WindowRig rig;
    rig.startWithOwnDialogs();
    QStringList shown;
    auto closeModal = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            shown << modal->metaObject()->className();
            static_cast<QDialog*>(modal)->reject();
        });
    };
    closeModal();
    click(rig.window->toolbar()->button("SetCOM"));
    closeModal();
    rig.window->toolbar()->menuEntry("UPDATE")->trigger();
    EXPECT_EQ(shown, QStringList({"kv::ui::PortSettingsDialog", "kv::ui::FirmwareDialog"}));
    EXPECT_TRUE(rig.p.port.isOpen());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace kv::test
