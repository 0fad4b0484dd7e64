// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/Language.h"

namespace kv::test {
namespace {

struct Choice {
    const char* commandLine;
    const char* setting;
    QLocale::Language locale;
    Language expected;
};

// --lang, then the setting, then the locale; a value that is no language
// falls through to the next source instead of choosing one.
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
    };
    for (const Choice& c : choices) {
        EXPECT_EQ(chooseLanguage(QString::fromLatin1(c.commandLine), QString::fromLatin1(c.setting),
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

}  // namespace
}  // namespace kv::test
