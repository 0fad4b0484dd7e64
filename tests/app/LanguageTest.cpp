// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/Language.h"
#include "link/ProgrammerReplies.h"
#include "sim/ProgrammerTexts.h"
#include "tests/support/SimRig.h"

namespace kv::test {
namespace {

struct Choice {
    const char* commandLine;
    const char* setting;
    QLocale::Language locale;
    Language expected;
    bool commandLineProgram = false;  // kelvaro-cli's choice, not the window's
};

// --lang, then the setting, then the locale; a value that is no language
// falls through to the next source instead of choosing one. Without a
// locale the window speaks Chinese, kelvaro-cli English.
TEST(Language, CommandLineThenSettingThenLocaleThenChinese) {
    const Choice choices[] = {
        {"en", "zh", QLocale::Chinese, Language::English},
        {"ZH", "en", QLocale::English, Language::Chinese},
        {"", "en", QLocale::Chinese, Language::English},
        {"", " zh ", QLocale::English, Language::Chinese},
        {"", "", QLocale::English, Language::English},
        {"", "fr", QLocale::English, Language::English},
        {"fr", "", QLocale::German, Language::Chinese},
        {"", "", QLocale::C, Language::Chinese},
        {"", "", QLocale::C, Language::English, true},
        {"", "zh", QLocale::C, Language::Chinese, true},
        {"", "", QLocale::Chinese, Language::Chinese, true},
    };
    for (const Choice& c : choices) {
        const auto choose = c.commandLineProgram ? chooseCommandLineLanguage : chooseLanguage;
        EXPECT_EQ(choose(QString::fromLatin1(c.commandLine), QString::fromLatin1(c.setting),
                         QLocale(c.locale)),
                  c.expected)
            << c.commandLine << "|" << c.setting << "|" << int(c.locale);
    }
}

// The option parser's reading: one dash or two, the last one wins.
TEST(Language, ArgumentAsTheOptionParserTakesIt) {
    EXPECT_EQ(languageArgument({"kelvaro-cli", "--lang", "en", "detect"}), "en");
    EXPECT_EQ(languageArgument({"--json", "--lang=zh", "detect"}), "zh");
    EXPECT_EQ(languageArgument({"detect", "--lang"}), "");
    EXPECT_EQ(languageArgument({"--language", "en"}), "");
    EXPECT_EQ(languageArgument({"-lang", "en", "frobnicate"}), "en");
    EXPECT_EQ(languageArgument({"-lang=en", "detect"}), "en");
    EXPECT_EQ(languageArgument({"--lang", "zh", "detect", "--lang", "en"}), "en");
    EXPECT_EQ(languageArgument({"--lang=en", "write-flash", "--", "--lang"}), "en");
}

// Without a translator the texts stay the Chinese sources; English needs the
// translation the program carries.
TEST(Language, EnglishLoadsTheBuiltInTranslationAndEndsWithIt) {
    const QString source = QStringLiteral("--lang 应为 en 或 zh，而不是“%1”");
    EXPECT_EQ(badLanguageText(QStringLiteral("fr")), source.arg(QStringLiteral("fr")));
    {
        const LanguageTexts texts(Language::English);
        EXPECT_TRUE(texts.complete());
        EXPECT_EQ(currentLanguage(), Language::English);
        EXPECT_NE(badLanguageText(QStringLiteral("fr")), source.arg(QStringLiteral("fr")));
        EXPECT_TRUE(badLanguageText(QStringLiteral("fr")).contains(QStringLiteral("fr")));
    }
    EXPECT_EQ(currentLanguage(), Language::Chinese);
    EXPECT_EQ(badLanguageText(QStringLiteral("fr")), source.arg(QStringLiteral("fr")));
}

bool hasIdeographs(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

// The programmer's answers read in the user's language; the link still hands
// its callers, and so every comparison, the answer as sent.
TEST(Language, ProgrammerRepliesAreShownInTheUsersLanguageAndKeptAsSent) {
    using namespace sim::texts;
    const QStringList sent{kConnected,      kFusesWritten,   kFusesNotWritten,
                           kFusesRecovered, kLockWritten,    kErased,
                           kFlashWritten,   kUnknownCommand, kBadArguments};
    EXPECT_EQ(replies::known(), sent);
    const QString other = QStringLiteral("V2.3 固件");
    // Two answers that arrived within one wait.
    const QString both =
        QString::fromUtf8(kErased) + QStringLiteral("\r\n") + QString::fromUtf8(kFlashWritten);
    for (const QString& reply : sent + QStringList{other, both})
        EXPECT_EQ(replies::presented(reply), reply) << "Chinese: as sent";
    {
        const LanguageTexts texts(Language::English);
        for (const QString& reply : sent) {
            EXPECT_FALSE(hasIdeographs(replies::presented(reply))) << reply.toStdString();
            EXPECT_TRUE(replies::presented(reply).endsWith(u'!')) << reply.toStdString();
        }
        EXPECT_EQ(replies::presented(other), other) << "an unknown answer stays as sent";
        EXPECT_FALSE(hasIdeographs(replies::presented(both)));

        test::SimRig rig;
        rig.link.sendCommand(QStringLiteral("EM#"));
        EXPECT_EQ(rig.link.logReplyAfter(100), QString::fromUtf8(kErased));
        EXPECT_EQ(rig.log, QStringList{replies::presented(QString::fromUtf8(kErased))});
        EXPECT_NE(rig.log.last(), QString::fromUtf8(kErased));
    }
}

}  // namespace
}  // namespace kv::test
