// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QJsonObject>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"
#include "ui/ClickableLabel.h"
#include "ui/FuseFrame.h"
#include "ui/MainToolbar.h"
#include "ui/MainWindow.h"
#include "ui/ProgramOptionsBox.h"

namespace kv {
namespace {

const QString kImages = QStringLiteral(KV_TEST_DATA "/images/");

void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

QString hexOf(const QString& path) {
    return QString::fromLatin1(test::readFile(path).toHex().toUpper());
}

TEST(EndToEnd, ProgramsASimulatedChipThroughTheWindow) {
    test::SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA8")});
    ASSERT_TRUE(sim.pts().startsWith(QStringLiteral("/dev/")))
        << "kelvaro-sim did not start (is the kelvaro-sim target built?)";

    test::TempSettings settings(ShellTexts::appTitle());
    PortMap portMap(&settings);
    portMap.setDevicePath(1, sim.pts());
    ASSERT_TRUE(
        settings.write(QStringLiteral("属性"), QStringLiteral("通信端口"), QStringLiteral("1")));
    ASSERT_TRUE(
        settings.write(QStringLiteral("芯片"), QStringLiteral("型号"), QStringLiteral("ATMEGA16")));
    // Erase, FLASH, EEPROM, fuses, both verifies.
    ASSERT_TRUE(settings.write(QStringLiteral("编程选项"), QStringLiteral("设置"),
                               QStringLiteral("1111000011")));

    QtSerialControl port(portMap);
    SystemClock clock;
    QtEventPump pump(clock);
    test::FakePrompts prompts;
    ui::MainWindow window(
        {port, clock, pump, prompts, settings, QStringLiteral(KV_BIN_DIR), &portMap});
    window.load();
    window.show();
    Workbench& wb = window.workbench();
    ASSERT_TRUE(port.isOpen()) << prompts.lines().join('\n').toStdString();

    // "自动选择": the chip in the socket is an ATMEGA8.
    click(window.toolbar()->button(QStringLiteral("SelectMCU")));
    ASSERT_EQ(wb.session().model().selectedModelName(), QStringLiteral("ATMEGA8"));

    prompts.answers << kImages + "blink_m8.hex";
    click(window.openFileButton(0));
    prompts.answers << kImages + "blink_m8.eep";
    click(window.openFileButton(1));
    ASSERT_FALSE(wb.session().flash().image().isEmpty());
    ASSERT_FALSE(wb.session().eeprom().image().isEmpty());

    // Low fuse bit 0 (CKSEL0) from its default 1 to 0: 0xE1 becomes 0xE0.
    ASSERT_EQ(wb.session().fuses().fuseLow(), 0xE1);
    click(window.fuseFrame(0)->cell(0));
    ASSERT_EQ(wb.session().fuses().fuseLow(), 0xE0);

    for (int i : {0, 1, 2, 3, 8, 9}) {
        ASSERT_EQ(window.optionsBox()->value(i), 1) << i;
    }
    // The log keeps only its last 1000 characters: collect everything it shows.
    QString shown;
    QObject::connect(window.logView(), &QPlainTextEdit::textChanged,
                     [&] { shown += window.logView()->toPlainText(); });
    click(window.optionsBox()->programButton());

    const QJsonObject chip = sim.dump();
    ASSERT_FALSE(chip.isEmpty());
    const QString flash = hexOf(kImages + "blink_m8.bin");
    const QString eeprom = hexOf(kImages + "blink_m8.eep.bin");
    const QString chipFlash = chip.value("flash").toString();
    EXPECT_EQ(chipFlash.left(flash.size()), flash);
    EXPECT_EQ(chipFlash.mid(flash.size()), QString(chipFlash.size() - flash.size(), 'F'));
    EXPECT_EQ(chip.value("eeprom").toString().left(eeprom.size()), eeprom);
    EXPECT_EQ(chip.value("fuses").toObject().value("low").toString(), "E0");
    EXPECT_EQ(chip.value("fuses").toObject().value("high").toString(), "D9");

    for (const QString text : {"芯片擦除完成!", "写FLASH......", "FLASH写入完成!", "写EEPROM结束!",
                               "校验FLASH通过。", "校验EEPROM通过。", "熔丝位写入成功!"}) {
        EXPECT_TRUE(shown.contains(text)) << text.toStdString();
    }
    EXPECT_TRUE(prompts.warnings.isEmpty()) << prompts.lines().join('\n').toStdString();
    EXPECT_TRUE(window.optionsBox()->programButton()->isEnabled());
}

}  // namespace
}  // namespace kv
