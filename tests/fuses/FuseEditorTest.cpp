// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "FuseTestSupport.h"
#include "fuses/FuseBitText.h"
#include "fuses/FuseEditor.h"

namespace {

using kv::FuseCell;
using kv::FuseEditor;
using kv::test::bits;
using kv::test::makeDefinitions;

const QString kOnes = QStringLiteral("11111111");

QStringList checkedKeys(const FuseEditor& e) {
    QStringList keys;
    for (const auto& o : e.options()) {
        if (o.checked)
            keys << o.key;
    }
    return keys;
}

TEST(FuseEditor, ApplyFuseBitsSetsCellsColoursAndFrameCaptions) {
    FuseEditor e;
    e.applyFuseBits(bits(kOnes, kOnes, "11011001", "11100001"));
    EXPECT_EQ(e.frameCaption(0), QStringLiteral("熔丝低字节[E1]"));
    EXPECT_EQ(e.frameCaption(1), QStringLiteral("熔丝高字节[D9]"));
    EXPECT_EQ(e.frameCaption(2), QStringLiteral("扩展熔丝位[FF]"));
    EXPECT_EQ(e.frameCaption(3), QStringLiteral("锁定位[FF]"));
    EXPECT_EQ(e.fuseLow(), 0xE1);
    EXPECT_EQ(e.fuseHigh(), 0xD9);
    for (int i = 0; i < 32; ++i) {
        const bool programmed = (i >= 1 && i <= 4) || i == 9 || i == 10 || i == 13;
        EXPECT_EQ(e.cell(i).caption, programmed ? "0" : "1") << i;
        EXPECT_EQ(e.cell(i).colour,
                  programmed ? FuseCell::kProgrammedColour : FuseCell::kUnprogrammedColour)
            << i;
        EXPECT_TRUE(e.cell(i).enabled && e.cell(i).bold) << i;
    }
    EXPECT_EQ(e.fuseBitString(), bits(kOnes, kOnes, "11011001", "11100001"));
}

TEST(FuseEditor, StarCellsAreDisabledAndCountAsOne) {
    FuseEditor e;
    e.applyFuseBits(bits("**111111", kOnes, kOnes, kOnes));
    for (int i : {31, 30}) {
        EXPECT_EQ(e.cell(i).caption, "*");
        EXPECT_FALSE(e.cell(i).enabled);
        EXPECT_FALSE(e.bitName(i).enabled);
    }
    EXPECT_TRUE(e.cell(29).enabled && e.bitName(29).enabled);
    EXPECT_EQ(e.frameCaption(3), QStringLiteral("锁定位[FF]"));

    // A disabled cell ignores clicks; applying "1" enables it again.
    e.toggleBitCell(31);
    EXPECT_EQ(e.cell(31).caption, "*");
    e.applyFuseBits(QString(32, QLatin1Char('1')));
    EXPECT_TRUE(e.cell(31).enabled && e.bitName(31).enabled);
}

TEST(FuseEditor, LongStringsAreCutAndShortOnesLeaveEmptyCells) {
    FuseEditor e;
    e.applyFuseBits(bits(kOnes, kOnes, "11011001", "11100001") + "00000000");
    EXPECT_EQ(e.frameCaption(0), QStringLiteral("熔丝低字节[E1]"));
    EXPECT_EQ(e.fuseBitString().size(), 32);

    e.applyFuseBits(QString(31, QLatin1Char('1')));
    EXPECT_EQ(e.cell(0).caption, "");
    EXPECT_EQ(e.cell(0).colour, FuseCell::kProgrammedColour);
    EXPECT_TRUE(e.cell(0).enabled);
    EXPECT_EQ(e.fuseLow(), 0xFE);
    EXPECT_FALSE(e.cellsClean(0, 7));
    EXPECT_TRUE(e.cellsClean(1, 31));
}

TEST(FuseEditor, SingleBitOptionFollowsItsCell) {
    FuseEditor e;
    e.setDefinitions(makeDefinitions(QString(), {{"FSBQJFFFE/0000", "bit 0"}}));
    e.applyFuseBits(bits(kOnes, kOnes, "11011001", "11100001"));
    EXPECT_FALSE(e.options()[0].checked);

    e.setOptionChecked(1, true);
    e.settlePendingOption();
    EXPECT_EQ(e.fuseLow(), 0xE0);
    EXPECT_EQ(e.fuseHigh(), 0xD9);
    EXPECT_TRUE(e.options()[0].checked);

    e.setOptionChecked(1, false);
    e.settlePendingOption();  // a single bit stays unchecked
    EXPECT_EQ(e.fuseLow(), 0xE1);
    EXPECT_FALSE(e.options()[0].checked);
    EXPECT_EQ(e.options()[0].checked, e.cell(0).caption == "0");

    // A click on the cell checks the option again and lowers the byte by one.
    e.toggleBitCell(0);
    EXPECT_EQ(e.cell(0).caption, "0");
    EXPECT_EQ(e.cell(0).colour, FuseCell::kProgrammedColour);
    EXPECT_EQ(e.fuseLow(), 0xE0);
    EXPECT_TRUE(e.options()[0].checked);
}

TEST(FuseEditor, GroupChoiceSetsItsBitsAndStaysChecked) {
    FuseEditor e;
    e.setDefinitions(makeDefinitions(
        QString(),
        {{"FDBSZFFF0/0001", "one"}, {"FDBSZFFF0/0004", "four"}, {"FDBSZFFF0/000F", "fifteen"}}));
    e.applyFuseBits(bits(kOnes, kOnes, "11011001", "11100001"));
    EXPECT_EQ(checkedKeys(e), QStringList{"FDBSZFFF0/0001"});

    e.setOptionChecked(2, true);
    e.settlePendingOption();
    EXPECT_EQ(e.fuseLow(), 0xE4);
    EXPECT_EQ(checkedKeys(e), QStringList{"FDBSZFFF0/0004"});
    EXPECT_EQ(e.selectedOption(), 2);
    EXPECT_EQ(e.pendingOption(), 0);

    // Unchecking the checked choice cannot uncheck it and changes no bit.
    e.setOptionChecked(2, false);
    EXPECT_EQ(e.pendingOption(), 2);
    e.settlePendingOption();
    EXPECT_EQ(e.fuseLow(), 0xE4);
    EXPECT_EQ(checkedKeys(e), QStringList{"FDBSZFFF0/0004"});

    // Bits that match no choice leave the whole group unchecked.
    e.toggleBitCell(3);
    EXPECT_EQ(e.fuseLow(), 0xEC);
    EXPECT_TRUE(checkedKeys(e).isEmpty());
}

TEST(FuseEditor, LockGroupTakesBitsSevenAndSixFromItsValue) {
    FuseEditor e;
    e.setDefinitions(
        makeDefinitions(QString(), {{"FDLLK00FC/0000", "lock*"}, {"FDLLK00FC/0003", "none"}}));
    e.applyFuseBits(bits("**111111", kOnes, kOnes, kOnes));
    e.setOptionChecked(1, true);
    e.settlePendingOption();
    EXPECT_EQ(e.fuseBitString().left(8), "**111100");
    EXPECT_EQ(e.frameCaption(3), QStringLiteral("锁定位[FC]"));
    EXPECT_EQ(checkedKeys(e), QStringList{"FDLLK00FC/0000"});

    e.applyFuseBits(QString(32, QLatin1Char('1')));
    e.setOptionChecked(1, true);
    e.settlePendingOption();
    EXPECT_EQ(e.fuseBitString().left(8), "00111100");
    EXPECT_EQ(e.frameCaption(3), QStringLiteral("锁定位[3C]"));
    EXPECT_EQ(e.fuseBitString().mid(8), QString(24, QLatin1Char('1')));
}

TEST(FuseEditor, ExtendedByteOptionsAndStarPutBack) {
    FuseEditor e;
    e.setDefinitions(makeDefinitions(QString(), {{"FSERV00FE/0000", "boot reset"},
                                                 {"FDEYQ00F9/0000", "1024"},
                                                 {"FDEYQ00F9/0006", "128"},
                                                 {"FDBSZFFF0/0000", "ext clock"}}));
    e.applyFuseBits(bits("**111111", "*****001", kOnes, "1111*111"));
    EXPECT_EQ(checkedKeys(e), (QStringList{"FDEYQ00F9/0000"}));

    e.setOptionChecked(1, true);
    EXPECT_EQ(e.fuseBitString().mid(8, 8), "*****000");
    EXPECT_EQ(e.frameCaption(2), QStringLiteral("扩展熔丝位[F8]"));
    EXPECT_TRUE(e.options()[0].checked);
    EXPECT_EQ(e.fuseBitString().mid(16), QStringLiteral("11111111") + "1111*111");

    e.setOptionChecked(3, true);
    e.settlePendingOption();
    e.setOptionChecked(1, false);
    EXPECT_EQ(e.fuseBitString().mid(8, 8), "*****111");
    EXPECT_EQ(e.frameCaption(2), QStringLiteral("扩展熔丝位[FF]"));
    EXPECT_FALSE(e.options()[0].checked);

    // A "*" inside a group's bits counts as 0 and comes back unchanged.
    e.setOptionChecked(4, true);
    EXPECT_EQ(e.fuseBitString().right(8), "1111*000");
    EXPECT_FALSE(e.cell(3).enabled);
}

TEST(FuseEditor, DefaultsComeBackOnFrameDoubleClick) {
    FuseEditor e;
    const QString defaults = bits("**111111", "********", "11011001", "11100001");
    e.setDefinitions(makeDefinitions(
        defaults,
        {{"FSBQJFFFE/0000", "bit 0"}, {"FDBSZFFF0/0001", "one"}, {"FDBSZFFF0/0004", "four"}}));
    e.applyFuseBits(QString(32, QLatin1Char('0')));
    EXPECT_EQ(checkedKeys(e), QStringList{"FSBQJFFFE/0000"});
    e.restoreDefaultBits();
    EXPECT_EQ(e.fuseBitString(), defaults);
    EXPECT_EQ(checkedKeys(e), QStringList{"FDBSZFFF0/0001"});
}

TEST(FuseEditor, MalformedKeysHaveNoEffect) {
    const QStringList bad = {"FDBSZFFF0/00G1", "FXBSZFFF0/0001", "FSBSZFFF0/0000",
                             "FSESZF0FE/0000", "FDBSZFFF0/0010", "FDBSZFFF0-0001",
                             "FDBSZfff0/0001", "FDBSZ FFF0/001"};
    for (const QString& key : bad) {
        FuseEditor e;
        e.setDefinitions(makeDefinitions(QString(), {{key, "bad"}}));
        const QString before = bits(kOnes, kOnes, "11011001", "11100001");
        e.applyFuseBits(before);
        const bool wasChecked = e.options()[0].checked;
        int checks = 0;
        QObject::connect(&e, &FuseEditor::checksChanged, [&] { ++checks; });
        e.setOptionChecked(1, !wasChecked);
        e.settlePendingOption();
        EXPECT_EQ(e.fuseBitString(), before) << key.toStdString();
        EXPECT_EQ(e.options()[0].checked, wasChecked) << key.toStdString();
        EXPECT_GE(checks, 1) << "the window must put the box back";
    }
}

TEST(FuseEditor, MalformedSingleBitKeyDoesNotHideAValidOne) {
    FuseEditor e;
    e.setDefinitions(makeDefinitions(QString(), {{"FSBQJFFFE/00G0", "bad bit 0"},
                                                 {"FSBRSFFFE/0000", "bit 0"},
                                                 {"FSEQJ00FE/X000", "bad ext bit 0"},
                                                 {"FSERS00FE/0000", "ext bit 0"}}));
    e.applyFuseBits(bits(kOnes, "11111110", kOnes, "11111110"));
    EXPECT_EQ(checkedKeys(e), (QStringList{"FSBRSFFFE/0000", "FSERS00FE/0000"}));
}

// Stages run single bits first, then groups of the word, extended byte and lock
// byte; a group stage unchecks every option whose key contains the group's mask
// text, whatever its kind, and only the first single-bit option of a mask
// follows its cell.
TEST(FuseEditor, SyncStagesRunInOrderAndMatchKeysByContainedText) {
    FuseEditor e;
    auto d = makeDefinitions(QString(), {{"FSBQJFFFE/FFF0", "bit 0, value text = group mask"},
                                         {"FSBZZFFFE/0000", "second option of bit 0"},
                                         {"FDBSZFFF0/0001", "one"},
                                         {"FDBSZFFF0/0000", "zero"},
                                         {"FSBQJFFFD/00FC", "bit 1, value text = lock mask"},
                                         {"FDEQY00FC/0002", "extended group, lock's mask"},
                                         {"FDLLK00FC/0003", "no lock"}});
    d.options[1].checked = true;
    e.setDefinitions(d);
    e.applyFuseBits(bits(kOnes, "11111110", kOnes, "11110000"));
    EXPECT_EQ(checkedKeys(e), (QStringList{"FSBZZFFFE/0000", "FDBSZFFF0/0000", "FDLLK00FC/0003"}));

    // Without the groups, the single bits follow their cells.
    e.setDefinitions(
        makeDefinitions(QString(), {{"FSBQJFFFE/FFF0", "bit 0"}, {"FSBQJFFFD/00FC", "bit 1"}}));
    e.applyFuseBits(bits(kOnes, kOnes, kOnes, "11110000"));
    EXPECT_EQ(checkedKeys(e), (QStringList{"FSBQJFFFE/FFF0", "FSBQJFFFD/00FC"}));
}

TEST(FuseEditor, OptionNeverTurnsUnknownCellsIntoProgrammedBits) {
    FuseEditor e;  // first start without definitions: every cell empty
    e.setDefinitions(
        makeDefinitions(QString(), {{"FDBSZFFF0/0004", "four"}, {"FSBQJEFFF/0000", "bit 12"}}));
    EXPECT_FALSE(e.cellsClean(0, 31));
    e.setOptionChecked(1, true);
    EXPECT_EQ(e.fuseBitString(), "0100");  // only the group's four cells are known
    e.setOptionChecked(2, false);
    EXPECT_EQ(e.cell(12).caption, "1");
    EXPECT_EQ(e.cell(13).caption, "");
    EXPECT_FALSE(e.cellsClean(0, 15));
}

TEST(FuseEditor, SignalsTellTheWindowWhatChanged) {
    FuseEditor e;
    int cells = 0, checks = 0, defs = 0;
    QObject::connect(&e, &FuseEditor::cellsChanged, [&] { ++cells; });
    QObject::connect(&e, &FuseEditor::checksChanged, [&] { ++checks; });
    QObject::connect(&e, &FuseEditor::definitionsChanged, [&] { ++defs; });
    e.setDefinitions(makeDefinitions(QString(), {{"FSBQJFFFE/0000", "bit 0"}}));
    EXPECT_EQ(defs, 1);
    EXPECT_EQ(cells + checks, 0);
    e.applyFuseBits(QString(32, QLatin1Char('1')));
    EXPECT_EQ(cells, 1);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(defs, 1);
}

TEST(FuseBitText, Conversions) {
    EXPECT_EQ(kv::hexToBin("1f"), "00011111");
    EXPECT_EQ(kv::hexToBin("1G"), "");
    EXPECT_EQ(kv::hexToBin(""), "");
    EXPECT_EQ(kv::binToDec("0101"), "5");
    EXPECT_EQ(kv::binToDec("1*1"), "5");
    EXPECT_EQ(kv::binToDec(""), "0");
    EXPECT_EQ(kv::decToBin("0"), "0");
    EXPECT_EQ(kv::decToBin("254"), "11111110");
    EXPECT_EQ(kv::decToBin("2147483647"), QString(31, QLatin1Char('1')));
}

}  // namespace
