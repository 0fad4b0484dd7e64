// SPDX-License-Identifier: MIT
// The window in English: the program's translation and the option captions'
// table loaded as a user with --lang en gets them.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <optional>

#include "app/Language.h"
#include "app/ShellTexts.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/WindowRig.h"
#include "ui/ClickableLabel.h"
#include "ui/ImageTab.h"
#include "ui/MainToolbar.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/ProgramOptionsBox.h"
#include "ui/StatusPanels.h"

namespace kv::test {
namespace {

// CJK ideographs and the full-width punctuation the Chinese texts use.
bool hasChinese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x303F) || (u >= 0x4E00 && u <= 0x9FFF) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// The texts of the window's own controls: toolbar and its menus, tabs,
// programming options, the other tab's frames and buttons, the option list,
// and the title, link, banner and About texts the program keeps scrambled.
QStringList ownTexts(ui::MainWindow& w) {
    QStringList texts{w.windowTitle(), w.linkLabel()->text(), ShellTexts::logBanner(),
                      ShellTexts::aboutText()};
    for (const QString& key : ui::MainToolbar::buttonKeys()) {
        QToolButton* b = w.toolbar()->button(key);
        texts << b->text();
        if (b->menu()) {
            for (QAction* a : b->menu()->actions())
                texts << a->text();
        }
    }
    for (int i = 0; i < w.tabs()->count(); ++i)
        texts << w.tabs()->tabText(i);
    texts << w.optionsBox()->title();
    for (QAbstractButton* b : w.optionsBox()->findChildren<QAbstractButton*>())
        texts << b->text();
    for (QGroupBox* g : w.otherTab()->findChildren<QGroupBox*>())
        texts << g->title();
    for (QPushButton* b : w.otherTab()->findChildren<QPushButton*>())
        texts << b->text();
    for (int i = 1; i <= w.optionTree()->count(); ++i)
        texts << w.optionTree()->entry(i)->text(0);
    return texts;
}

// Checks the option with that key the way the user does: select it, Space.
void choose(ui::MainWindow& w, const QString& key) {
    ui::OptionTree* tree = w.optionTree();
    for (int i = 1; i <= tree->count(); ++i) {
        if (tree->entry(i)->data(0, Qt::UserRole).toString() == key) {
            tree->setCurrentItem(tree->entry(i));
            QTest::keyClick(tree, Qt::Key_Space);
            return;
        }
    }
    ADD_FAILURE() << "no option " << key.toStdString();
}

struct Stored {
    QByteArray scheme;
    QByteArray settings;
};

// A set-up made through the option list, saved as a scheme at `path` (the
// same for both languages: the recent list names it), then the window closed
// (which stores the fuse bits and options).
Stored setUpAndSave(Language language, const QString& path) {
    const LanguageTexts texts(language);
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    const QString before = rig.wb().session().fuses().fuseBitString();
    choose(w, QStringLiteral("FDBSZFFC0/0004"));  // a clock choice of ATMEGA8
    choose(w, QStringLiteral("FSBQJFFBF/0000"));  // BODEN
    EXPECT_NE(rig.wb().session().fuses().fuseBitString(), before);
    rig.p.prompts.answers << path;
    rig.wb().runCommand(CommandId::SaveScheme);
    w.close();
    return {readFile(path), readFile(rig.p.settings.filePath())};
}

TEST(EnglishWindow, ItsOwnTextsAndEveryOptionCaptionAreEnglish) {
    const LanguageTexts texts(Language::English);
    ASSERT_TRUE(texts.complete());
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ASSERT_GT(w.optionTree()->count(), 10);
    // The padding of the title, the status bar and the hex headers too.
    QStringList shown = ownTexts(w);
    shown << w.flashTab()->header()->text() << w.eepromTab()->header()->text();
    for (const QString& key : ui::StatusPanels::panelKeys())
        shown << w.statusPanels()->panelText(key);
    for (const QString& text : shown)
        EXPECT_FALSE(hasChinese(text)) << text.toStdString();
    // The settings keep the Chinese title they always had.
    EXPECT_EQ(rig.p.settings.applicationName(), ShellTexts::appTitle());
    EXPECT_NE(w.windowTitle(), ShellTexts::appTitle());
    // The English toolbar still fits the window.
    const QToolButton* last = w.toolbar()->button(ui::MainToolbar::buttonKeys().last());
    EXPECT_LE(last->geometry().right(), w.toolbar()->width());
}

TEST(EnglishWindow, ChineseWithoutTranslatorAndTheSameStoredSetUpInBothLanguages) {
    {
        const LanguageTexts texts(Language::Chinese);
        WindowRig rig;
        ui::MainWindow& w = rig.start();
        EXPECT_EQ(w.windowTitle(), ShellTexts::appTitle());
        EXPECT_TRUE(hasChinese(w.optionTree()->entry(1)->text(0)));
    }
    QTemporaryDir schemes;
    const QString path = schemes.filePath(QStringLiteral("line.SET"));
    const Stored chinese = setUpAndSave(Language::Chinese, path);
    const Stored english = setUpAndSave(Language::English, path);
    ASSERT_FALSE(chinese.scheme.isEmpty());
    EXPECT_EQ(english.scheme, chinese.scheme);
    EXPECT_EQ(english.settings, chinese.settings);
}

}  // namespace
}  // namespace kv::test
