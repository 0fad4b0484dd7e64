// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

#include "catalogue/ChipModelTable.h"
#include "gang/GangSocket.h"
#include "tests/ui/WindowRig.h"
#include "ui/ClickableLabel.h"
#include "ui/FuseFrame.h"
#include "ui/GangWindow.h"
#include "ui/HelpWindow.h"
#include "ui/ImageTab.h"
#include "ui/MainToolbar.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/ProgramOptionsBox.h"
#include "ui/StatusPanels.h"
#include "ui/Tones.h"
#include "ui/Twips.h"

namespace kv::test {
namespace {

QStringList entryTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << a->text();
    return out;
}

// The shipped table's added models below their heading; an entry's caption
// may say "adapter", but choosing it selects the plain name.
TEST(MainWindowComposition, AddedModelsFollowTheFifteenAndSelectByName) {
    ChipModelTable::load(QStringLiteral(KV_SOURCE_DIR "/data/Set/models.txt"), QString());
    struct BuiltInAgain {
        ~BuiltInAgain() { ChipModelTable::load(QString(), QString()); }
    } builtInAgain;
    WindowRig rig;
    ui::MainToolbar* bar = rig.start().toolbar();
    const QStringList models = entryTexts(bar->menuOf("SelectMCU"));
    ASSERT_EQ(models.size(), 26);
    EXPECT_EQ(models[14], "ATTINY26");
    EXPECT_EQ(models[15], "--以下为新增型号--");
    EXPECT_FALSE(bar->menuEntry(ChipModelTable::kAddedHeadingKey)->isEnabled());
    EXPECT_EQ(models[25], "ATTINY4313（需适配器）");
    bar->menuEntry("ATTINY4313")->trigger();
    EXPECT_EQ(rig.wb().session().model().selectedModelName(), "ATTINY4313");
}

TEST(MainWindowComposition, ToolbarButtonsMenusAndKeys) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::MainToolbar* bar = w.toolbar();
    const QStringList keys{"SelectMCU",   "SetFuseDefault", "ReadFuse",   "WriteFuse", "WriteLock",
                           "RecoverFuse", "EraserFlash",    "ProgramMCU", "CheckCOM",  "SetCOM",
                           "slSET",       "Production",     "About"};
    const QStringList captions{"自动选择", "调入默认", "读熔丝位", "写熔丝位", "写锁定位",
                               "恢复熔丝", "擦除芯片", "芯片编程", "通讯检测", "设置端口",
                               "存取方案", "生产",     "关于"};
    ASSERT_EQ(ui::MainToolbar::buttonKeys(), keys);
    int lastRight = -1;
    for (int i = 0; i < keys.size(); ++i) {
        QToolButton* b = bar->button(keys[i]);
        ASSERT_NE(b, nullptr) << keys[i].toStdString();
        EXPECT_EQ(b->text(), captions[i]);
        EXPECT_FALSE(b->icon().isNull());
        // Left to right, all inside the window.
        EXPECT_GT(b->x(), lastRight - 1);
        lastRight = b->geometry().right();
    }
    EXPECT_LE(lastRight, bar->width());

    QStringList models = entryTexts(bar->menuOf("SelectMCU"));
    ASSERT_EQ(models.size(), 15);
    EXPECT_EQ(models.indexOf("--以下需适配器--"), 9);
    EXPECT_EQ(models[8], "ATMEGA323");
    EXPECT_EQ(models[10], "ATMEGA8515");
    EXPECT_FALSE(bar->menuEntry("SP")->isEnabled());
    EXPECT_TRUE(bar->menuEntry("ATTINY26")->isEnabled());

    EXPECT_EQ(entryTexts(bar->menuOf("ProgramMCU")), QStringList({"FLASH", "EEPROM"}));
    EXPECT_EQ(bar->menuEntry("ProgramFLASH")->text(), "FLASH");
    EXPECT_EQ(entryTexts(bar->menuOf("SetCOM")), QStringList({"打开端口", "关闭端口"}));
    EXPECT_EQ(entryTexts(bar->menuOf("slSET")),
              QStringList({"打开方案", "保存方案", "调入文件熔丝位", "最近打开"}));
    EXPECT_EQ(entryTexts(bar->menuOf("Production")), QStringList({"生产记录", "记录设置", "量产"}));
    // "量产" opens the gang window beside the main window, once.
    bar->menuEntry("Gang")->trigger();
    ASSERT_NE(w.gangWindow(), nullptr);
    EXPECT_TRUE(w.gangWindow()->isVisible());
    ui::GangWindow* gang = w.gangWindow();
    bar->menuEntry("Gang")->trigger();
    EXPECT_EQ(w.gangWindow(), gang);
    const QList<QAction*> about = bar->menuOf("About")->actions();
    ASSERT_EQ(about.size(), 4);
    EXPECT_EQ(entryTexts(bar->menuOf("About")),
              QStringList({"固件版本", "升级固件", "----------", "帮助(F1)"}));
    EXPECT_FALSE(about[2]->isEnabled());
    EXPECT_TRUE(about[2]->data().toString().isEmpty());
    EXPECT_EQ(bar->menuEntry("HELP"), about[3]);
    for (const char* plain : {"SetFuseDefault", "ReadFuse", "CheckCOM"})
        EXPECT_EQ(bar->menuOf(plain), nullptr);
}

TEST(MainWindowComposition, GroupsStandAtTheirPlaces) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    const ui::Twips t = ui::Twips::forWidget(&w);
    EXPECT_EQ(w.size(), t.size(10650, 7050));
    EXPECT_EQ(w.tabs()->geometry(), t.rect(60, 960, 4095, 5715));
    const int lefts[] = {4260, 5820, 7440, 8970}, widths[] = {1635, 1695, 1575, 1545};
    for (int b = 0; b < 4; ++b)
        EXPECT_EQ(w.fuseFrame(b)->geometry(), t.rect(lefts[b], 960, widths[b], 2835));
    EXPECT_EQ(w.logView()->parentWidget()->geometry(), t.rect(4260, 3900, 3075, 1695));
    EXPECT_EQ(w.optionsBox()->geometry(), t.rect(7380, 3900, 3135, 1935));
    EXPECT_EQ(w.fileNameText(0)->geometry(), t.rect(4260, 5940, 4935, 270));
    EXPECT_EQ(w.openFileButton(1)->geometry(), t.rect(9210, 6300, 1125, 285));
    EXPECT_EQ(w.progressBar(0)->geometry(), t.rect(4260, 6240, 4905, 60));
    EXPECT_EQ(w.progressBar(1)->geometry(), t.rect(4260, 6600, 4905, 60));
    EXPECT_EQ(w.statusPanels()->geometry(), t.rect(0, 6675, 10650, 375));
    EXPECT_EQ(w.statusPanels()->picConnected()->pos(), QPoint(t.px(120), t.px(75)));
    EXPECT_EQ(w.statusPanels()->picNotConnected()->pos(), QPoint(t.px(120), t.px(75)));
}

TEST(MainWindowComposition, CaptionsOfTabsFramesAndButtons) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    QStringList tabs;
    for (int i = 0; i < w.tabs()->count(); ++i)
        tabs << w.tabs()->tabText(i);
    EXPECT_EQ(tabs, QStringList({"熔丝选项", "FLASH", "EEPROM", "其它"}));
    EXPECT_EQ(w.tabs()->currentIndex(), 0);

    const QString header =
        QString(4, QChar(0x3000)) + "0 1 2 3 4 5 6 7 8 9 A B C D E F " + QChar(0x3000) + " ";
    for (ui::ImageTab* tab : {w.flashTab(), w.eepromTab()}) {
        EXPECT_EQ(tab->header()->text(), header);
        // Header and lines line up: every digit and blank one column, an
        // ideographic space two.
        const QFontMetrics m(tab->view()->font());
        const int column = m.horizontalAdvance(QLatin1Char('0'));
        for (QChar c : QStringLiteral(" 0189ABCDEF"))
            EXPECT_EQ(m.horizontalAdvance(c), column) << QString(c).toStdString();
        EXPECT_EQ(tab->header()->font(), tab->view()->font());
        tab->setViewText(QStringLiteral(" 0000") + QChar(0x3000) + "0102\r");
        EXPECT_EQ(tab->viewText(), " 0000  0102");
        EXPECT_EQ(tab->saveButton()->text(), "另存为");
    }
    EXPECT_EQ(w.flashTab()->readButton()->text(), "读取FLASH");
    EXPECT_EQ(w.eepromTab()->readButton()->text(), "读取EEPROM");
    EXPECT_EQ(w.openFileButton(0)->text(), "打开FLASH");
    EXPECT_EQ(w.openFileButton(1)->text(), "打开EEPROM");

    EXPECT_TRUE(w.fuseFrame(0)->title().startsWith("熔丝低字节["));
    EXPECT_TRUE(w.fuseFrame(1)->title().startsWith("熔丝高字节["));
    EXPECT_TRUE(w.fuseFrame(2)->title().startsWith("扩展熔丝位["));
    EXPECT_TRUE(w.fuseFrame(3)->title().startsWith("锁定位["));

    ui::OtherTab* o = w.otherTab();
    EXPECT_EQ(o->readSig->text(), "读标识字");
    EXPECT_EQ(o->readOa->text(), "读校准字节");
    EXPECT_EQ(o->writeOa->text(), "写 入");
    EXPECT_FALSE(o->writeOa->isEnabled());
    EXPECT_EQ(o->writeOa->toolTip(), "暂不可用");
    EXPECT_EQ(o->oaLabel[3]->text(), "8MHz");
    EXPECT_EQ(o->selFe[0]->text(), "Flash");
    EXPECT_EQ(o->selFe[1]->text(), "Eeprom");
    EXPECT_EQ(o->readData[1]->text(), "读");
    EXPECT_EQ(o->writeData[0]->text(), "写");
    EXPECT_EQ(o->data[0]->text(), "0");
    for (const char* text :
         {"当前MCU 型号：", "您选择的型号：", "写入地址", "FLASH(字)", "EEPROM(字节)", "地址DEC",
          "数据HEX", "注:只有原地址数据为FF时,才能正确写入数据。"}) {
        bool found = false;
        for (QLabel* l : o->findChildren<QLabel*>())
            found = found || l->text() == text;
        EXPECT_TRUE(found) << text;
    }
    QStringList groups;
    for (QGroupBox* g : o->findChildren<QGroupBox*>())
        groups << g->title();
    EXPECT_EQ(groups, QStringList({"读标识字", "校准选项", "读写数据"}));
}

TEST(MainWindowComposition, ProgrammingOptionsStandInTwoColumns) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    ui::ProgramOptionsBox* box = w.optionsBox();
    EXPECT_EQ(box->title(), "编程选项");
    const QStringList captions{"擦除芯片", "编程FLASH",  "编程EEPROM", "编程熔丝位", "编程锁定位",
                               "文件重载", "校验标识字", "写校准字节", "校验FLASH",  "校验EEPROM"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(box->option(i)->text(), captions[i]);
    auto column = [box](std::initializer_list<int> order) {
        const int x = box->option(*order.begin())->x();
        int y = -1;
        for (int i : order) {
            EXPECT_EQ(box->option(i)->x(), x) << i;
            EXPECT_GT(box->option(i)->y(), y) << i;
            y = box->option(i)->y();
        }
        return x;
    };
    EXPECT_LT(column({6, 0, 1, 2, 8, 9}), column({3, 4, 7, 5}));
    QPushButton* program = box->programButton();
    EXPECT_EQ(program->text(), "编 程");
    const ui::Twips t = ui::Twips::forWidget(&w);
    EXPECT_EQ(program->size(), t.size(1155, 555));
    EXPECT_GT(program->x(), box->option(3)->x() - 1);
    EXPECT_GT(program->y(), box->option(5)->geometry().bottom());
}

// Growing the window gives the room to the option list, the hex views and
// the log; nothing overlaps, and the next start opens it as it was left.
TEST(MainWindowComposition, GrowsIntoItsListsAndOpensAsItWasLeft) {
    WindowRig rig;
    ui::MainWindow& w = rig.start();
    const QSize design = w.size();
    EXPECT_EQ(w.minimumSize(), design);
    struct Growth {
        QWidget* widget;
        bool wider, taller;
    };
    const Growth rows[] = {
        {w.optionTree(), true, true},           {w.flashTab()->view(), true, true},
        {w.eepromTab()->view(), true, true},    {w.logView(), true, true},
        {w.fileNameText(0), true, false},       {w.statusPanels()->panel("EEPROM"), true, false},
        {w.fuseFrame(3)->name(0), true, false}, {w.progressBar(1), true, true},
    };
    QList<QSize> before;
    for (const Growth& g : rows)
        before << g.widget->size();
    // The parts of the window, and of a hex tab, stand side by side inside
    // it; the fuse frames touch as they always did, nothing else.
    w.tabs()->setCurrentWidget(w.flashTab());
    auto overlaps = [&w] {
        QStringList pairs;
        for (QWidget* parent : {static_cast<QWidget*>(&w), static_cast<QWidget*>(w.flashTab())}) {
            QList<QWidget*> parts;
            for (QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!c->isHidden())
                    parts << c;
            }
            for (int a = 0; a < parts.size(); ++a) {
                EXPECT_TRUE(parent->rect().contains(parts[a]->geometry()))
                    << parts[a]->objectName().toStdString();
                for (int b = a + 1; b < parts.size(); ++b) {
                    if (parts[a]->geometry().intersects(parts[b]->geometry()))
                        pairs << parts[a]->objectName() + "/" + parts[b]->objectName();
                }
            }
        }
        return pairs;
    };
    const QStringList touching = overlaps();
    EXPECT_FALSE(w.progressBar(0)->isTextVisible());
    w.resize(design + QSize(420, 300));
    for (int i = 0; i < int(std::size(rows)); ++i) {
        EXPECT_EQ(rows[i].widget->width() > before[i].width(), rows[i].wider) << i;
        EXPECT_EQ(rows[i].widget->height() > before[i].height(), rows[i].taller) << i;
    }
    EXPECT_EQ(overlaps(), touching);
    // Tall enough now to show the percentage the design size has no room for.
    EXPECT_TRUE(w.progressBar(0)->isTextVisible());
    const QSize left = w.size();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(rig.start().size(), left);
}

// The rendered text of each part against its own background, in the
// lowest contrast a reader needs for bold or large text.
double renderedContrast(QWidget* widget, const QRect& area, const QPoint& backgroundAt) {
    const QImage shot = widget->grab().toImage();
    const QColor background = shot.pixelColor(backgroundAt);
    const QRect shown = area.intersected(shot.rect());
    double best = 1.0;
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        for (int x = shown.left(); x <= shown.right(); ++x)
            best = std::max(best, ui::contrastRatio(shot.pixelColor(x, y), background));
    }
    return best;
}

// On a dark desktop every text reads: shaded option rows take the palette's
// alternate base, the link and the chip labels its link colour, fuse cells
// and red texts are made light enough.
TEST(MainWindowComposition, EveryTextReadsOnADarkPalette) {
    struct Restore {
        QPalette old = QApplication::palette();
        ~Restore() { QApplication::setPalette(old); }
    } restore;
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x2d, 0x3a, 0x2d));
    dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Link, QColor(0x6f, 0xb3, 0xff));
    QApplication::setPalette(dark);
    WindowRig rig;
    ui::MainWindow& w = rig.start();

    ui::OptionTree* tree = w.optionTree();
    int shaded = 0, marked = 0;
    for (int i = 1; i <= tree->count(); ++i) {
        if (!shaded && tree->isShaded(i))
            shaded = i;
        if (!marked && tree->entry(i)->foreground(0).style() != Qt::NoBrush)
            marked = i;
    }
    ASSERT_GT(shaded, 0);
    ASSERT_GT(marked, 0);
    EXPECT_EQ(tree->entry(shaded)->background(0).color(), dark.color(QPalette::AlternateBase));

    int programmed = -1, unprogrammed = -1;
    for (int i = 0; i < 32; ++i) {
        const QString caption = w.fuseFrame(i / 8)->cell(i)->text();
        if (caption == "0" && programmed < 0)
            programmed = i;
        if (caption == "1" && unprogrammed < 0)
            unprogrammed = i;
    }
    ASSERT_GE(programmed, 0);
    ASSERT_GE(unprogrammed, 0);

    auto label = [](QWidget* l) {
        return std::make_tuple(l, l->rect().adjusted(2, 2, -2, -2), QPoint(1, 1));
    };
    auto cell = [](QWidget* c) {
        const QRect inside = static_cast<QFrame*>(c)->contentsRect();
        return std::make_tuple(c, inside.adjusted(1, 1, -1, -1), inside.topLeft());
    };
    auto row = [tree](int position) {
        tree->scrollToItem(tree->entry(position));
        const QRect r = tree->visualItemRect(tree->entry(position));
        // The text only: right of the check box and the picture.
        return std::make_tuple(static_cast<QWidget*>(tree->viewport()), r.adjusted(48, 0, 0, 0),
                               r.topLeft() + QPoint(1, 1));
    };
    w.otherTab()->currentModel->setText("ATMEGA8");
    const std::tuple<QWidget*, QRect, QPoint> parts[] = {
        label(w.linkLabel()),
        label(w.otherTab()->currentModel),
        label(child<QLabel>(w, "Label14")),
        cell(w.fuseFrame(programmed / 8)->cell(programmed)),
        cell(w.fuseFrame(unprogrammed / 8)->cell(unprogrammed)),
        row(shaded),
        row(marked),
    };
    for (const auto& [widget, area, backgroundAt] : parts)
        EXPECT_GE(renderedContrast(widget, area, backgroundAt), 3.0)
            << widget->objectName().toStdString();
}

// The dark scheme a user picks in qt6ct ("darker"), the colours in the
// order of QPalette::ColorRole.
QPalette darkerPalette() {
    const char* const colours[] = {"#ffffff", "#424245", "#979797", "#5e5c5b", "#302f2e",
                                   "#4a4947", "#ffffff", "#ffffff", "#ffffff", "#3d3d3d",
                                   "#222020", "#e7e4e0", "#12608a", "#f9f9f9", "#0986d3",
                                   "#a70b06", "#5c5b5a", "#ffffff", "#3f3f36", "#ffffff"};
    QPalette dark;
    for (int role = 0; role < int(std::size(colours)); ++role) {
        if (role != QPalette::NoRole)
            dark.setColor(QPalette::ColorRole(role), QColor(QLatin1String(colours[role])));
    }
    return dark;
}

// Every text the program colours, by the colours its palette gives it, on
// the style's light palette and on a dark one: at least 4.5:1 for plain text.
TEST(MainWindowComposition, ColouredTextsReadOnLightAndDarkPalettes) {
    struct Restore {
        QPalette old = QApplication::palette();
        ~Restore() { QApplication::setPalette(old); }
    } restore;
    const std::pair<const char*, QPalette> schemes[] = {
        {"light", QApplication::style()->standardPalette()}, {"dark", darkerPalette()}};
    for (const auto& [scheme, palette] : schemes) {
        SCOPED_TRACE(scheme);
        QApplication::setPalette(palette);
        WindowRig rig;
        ui::MainWindow& w = rig.start();
        int programmed = 0;
        while (w.fuseFrame(programmed / 8)->cell(programmed)->text() != "0")
            ++programmed;
        ui::GangWindow gang(rig.p.settings, rig.p.prompts, rig.p.clock,
                            rig.p.settings.fileIn("no-such-cli"));
        ASSERT_TRUE(GangSockets::store(rig.p.settings, {{"COM2", "9600,n,8,1"}}));
        ASSERT_TRUE(GangSockets::storeScheme(rig.p.settings, rig.p.settings.fileIn("a.SET")));
        gang.reload();
        gang.tileStart(0)->click();
        for (int i = 0; i < 100 && gang.runner().state(0).phase != SocketState::Phase::Failed; ++i)
            QTest::qWait(20);
        ASSERT_EQ(gang.runner().state(0).phase, SocketState::Phase::Failed);

        const std::pair<const char*, QWidget*> rows[] = {
            {"programmed bit", w.fuseFrame(programmed / 8)->cell(programmed)},
            {"model read", w.otherTab()->currentModel},
            {"model chosen", w.otherTab()->selectedModel},
            {"link label", w.linkLabel()},
            {"single access note", child<QLabel>(w, "Label14")},
            {"definitions warning", w.definitionsWarning()},
            {"gang failure", gang.tileLabel(0, "result")},
        };
        for (const auto& [what, widget] : rows) {
            const QPalette& p = widget->palette();
            const double ratio =
                ui::contrastRatio(p.color(QPalette::Active, widget->foregroundRole()),
                                  p.color(QPalette::Active, widget->backgroundRole()));
            EXPECT_GE(ratio, 4.5) << what;
        }
        // The help page's links on its base.
        ASSERT_TRUE(w.showHelp(QUrl::fromLocalFile(rig.p.dataFolder() + "/KELVARO_HELP.html")));
        const QPalette& page = w.helpWindow()->browser()->palette();
        EXPECT_GE(ui::contrastRatio(page.color(QPalette::Link), page.color(QPalette::Base)), 4.5);
        w.helpWindow()->close();
    }
}

}  // namespace
}  // namespace kv::test
