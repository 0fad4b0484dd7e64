// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QStringList>

#include "core/OperationError.h"
#include "schemes/SchemeText.h"
#include "tests/support/ThrownText.h"

namespace kv {
namespace {

const QString kBits = QStringLiteral("11111111111111111101100111100001");

Scheme sampleScheme() {
    return {.model = QStringLiteral("ATMEGA16"),
            .fuseBits = QStringLiteral("********11011001111000011111****"),
            .options = {1, 1, 0, 0, 2, 1, 0, 0, 1, 0},
            .flashPath = QStringLiteral("D:\\固件\\main.hex"),
            .eepromPath = QString(),
            .calibrationSlot = 2,
            .calibrationTarget = 1,
            .flashAddress = QStringLiteral("16383"),
            .eepromAddress = QStringLiteral("511")};
}

QString crlfLines(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString messageOf(const QString& text) {
    return test::thrownText([&] { schemeFromText(text); });
}

TEST(SchemeText, WritesNineLinesWithBlankBeforeIndices) {
    const QString text = schemeToText(sampleScheme());
    EXPECT_EQ(text,
              crlfLines({"ATMEGA16", "********11011001111000011111****", "1100210010",
                         QStringLiteral("D:\\固件\\main.hex"), "", " 2", " 1", "16383", "511"}));
    EXPECT_EQ(schemeFromText(text), sampleScheme());
}

TEST(SchemeText, NothingSelectedKeepsNineLinesAndReadsBackAsNone) {
    Scheme s = sampleScheme();
    s.calibrationSlot.reset();
    s.calibrationTarget.reset();
    const QString text = schemeToText(s);
    EXPECT_EQ(text.split(QStringLiteral("\r\n")).mid(5, 4), QStringList({"", "", "16383", "511"}));
    EXPECT_EQ(schemeFromText(text), s);
}

TEST(SchemeText, EightLineFileFromOlderCopyIsNotShifted) {
    // Saved with no slot selected: line 6 is the target.
    Scheme s =
        schemeFromText(crlfLines({"ATMEGA8", kBits, "1000000000", "", "", " 1", "8190", "500"}));
    EXPECT_FALSE(s.calibrationSlot.has_value());
    EXPECT_EQ(s.calibrationTarget, 1);
    EXPECT_EQ(s.flashAddress, "8190");
    EXPECT_EQ(s.eepromAddress, "500");

    // Indices 2 and 3 can only be a slot: the target was the missing line.
    s = schemeFromText(crlfLines({"ATMEGA8", kBits, "1000000000", "", "", " 3", "8190", "500"}));
    EXPECT_EQ(s.calibrationSlot, 3);
    EXPECT_FALSE(s.calibrationTarget.has_value());

    s = schemeFromText(crlfLines({"ATMEGA8", kBits, "1000000000", "", "", "8191", "511"}));
    EXPECT_FALSE(s.calibrationSlot.has_value());
    EXPECT_FALSE(s.calibrationTarget.has_value());
    EXPECT_EQ(s.flashAddress, "8191");
    EXPECT_EQ(s.eepromAddress, "511");
}

TEST(SchemeText, ShortOptionLineLeavesTheRestOff) {
    const Scheme s =
        schemeFromText(crlfLines({"ATMEGA8", kBits, "12", "", "", " 0", " 0", "0", "0"}));
    const std::array<int, 10> expected{1, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(s.options, expected);
}

TEST(SchemeText, AcceptsLineFeedsAndAMissingLastTerminator) {
    const Scheme s = schemeFromText(
        QStringLiteral("ATMEGA8\n%1\n0000010000\na.hex\nb.eep\n 0\n 0\n100\n7").arg(kBits));
    EXPECT_EQ(s.model, "ATMEGA8");
    EXPECT_EQ(s.options[5], 1);
    EXPECT_EQ(s.eepromAddress, "7");
}

TEST(SchemeText, RefusesABrokenFileNamingTheLine) {
    const QStringList good{"ATMEGA8", kBits, "1000000000", "", "", " 0", " 0", "8191", "511"};
    struct Case {
        int line;  // 0-based line to replace
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {0, "", QStringLiteral("第1行")},
        {1, kBits.left(31), QStringLiteral("第2行")},
        {1, kBits.left(31) + "2", QStringLiteral("第2行")},
        {2, "1000000003", QStringLiteral("第3行")},
        {0, "ATmega16x", QStringLiteral("第1行:芯片型号“ATmega16x”")},
        {0, "NOSUCHCHIP", QStringLiteral("第1行")},
        {2, "100000000X", QStringLiteral("第3行")},
        {5, " 4", QStringLiteral("第6行")},
        {5, "x", QStringLiteral("第6行")},
        {6, " 2", QStringLiteral("第7行")},
        {3, "C:\\work\\blink.h\rxe", QStringLiteral("第4行:路径中有回车符")},
    };
    for (const Case& c : cases) {
        QStringList lines = good;
        lines[c.line] = c.text;
        const QString message = messageOf(crlfLines(lines));
        EXPECT_TRUE(message.startsWith(QStringLiteral("方案文件格式错误,未载入任何设置!")))
            << c.line << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(c.expected)) << c.line << ": " << message.toStdString();
    }
    EXPECT_TRUE(messageOf(crlfLines(good.mid(0, 6))).contains(QStringLiteral("共6行")));
    // An 8-line file whose only index line is empty cannot be placed.
    QStringList eight = good.mid(0, 8);
    eight.removeAt(5);
    eight.insert(5, "");
    EXPECT_TRUE(messageOf(crlfLines(eight)).contains(QStringLiteral("第6行")));
}

// A name differing from the table's in case or blanks is that model, never the
// fallback one.
TEST(SchemeText, ModelNamesMatchIgnoringCaseAndSurroundingBlanks) {
    const std::pair<QString, QString> cases[] = {
        {"atmega16", "ATMEGA16"},
        {" ATtiny2313\t", "ATTINY2313"},
        {"ATMEGA88 ", "ATMEGA88"},
        {"AtMega8", "ATMEGA8"},
    };
    for (const auto& [line, model] : cases) {
        const Scheme s = schemeFromText(
            crlfLines({line, kBits, "1000000000", "", "", " 0", " 0", "8191", "511"}));
        EXPECT_EQ(s.model, model) << line.toStdString();
    }
}

// What an editor or an older copy leaves after line 9, or after the tenth
// option digit, was never read.
TEST(SchemeText, LinesAfterTheNinthAndOptionsAfterTheTenthAreIgnored) {
    const QStringList good{"ATMEGA8", kBits, "1000000001", "a.hex", "", " 3", " 1", "8191", "511"};
    const Scheme expected = schemeFromText(crlfLines(good));
    EXPECT_EQ(schemeFromText(crlfLines(good + QStringList{""})), expected);
    EXPECT_EQ(schemeFromText(crlfLines(good + QStringList{"备注", "x"})), expected);
    QStringList longOptions = good;
    longOptions[2] =
        "1000000001"
        "2X 7";
    EXPECT_EQ(schemeFromText(crlfLines(longOptions)), expected);
}

TEST(SchemeText, AddressLinesAreTakenAsAnOlderCopySavedThem) {
    // An address box may hold a typing slip or nothing; the rest of the set-up
    // still loads and the box's own rule and the calibration write deal with it.
    const Scheme s = schemeFromText(
        crlfLines({"ATMEGA8", kBits, "1000000000", "a.hex", "", " 1", " 0", "81a1", ""}));
    EXPECT_EQ(s.flashAddress, "81a1");
    EXPECT_EQ(s.eepromAddress, "");
    EXPECT_EQ(s.calibrationSlot, 1);
    EXPECT_EQ(s.flashPath, "a.hex");
    const Scheme eight =
        schemeFromText(crlfLines({"ATMEGA8", kBits, "1000000000", "", "", " 0", "-1", " 7"}));
    EXPECT_EQ(eight.flashAddress, "-1");
    EXPECT_EQ(eight.eepromAddress, " 7");
}

TEST(SchemeText, RefusesToSaveABadAddressOrAPathWithALineBreak) {
    Scheme s = sampleScheme();
    s.flashAddress = QStringLiteral("81a1");
    EXPECT_EQ(test::thrownText([&] { schemeToText(s); }), QStringLiteral("地址框数据格式错误!"));
    s = sampleScheme();
    s.eepromPath = QStringLiteral("a\r\nb");
    EXPECT_THROW(schemeToText(s), OperationError);
}

}  // namespace
}  // namespace kv
