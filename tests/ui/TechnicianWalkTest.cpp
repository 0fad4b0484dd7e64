// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/ui/WindowRig.h"
#include "ui/ImageTab.h"
#include "ui/OtherTab.h"
#include "ui/WidgetPrompts.h"

namespace kv::test {
namespace {

// Slips a technician makes at the window, each once met with the real program.

// The left edge of the leftmost dark pixel of a widget, in `in`'s coordinates.
int firstInkX(QWidget* widget, QWidget* in) {
    const QImage image = widget->grab().toImage();
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128)
                return widget->mapTo(in, QPoint(x, 0)).x();
    return -1;
}

// Types a path into the dialog's name box and presses its accept button.
void typeName(QFileDialog* dialog, const QString& path) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

// Answers the next modal file dialog with `answer`.
void whenDialogOpens(const std::function<void(QFileDialog*)>& answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start(10);
}

TEST(TechnicianWalk, TypingOnPastTheLargestAddressKeepsTheBoxAtIt) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::OtherTab* o = w.otherTab();
    o->flashAddress->selectAll();
    QTest::keyClicks(o->flashAddress, "99999");
    EXPECT_EQ(o->flashAddress->text(), "8191");
    EXPECT_EQ(o->vScroll1->value(), -8191);
    o->address[1]->selectAll();
    QTest::keyClicks(o->address[1], "5110");
    EXPECT_EQ(o->address[1]->text(), "511");
    EXPECT_EQ(o->vScroll3[1]->value(), -511);
    // A slip that is not a number past the limit stays for the digit check.
    o->eepromAddress->selectAll();
    QTest::keyClicks(o->eepromAddress, "51x");
    EXPECT_EQ(o->eepromAddress->text(), "51x");
}

TEST(TechnicianWalk, EachHeaderDigitStandsOverTheFirstDigitOfItsByte) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::ImageTab* tab = w.flashTab();
    w.tabs()->setCurrentWidget(tab);
    // The header's first ink is its "0"; the line's is byte 0's first digit.
    tab->view()->setPlainText(QString(7, QLatin1Char(' ')) + QStringLiteral("0F"));
    const int column = QFontMetrics(tab->view()->font()).horizontalAdvance(QLatin1Char('0'));
    const int header = firstInkX(tab->header(), tab);
    const int data = firstInkX(tab->view()->viewport(), tab);
    ASSERT_GE(header, 0);
    ASSERT_GE(data, 0);
    EXPECT_LE(std::abs(header - data), column / 3) << header << " " << data;
}

TEST(TechnicianWalk, AFileDialogWithoutAFolderStartsWhereTheLastOfItsKindWent) {
    QTemporaryDir schemes;
    QTemporaryDir other;
    ui::WidgetPrompts prompts;
    FileDialogRequest scheme{QStringLiteral("方案文件(*.SET)|*.set"), 1, {}};
    FileDialogRequest image{QStringLiteral("二进制文件(*.BIN)|*.BIN"), 1, other.path()};

    whenDialogOpens(
        [&](QFileDialog* d) { typeName(d, schemes.filePath(QStringLiteral("一.SET"))); });
    EXPECT_EQ(prompts.saveFile(scheme), schemes.filePath(QStringLiteral("一.SET")));
    // Another kind of file in between does not move the scheme folder.
    whenDialogOpens([&](QFileDialog* d) { typeName(d, other.filePath(QStringLiteral("a.bin"))); });
    EXPECT_TRUE(prompts.saveFile(image).has_value());

    QString startedIn;
    whenDialogOpens([&](QFileDialog* d) {
        startedIn = d->directory().absolutePath();
        d->reject();
    });
    EXPECT_FALSE(prompts.openFile(scheme).has_value());
    EXPECT_EQ(startedIn, QDir(schemes.path()).absolutePath());
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// Pressing "编 程" disables it for the pass; the keyboard focus must not fall
// onto a path box, where the next key would overwrite the file path.
TEST(TechnicianWalk, FocusDoesNotFallOntoAPathBoxDuringThePass) {
    WindowRig rig;
    rig.store(QStringLiteral("编程选项"), QStringLiteral("设置"), QStringLiteral("1000000000"));
    ui::MainWindow& window = rig.start();
    QApplication::setActiveWindow(&window);
    auto* program = child<QAbstractButton>(window, "ProCommand");
    ASSERT_TRUE(program->isEnabled());
    program->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(program->hasFocus());

    QWidget* focusDuringPass = nullptr;
    bool sawPass = false;
    rig.p.pump.onYield = [&] {
        if (!program->isEnabled()) {
            sawPass = true;
            focusDuringPass = QApplication::focusWidget();
        }
    };
    program->click();
    rig.p.pump.onYield = nullptr;
    ASSERT_TRUE(sawPass);
    EXPECT_EQ(qobject_cast<QLineEdit*>(focusDuringPass), nullptr)
        << (focusDuringPass ? focusDuringPass->objectName().toStdString() : "none");
}

}  // namespace
}  // namespace kv::test
