// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/Language.h"
#include "app/PassRecorder.h"
#include "link/PortMap.h"
#include "record/RecordStore.h"

#include "tests/support/TestFiles.h"
#include "tests/ui/WindowRig.h"
#include "ui/ClickableLabel.h"
#include "ui/FuseFrame.h"
#include "ui/GangSocketsDialog.h"
#include "ui/GangWindow.h"
#include "ui/HelpWindow.h"
#include "ui/ImageTab.h"
#include "ui/MainToolbar.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/PortSettingsDialog.h"
#include "ui/ProgramOptionsBox.h"
#include "ui/RecordSettingsDialog.h"
#include "ui/RecordViewer.h"
#include "ui/StatusPanels.h"

namespace kv::test {
namespace {

// The way screen readers, on-screen keyboards and input tools put text into
// a box: through its accessibility interface, without a key event.
void setByAccessibility(QLineEdit* box, const QString& text) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(face, nullptr);
    face->setText(QAccessible::Value, text);
    ASSERT_EQ(box->text(), text);
}

// Every box's text counts, however it got there: the commands send it, the
// pass loads the files it names, and the exit stores it.
TEST(BoxText, TextPutInWithoutKeyPressesIsWhatCommandsAndExitUse) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::OtherTab* o = w.otherTab();

    setByAccessibility(o->address[0], "20");
    setByAccessibility(o->data[0], "ABCD");
    o->address[1]->setText("7");
    o->data[1]->setText("5a");
    rig.p.device.clearTranscript();
    click(o->writeData[0]);
    click(o->writeData[1]);
    EXPECT_EQ(rig.p.device.transcript(), "WWABCD0014#WE5A0007#");
    EXPECT_EQ(rig.p.device.flash().mid(40, 2), QByteArray("\xAB\xCD", 2));
    EXPECT_EQ(rig.p.device.eeprom().at(7), char(0x5A));
    EXPECT_TRUE(rig.p.prompts.warnings.isEmpty());

    // The pass's reload takes the files the path boxes name.
    const QString flash = testImage(QStringLiteral("blink_m8.hex"));
    const QString eeprom = testImage(QStringLiteral("blink_m8.eep"));
    setByAccessibility(w.fileNameText(0), flash);
    w.fileNameText(1)->setText(eeprom);
    rig.wb().session().options().setFromText(QStringLiteral("0000010000"));  // "文件重载" only
    click(w.optionsBox()->programButton());
    EXPECT_EQ(rig.wb().session().flash().image().toBytes(),
              readFile(testImage(QStringLiteral("blink_m8.bin"))));
    EXPECT_EQ(rig.wb().session().eeprom().image().toBytes(),
              readFile(testImage(QStringLiteral("blink_m8.eep.bin"))));

    setByAccessibility(o->flashAddress, "100");
    o->eepromAddress->setText("200");
    EXPECT_EQ(o->vScroll1->value(), -100);
    EXPECT_EQ(o->vScroll2->value(), -200);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(rig.p.read("校准", "FLASH"), "100");
    EXPECT_EQ(rig.p.read("校准", "EEPROM"), "200");
}

// A click refused while the pass runs leaves the boxes showing the state.
TEST(BusyWindow, OptionAndFuseClicksDuringAPassShowTheStateAgain) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::OptionTree* tree = w.optionTree();
    ASSERT_GT(tree->count(), 0);
    const bool entryChecked = tree->isChecked(1);
    const QString cells = rig.wb().session().fuses().fuseBitString();
    bool tried = false;
    rig.p.pump.onYield = [&] {
        if (tried || !rig.wb().session().programPass().isRunning())
            return;
        tried = true;
        w.optionsBox()->option(9)->click();
        tree->entry(1)->setCheckState(0, entryChecked ? Qt::Unchecked : Qt::Checked);
        click(w.fuseFrame(0)->cell(0));
    };
    click(w.optionsBox()->programButton());
    ASSERT_TRUE(tried);
    EXPECT_EQ(w.optionsBox()->option(9)->checkState(), Qt::Unchecked);
    EXPECT_EQ(rig.wb().session().options().optionValue(9), 0);
    EXPECT_EQ(tree->isChecked(1), entryChecked);
    EXPECT_EQ(rig.wb().session().fuses().fuseBitString(), cells);
    EXPECT_EQ(rig.wb().session().log().text().count(CommandRunner::busyText()), 3);
}

// The menu a key press on the widget opens, closed again at once; null for none.
QMenu* menuOpenedBy(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QMenu* opened = nullptr;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        opened = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (opened)
            opened->close();
    });
    closer.start(0);
    widget->setFocus();
    QTest::keyClick(widget, key, modifiers);
    QCoreApplication::processEvents();
    return opened;
}

// Every function from the keyboard: the toolbar menus open from their
// buttons, a fuse cell toggles with Space, the standard keys reach their
// commands and Esc closes the record viewer.
TEST(WindowKeyboard, MenusCellsAndShortcuts) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::MainToolbar* bar = w.toolbar();
    struct MenuKey {
        const char* button;
        std::function<void(QToolButton*)> before;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const MenuKey menus[] = {
        {"SelectMCU", nullptr, Qt::Key_Down, Qt::AltModifier},
        {"About", nullptr, Qt::Key_F4, {}},
        {"Production", nullptr, Qt::Key_Down, {}},
        // The arrow takes the focus from its button, then opens on Space or Enter.
        {"SetCOM", [](QToolButton* b) { QTest::keyClick(b, Qt::Key_Right); }, Qt::Key_Space, {}},
        {"Production",
         [](QToolButton* b) { QTest::keyClick(b, Qt::Key_Right); },
         Qt::Key_Return,
         {}},
        // A button that is only a menu opens it as its own action.
        {"slSET", nullptr, Qt::Key_Space, {}},
    };
    for (const MenuKey& m : menus) {
        QToolButton* b = bar->button(m.button);
        b->setFocus();
        if (m.before)
            m.before(b);
        EXPECT_EQ(menuOpenedBy(b, m.key, m.modifiers), bar->menuOf(m.button)) << m.button;
    }
    // Space on a button with an action of its own runs it, not its menu.
    EXPECT_EQ(menuOpenedBy(bar->button("About"), Qt::Key_Space), nullptr);
    EXPECT_EQ(rig.p.dialogs.calls, QStringList{"About"});

    // Shift+F10 opens the context menu where the Menu key does.
    QApplication::setActiveWindow(&w);
    EXPECT_NE(menuOpenedBy(w.logView(), Qt::Key_F10, Qt::ShiftModifier), nullptr);
    // A hex view lets Tab move on and takes no typing.
    w.tabs()->setCurrentWidget(w.flashTab());
    QPlainTextEdit* view = w.flashTab()->view();
    const QString shown = view->toPlainText();
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("12"));
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_FALSE(view->hasFocus());
    EXPECT_EQ(view->toPlainText(), shown);

    ui::FuseBitCell* cell = w.fuseFrame(1)->cell(8 + 3);
    ASSERT_TRUE(cell->isEnabled());
    const QString before = rig.wb().session().fuses().fuseBitString();
    cell->setFocus();
    QTest::keyClick(cell, Qt::Key_Space);
    EXPECT_NE(rig.wb().session().fuses().fuseBitString(), before);
    EXPECT_EQ(rig.wb().session().fuses().cell(11).caption, cell->text());

    struct Shortcut {
        QKeySequence keys;
        std::function<qsizetype()> count;  // grows by one when the command ran
    };
    const Shortcut shortcuts[] = {
        {QKeySequence(QStringLiteral("Ctrl+O")), [&] { return rig.p.prompts.openRequests.size(); }},
        {QKeySequence(QStringLiteral("Ctrl+Shift+O")),
         [&] { return rig.p.prompts.openRequests.size(); }},
        {QKeySequence(QStringLiteral("Ctrl+Alt+O")),
         [&] { return rig.p.prompts.openRequests.size(); }},
        {QKeySequence(QStringLiteral("Ctrl+Alt+S")),
         [&] { return rig.p.prompts.saveRequests.size(); }},
        // Its button is on a tab not shown.
        {QKeySequence(QStringLiteral("Ctrl+S")), [&] { return rig.p.prompts.saveRequests.size(); }},
        {QKeySequence(QStringLiteral("Alt+N")), [&] { return rig.p.dialogs.calls.size(); }},
        {QKeySequence(QStringLiteral("F1")), [&] { return rig.p.dialogs.opened.size(); }},
    };
    for (const Shortcut& k : shortcuts) {
        const qsizetype was = k.count();
        QApplication::setActiveWindow(&w);
        QTest::keySequence(&w, k.keys);
        EXPECT_EQ(k.count(), was + 1) << k.keys.toString().toStdString();
    }

    auto* viewer = new ui::RecordViewer(QString(), rig.p.prompts, &w);
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    QPointer<ui::RecordViewer> alive(viewer);
    QTest::keyClick(viewer, Qt::Key_Escape);
    EXPECT_FALSE(alive && alive->isVisible());
}

// What a screen reader hears: every control has a name of its own and says
// what it does; the controls that were nameless, mute or alike have these.
TEST(WindowAccessibility, EveryControlIsNamedAndDescribed) {
    const LanguageTexts texts(Language::English);
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    QStringList names;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        // Qt's own parts (scroll bars of a view, the tab bar) are named by Qt.
        bool own = true;
        for (QWidget* p = c; p && p != &w; p = p->parentWidget())
            own = own && !p->objectName().startsWith(QLatin1String("qt_"));
        const bool clickable =
            c->testAttribute(Qt::WA_SetCursor) && c->cursor().shape() == Qt::PointingHandCursor;
        if (!own || !(c->focusPolicy() != Qt::NoFocus || clickable ||
                      qobject_cast<QProgressBar*>(c) || qobject_cast<QScrollBar*>(c)))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c);
        ASSERT_NE(face, nullptr);
        const QString name = face->text(QAccessible::Name);
        const std::string id = c->objectName().toStdString();
        EXPECT_FALSE(name.isEmpty()) << id;
        EXPECT_FALSE(face->text(QAccessible::Description).isEmpty()) << id;
        EXPECT_FALSE(names.contains(name)) << id << ": " << name.toStdString();
        names << name;
    }
    EXPECT_GT(names.size(), 60);

    struct Row {
        const char* object;
        const char* name;
        QAccessible::Role role;
    };
    const Row rows[] = {
        {"ProgramMCU", "Program menu", QAccessible::ButtonMenu},
        {"ProCommand", "Program with the options", QAccessible::Button},
        {"Sel_OA_0", "1MHz calibration byte", QAccessible::RadioButton},
        {"Sel_OA_3", "8MHz calibration byte", QAccessible::RadioButton},
        {"R_DataCommand_0", "Read FLASH word", QAccessible::Button},
        {"W_DataCommand_1", "Write EEPROM byte", QAccessible::Button},
        {"W_AddressText_0", "FLASH word address", QAccessible::EditableText},
        {"VScroll2", "Calibration address in EEPROM, up or down", QAccessible::ScrollBar},
        {"FileNameText_1", "EEPROM file", QAccessible::EditableText},
        {"InfoText", "Messages", QAccessible::EditableText},
        {"FlashProgressBar", "FLASH progress", QAccessible::ProgressBar},
        {"EepromProgressBar", "EEPROM progress", QAccessible::ProgressBar},
    };
    for (const Row& r : rows) {
        QWidget* c = child<QWidget>(w, r.object);
        ASSERT_NE(c, nullptr);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c);
        EXPECT_EQ(face->text(QAccessible::Name), r.name) << r.object;
        EXPECT_EQ(face->role(), r.role) << r.object;
    }
    for (const QString& key : ui::MainToolbar::buttonKeys())
        EXPECT_FALSE(w.toolbar()->button(key)->toolTip().isEmpty()) << key.toStdString();

    // A fuse bit is a check box, checked when programmed ("0").
    ui::FuseBitCell* cell = w.fuseFrame(0)->cell(7);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(cell);
    EXPECT_EQ(face->role(), QAccessible::CheckBox);
    EXPECT_TRUE(face->text(QAccessible::Name).contains(w.fuseFrame(0)->name(7)->text()));
    EXPECT_TRUE(face->state().checkable);
    const bool checked = face->state().checked;
    EXPECT_EQ(checked, cell->text() == "0");
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_NE(face->state().checked, checked);
    EXPECT_EQ(rig.wb().session().fuses().cell(7).caption, cell->text());
}

// Every window of the program as a screen reader and speech input meet it,
// in both languages.
TEST(WindowAccessibility, EveryWindowNamesItsControlsByTheirCaptions) {
    for (const Language language : {Language::Chinese, Language::English}) {
        const LanguageTexts texts(language);
        SCOPED_TRACE(languageCode(language).toStdString());
        WindowRig rig;
        ui::MainWindow& w = rig.start();
        Workbench& wb = rig.wb();
        PortMap map(&wb.session().platform().settings);
        QTemporaryDir dir;
        const QString help = dir.filePath(QStringLiteral("help.html"));
        writeFile(help, "<h1>Help</h1><p><a href=\"#end\">end</a></p><a name=\"end\"></a>");
        ASSERT_TRUE(w.showHelp(QUrl::fromLocalFile(help)));
        ui::RecordViewer viewer(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("r.db")),
                                rig.p.prompts);
        ui::GangWindow gang(wb.session().platform().settings, rig.p.prompts, rig.p.clock,
                            dir.filePath(QStringLiteral("no-cli")), &map);
        ui::GangSocketsDialog sockets(QList<GangSocket>{{"COM2", "9600,n,8,1"}});
        ui::PortSettingsDialog port(wb.session().link(), wb.session().platform().settings,
                                    rig.p.prompts, wb.session().portSettingsState(),
                                    wb.portSettingsHooks(), &map);
        ui::RecordSettingsDialog record(wb.session().platform().settings, rig.p.prompts);
        QWidget* windows[] = {&w, w.helpWindow(), &viewer, &gang, &sockets, &port, &record};
        for (QWidget* window : windows) {
            window->show();
            EXPECT_EQ(accessibilityFaults(*window).join(u'\n').toStdString(), "")
                << window->objectName().toStdString();
        }

        // One connection picture is shown, the one that is true.
        EXPECT_NE(w.statusPanels()->findChild<QWidget*>("PicConnected")->isVisible(),
                  w.statusPanels()->findChild<QWidget*>("PicNotConnected")->isVisible());
        // The hex views show what the images hold and take no typing.
        for (ui::ImageTab* tab : {w.flashTab(), w.eepromTab()}) {
            QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tab->view());
            EXPECT_TRUE(view->state().readOnly);
            EXPECT_FALSE(view->state().editable);
        }
        // A rule in a menu is read as one.
        QMenu* about = w.toolbar()->menuOf("About");
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(about);
        QStringList roles;
        for (int i = 0; i < menu->childCount(); ++i)
            roles << QString::number(menu->child(i)->role());
        EXPECT_EQ(roles.count(QString::number(QAccessible::Separator)), 1)
            << roles.join(',').toStdString();
        w.helpWindow()->close();
    }
}

// Stop during 读FLASH, then 读熔丝位: the programmer still sends the rest of
// the memory, and none of it may pass for the fuse bytes.
TEST(StopWindow, AStoppedReadDoesNotAnswerTheNextCommand) {
    ShellPlatform p;
    ui::MainWindow w({p.port, p.clock, p.pump, p.prompts, p.settings, p.dataFolder(), nullptr,
                      &p.dialogs, nullptr});
    w.load();
    w.show();
    Workbench& wb = w.workbench();
    wb.runCommand(CommandId::SelectModel);
    bool stopped = false;
    p.pump.onYield = [&] {
        const int done = wb.session().flash().progress();
        if (stopped || done < 10 || done == 100)
            return;
        stopped = true;
        click(w.stopButton());
    };
    wb.runCommand(CommandId::ReadFlash);
    p.pump.onYield = nullptr;
    ASSERT_TRUE(stopped);
    wb.runCommand(CommandId::ReadFuses);
    EXPECT_EQ(wb.session().fuses().fuseHigh(), 0xD9);
    EXPECT_EQ(wb.session().fuses().fuseLow(), 0xE1);
    EXPECT_TRUE(p.prompts.warnings.isEmpty()) << p.prompts.lines().join('\n').toStdString();
}

// Stop during a pass: the FLASH write ends between two pages, the log and
// the record say it was stopped (no box), and Stop is there only meanwhile.
TEST(StopWindow, APassStopsAtAWholePageAndIsRecordedAsStopped) {
    ShellPlatform p;
    RecordPolicy policy;
    policy.url = QStringLiteral("sqlite:") + p.settings.fileIn("r.sqlite");
    PassRecorder recorder(
        policy, p.clock, [&p] { return QDateTime::fromMSecsSinceEpoch(p.clock.nowMs(), Qt::UTC); });
    ui::MainWindow w({p.port, p.clock, p.pump, p.prompts, p.settings, p.dataFolder(), nullptr,
                      &p.dialogs, &recorder});
    w.load();
    w.show();
    Workbench& wb = w.workbench();
    wb.runCommand(CommandId::SelectModel);
    QByteArray image;
    for (int i = 0; i < 512; ++i)
        image.append(char(i % 255));  // never the erased value
    wb.session().flash().setImage(MemoryImage::fromBytes(image));
    ProgramOptions::Values write{};
    write.at(1) = 1;
    wb.schemes().setProgramOptions(write);
    ASSERT_FALSE(w.stopButton()->isEnabled());

    bool stopped = false;
    p.pump.onYield = [&] {
        const int done = wb.session().flash().progress();
        if (stopped || done < 25 || done == 100)
            return;
        stopped = true;
        EXPECT_TRUE(w.stopButton()->isEnabled());
        click(w.stopButton());
    };
    click(w.optionsBox()->programButton());
    ASSERT_TRUE(stopped);
    const QByteArray chip = p.device.flash();
    qsizetype written = 0;
    while (written < image.size() && chip[written] == image[written])
        ++written;
    EXPECT_GT(written, 0);
    EXPECT_LT(written, image.size());
    EXPECT_EQ(written % 64, 0) << "ATMEGA8 pages are 64 bytes";
    EXPECT_EQ(chip.mid(written, image.size() - written),
              QByteArray(image.size() - written, char(0xFF)));
    const QString log = wb.session().log().text();
    EXPECT_TRUE(log.contains(CommandRunner::stopRequestedText()));
    EXPECT_TRUE(log.contains(CommandRunner::stoppedText()));
    EXPECT_TRUE(p.prompts.warnings.isEmpty()) << p.prompts.lines().join('\n').toStdString();
    EXPECT_FALSE(w.stopButton()->isEnabled());
    // The bar keeps where the stop left it until the next command moves it.
    EXPECT_EQ(w.progressBar(0)->value(), wb.session().flash().progress());
    EXPECT_GT(w.progressBar(0)->value(), 0);
    EXPECT_LT(w.progressBar(0)->value(), 100);
    const PassRecord record = recorder.store().load(wb.record().lastRecordId());
    EXPECT_EQ(record.endReason, CommandRunner::stoppedText());
    EXPECT_EQ(record.result, QStringLiteral("stopped"));

    // Closing during the next pass asks; "Yes" stops it and the window closes after.
    bool asked = false;
    p.pump.onYield = [&] {
        const int done = wb.session().flash().progress();
        if (asked || done < 25 || done == 100)
            return;
        asked = true;
        EXPECT_FALSE(w.close());
        auto* box = w.findChild<QMessageBox*>(QStringLiteral("StopOnCloseQuestion"));
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    };
    click(w.optionsBox()->programButton());
    ASSERT_TRUE(asked);
    EXPECT_EQ(wb.session().log().text().count(CommandRunner::stoppedText()), 2);
    EXPECT_FALSE(w.isVisible());
}

// Files dropped on the window load by their type and join the recent list.
TEST(DropOnWindow, ImageFilesLoadIntoTheirMemoriesAndJoinTheRecentList) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    const QString hex =
        writeFile(rig.p.settings.fileIn("prog.hex"), ":0400000011111111B8\r\n:00000001FF\r\n");
    const QString eep =
        writeFile(rig.p.settings.fileIn("data.EEP"), ":02000000AABB99\r\n:00000001FF\r\n");
    // As a file manager drags: in, then dropped.
    const auto drop = [&w](const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        QCoreApplication::processEvents();
    };
    drop({hex, eep});
    EXPECT_EQ(w.fileNameText(0)->text(), hex);
    EXPECT_EQ(rig.wb().session().flash().image().text(), QStringLiteral("11111111"));
    EXPECT_EQ(w.fileNameText(1)->text(), eep);
    EXPECT_EQ(rig.wb().session().eeprom().image().text(), QStringLiteral("AABB"));
    EXPECT_EQ(rig.wb().recentFiles().entries(), QStringList({eep, hex}));

    // An ELF file with an EEPROM section fills both memories.
    const QString elf = testImage(QStringLiteral("fuses_m8.elf"));
    drop({elf});
    EXPECT_EQ(w.fileNameText(0)->text(), elf);
    EXPECT_EQ(w.fileNameText(1)->text(), elf);
    EXPECT_EQ(rig.wb().session().eeprom().image().toBytes(),
              readFile(testImage(QStringLiteral("fuses_m8.eep.bin"))));
    EXPECT_TRUE(rig.p.prompts.warnings.isEmpty());
}

}  // namespace
}  // namespace kv::test
