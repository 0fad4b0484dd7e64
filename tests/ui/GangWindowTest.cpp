// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "app/Language.h"
#include "core/SystemClock.h"
#include "gang/GangSocket.h"
#include "link/PortMap.h"
#include "schemes/SchemeFile.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempSettings.h"
#include "ui/GangSocketsDialog.h"
#include "ui/GangWindow.h"
#include "ui/Tones.h"

namespace kv {
namespace {

// The sockets dialog's rows become the stored sockets, the window shows a
// tile per stored socket, the scheme chosen once goes to every socket, and a
// socket whose programmer cannot even be started shows the failure on its
// own tile in red, counted, while the other tile stays waiting.
TEST(GangWindow, TilesFollowTheStoredSocketsAndShowAFailure) {
    test::TempSettings settings;
    test::FakePrompts prompts;
    SystemClock clock;

    ui::GangSocketsDialog dialog(QList<GangSocket>{{"COM2", "9600,n,8,1"}});
    EXPECT_EQ(dialog.box(0, "port")->currentText(), "COM2");
    EXPECT_EQ(dialog.box(0, "speed")->currentText(), "9600");
    dialog.countBox()->setValue(2);
    dialog.box(1, "port")->setEditText("/dev/serial/by-id/usb-hv-2");
    dialog.box(1, "speed")->setCurrentText("57600");
    const QList<GangSocket> chosen = dialog.sockets();
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0].port, "COM2");
    EXPECT_EQ(chosen[0].baud(), "9600");
    EXPECT_EQ(chosen[1].port, "/dev/serial/by-id/usb-hv-2");
    EXPECT_EQ(chosen[1].baud(), "57600");
    ASSERT_TRUE(GangSockets::store(settings, chosen));

    // The device behind a COM number is shown beside it.
    ASSERT_TRUE(settings.write("端口映射", "COM2", settings.fileIn("ttyHV0")));
    PortMap map(&settings);
    ui::GangWindow window(settings, prompts, clock, settings.fileIn("no-such-cli"), &map);
    EXPECT_EQ(window.runner().count(), 2);
    ASSERT_NE(window.tile(1), nullptr);
    EXPECT_EQ(window.tile(2), nullptr);
    EXPECT_TRUE(
        window.tileLabel(0, "port")->text().startsWith("COM2 (" + settings.fileIn("ttyHV0")))
        << window.tileLabel(0, "port")->text().toStdString();
    EXPECT_TRUE(window.tileLabel(1, "port")->text().startsWith("/dev/serial/by-id/usb-hv-2"));
    EXPECT_FALSE(window.startAllButton()->isEnabled()) << "no scheme chosen yet";

    prompts.answers << settings.fileIn("line3.SET");
    window.chooseScheme();
    EXPECT_EQ(GangSockets::loadScheme(settings), settings.fileIn("line3.SET"));
    EXPECT_EQ(window.runner().command(), QStringList({"run", settings.fileIn("line3.SET")}));
    ASSERT_TRUE(window.startAllButton()->isEnabled());

    // A port the main window holds is refused up front, by its name or by
    // the device behind it, and nothing starts.
    ASSERT_TRUE(settings.write("端口映射", "COM3", "/dev/serial/by-id/usb-hv-2"));
    for (const auto& [held, socket] : {std::pair{2, 0}, std::pair{3, 1}}) {
        window.setHeldPort([held = held] { return std::optional<int>(held); });
        const qsizetype before = prompts.warnings.size();
        window.tileStart(socket)->click();
        window.startAllButton()->click();
        ASSERT_EQ(prompts.warnings.size(), before + 2) << held;
        EXPECT_TRUE(prompts.warnings.last().second.contains(QStringLiteral("COM%1").arg(held)));
        EXPECT_TRUE(
            prompts.warnings.last().second.contains(window.runner().sockets()[socket].port));
        EXPECT_FALSE(window.runner().anyRunning());
    }
    window.setHeldPort([] { return std::optional<int>(); });

    window.tileStart(0)->click();
    for (int i = 0; i < 100 && window.runner().state(0).phase != SocketState::Phase::Failed; ++i)
        QTest::qWait(20);
    const SocketState& s = window.runner().state(0);
    EXPECT_EQ(s.phase, SocketState::Phase::Failed);
    EXPECT_FALSE(s.reason.isEmpty());
    QLabel* result = window.tileLabel(0, "result");
    EXPECT_TRUE(result->text().remove(QChar(0x200B)).contains(s.reason));
    // However narrow the window, the text wraps inside its tile, below the bar.
    window.show();
    window.resize(200, 100);
    QTest::qWait(50);
    EXPECT_GE(result->height(), result->heightForWidth(result->width()));
    EXPECT_GE(result->y(), window.tileProgress(0)->geometry().bottom());
    EXPECT_LE(result->geometry().bottom(), window.tileLabel(0, "time")->y());
    EXPECT_LE(result->geometry().right(), window.tile(0)->contentsRect().right());
    // Red, and legible on the window's colour.
    const QColor shown = result->palette().color(result->foregroundRole());
    EXPECT_GT(shown.red(), 2 * shown.green());
    EXPECT_GE(ui::contrastRatio(shown, result->palette().color(result->backgroundRole())), 4.5);
    EXPECT_EQ(window.tileLabel(0, "counts")->text(), "通过 0  失败 1");
    EXPECT_EQ(window.runner().state(1).phase, SocketState::Phase::Waiting);
    EXPECT_EQ(window.tileLabel(1, "counts")->text(), "通过 0  失败 0");
    EXPECT_FALSE(window.stopAllButton()->isEnabled());

    // A scheme that never loads its files would fail every socket alike: the
    // window says what to do instead, and starts none.
    Scheme noReload;
    noReload.model = QStringLiteral("ATMEGA8");
    noReload.fuseBits = QString(32, u'1');
    noReload.options[1] = 1;
    noReload.flashPath = settings.fileIn("fw.hex");
    noReload.flashAddress = QStringLiteral("8191");
    noReload.eepromAddress = QStringLiteral("511");
    SchemeFile::save(settings.fileIn("noreload.SET"), noReload);
    prompts.answers << settings.fileIn("noreload.SET");
    window.chooseScheme();
    const qsizetype warned = prompts.warnings.size();
    window.startAllButton()->click();
    ASSERT_EQ(prompts.warnings.size(), warned + 1);
    EXPECT_TRUE(prompts.warnings.last().second.contains(QStringLiteral("文件重载")))
        << prompts.warnings.last().second.toStdString();
    EXPECT_FALSE(window.runner().anyRunning());
}

// The children are told the window's language, whatever their own locale
// would choose: an English window's tiles read English.
TEST(GangWindow, TheChildrenSpeakTheWindowsLanguage) {
    const LanguageTexts english(Language::English);
    test::TempSettings settings;
    test::FakePrompts prompts;
    SystemClock clock;
    ASSERT_TRUE(GangSockets::store(settings, {{settings.fileIn("no-such-port"), "115200,n,8,1"}}));
    ASSERT_TRUE(GangSockets::storeScheme(settings, settings.fileIn("line3.SET")));
    ui::GangWindow window(settings, prompts, clock, QStringLiteral(KV_BIN_DIR "/kelvaro-cli"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.fileIn("config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), settings.fileIn("data"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    window.runner().setEnvironment(env);

    window.tileStart(0)->click();
    for (int i = 0; i < 500 && window.runner().state(0).phase != SocketState::Phase::Failed; ++i)
        QTest::qWait(20);
    const QString reason = window.runner().state(0).reason;
    ASSERT_FALSE(reason.isEmpty());
    // The tile as shown and as a screen reader reads it: no Chinese
    // punctuation, and no break marks in what is read.
    QLabel* result = window.tileLabel(0, "result");
    const QString read = QAccessible::queryAccessibleInterface(result)->text(QAccessible::Name);
    EXPECT_FALSE(read.contains(QChar(0x200B))) << read.toStdString();
    EXPECT_TRUE(read.contains(reason));
    for (const QString& text : {reason, result->text(), read}) {
        for (const QChar c : text)
            EXPECT_FALSE((c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF) ||
                         (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF))
                << text.toStdString();
    }
}

}  // namespace
}  // namespace kv
