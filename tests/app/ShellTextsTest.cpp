#include <gtest/gtest.h>

#include "app/ShellTexts.h"

namespace kv::test {
namespace {

using namespace kv::ShellTexts;

TEST(ShellTexts, TextsAreKeptScrambledAndUnscrambleAtStart) {
    const QString title = AppTitle();
    EXPECT_TRUE(title.endsWith(QStringLiteral("V2.0.0") + QString(4, QChar(0x3000))));
    const QString phrase = title.chopped(10);
    EXPECT_FALSE(phrase.isEmpty());
    // The program holds none of its phrases in plain form.
    EXPECT_NE(StoredTitlePhrase(), phrase);
    EXPECT_FALSE(StoredLinkCaption().contains(QStringLiteral("kelvaro")));
    EXPECT_FALSE(LinkCaption().isEmpty());
    EXPECT_NE(StoredLinkCaption(), LinkCaption());

    // Title and banner share a key: the title phrase's first word appears
    // scrambled alike in both.
    const QString word = StoredTitlePhrase().left(7);
    EXPECT_TRUE(StoredBanner().contains(word));
    EXPECT_TRUE(LogBanner().contains(phrase.left(7)));
}

TEST(ShellTexts, BannerDropsItsLastTwoStoredCharactersAndEndsWithTwoLineBreaks) {
    const QString banner = LogBanner();
    EXPECT_TRUE(banner.endsWith("\r\n\r\n"));
    EXPECT_EQ(banner.size(), StoredBanner().size() - 2 + 4);
    EXPECT_FALSE(banner.chopped(4).endsWith("\r\n"));
}

TEST(ShellTexts, UnscrambleIsTheXorOfEveryCodeUnit) {
    EXPECT_EQ(Unscramble(QStringLiteral("AB"), 0x01), QStringLiteral("@C"));
    EXPECT_EQ(Unscramble(Unscramble(QStringLiteral("编程器 V2"), 0x5A), 0x5A),
              QStringLiteral("编程器 V2"));
    // Plain CR LF inside the stored text come back as line breaks.
    const QString stored =
        Unscramble(QStringLiteral("甲"), 0xA5) + "\r\n" + Unscramble(QStringLiteral("乙"), 0xA5);
    EXPECT_EQ(UnscrambleLines(stored, 0xA5), QStringLiteral("甲\r\n乙"));
    EXPECT_TRUE(AboutText().contains("\r\n"));
}

TEST(ShellTexts, ProductLineDropsTrailingBlanksButKeepsIdeographicSpaces) {
    const QString ideo(2, QChar(0x3000));
    EXPECT_EQ(ProductLine("T V2  "), "T V2");
    EXPECT_EQ(ProductLine("T" + ideo + " "), "T" + ideo);
    EXPECT_EQ(ProductLine(AppTitle()), AppTitle());
}

}  // namespace
}  // namespace kv::test
