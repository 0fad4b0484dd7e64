// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/ShellTexts.h"

namespace kv::test {
namespace {

using namespace kv::ShellTexts;

TEST(ShellTexts, TextsAreKeptScrambledAndUnscrambleAtStart) {
    const QString title = appTitle();
    EXPECT_TRUE(title.endsWith(QStringLiteral("V2.0.0") + QString(4, QChar(0x3000))));
    const QString phrase = title.chopped(10);
    EXPECT_FALSE(phrase.isEmpty());
    // The program holds none of its phrases in plain form.
    EXPECT_NE(storedTitlePhrase(), phrase);
    EXPECT_FALSE(storedLinkCaption().contains(QStringLiteral("kelvaro")));
    EXPECT_FALSE(linkCaption().isEmpty());
    EXPECT_NE(storedLinkCaption(), linkCaption());

    // Title and banner share a key: the title phrase's first word appears
    // scrambled alike in both.
    const QString word = storedTitlePhrase().left(7);
    EXPECT_TRUE(storedBanner().contains(word));
    EXPECT_TRUE(logBanner().contains(phrase.left(7)));
}

TEST(ShellTexts, BannerDropsItsLastTwoStoredCharactersAndEndsWithTwoLineBreaks) {
    const QString banner = logBanner();
    EXPECT_TRUE(banner.endsWith("\r\n\r\n"));
    EXPECT_EQ(banner.size(), storedBanner().size() - 2 + 4);
    EXPECT_FALSE(banner.chopped(4).endsWith("\r\n"));
}

TEST(ShellTexts, UnscrambleIsTheXorOfEveryCodeUnit) {
    EXPECT_EQ(unscramble(QStringLiteral("AB"), 0x01), QStringLiteral("@C"));
    EXPECT_EQ(unscramble(unscramble(QStringLiteral("编程器 V2"), 0x5A), 0x5A),
              QStringLiteral("编程器 V2"));
    // Plain CR LF inside the stored text come back as line breaks.
    const QString stored =
        unscramble(QStringLiteral("甲"), 0xA5) + "\r\n" + unscramble(QStringLiteral("乙"), 0xA5);
    EXPECT_EQ(unscrambleLines(stored, 0xA5), QStringLiteral("甲\r\n乙"));
    EXPECT_TRUE(aboutText().contains("\r\n"));
}

TEST(ShellTexts, ProductLineDropsTrailingBlanksButKeepsIdeographicSpaces) {
    const QString ideo(2, QChar(0x3000));
    EXPECT_EQ(productLine("T V2  "), "T V2");
    EXPECT_EQ(productLine("T" + ideo + " "), "T" + ideo);
    EXPECT_EQ(productLine(appTitle()), appTitle());
}

}  // namespace
}  // namespace kv::test
