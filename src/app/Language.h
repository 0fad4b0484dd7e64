// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <optional>

namespace kv {

// The language of the window and of kelvaro-cli. The Chinese texts are the
// program's own; English comes from the translation built into the program.
enum class Language { Chinese, English };

// "en" or "zh" (any case); nullopt for anything else.
std::optional<Language> languageFromCode(const QString& code);

// Where the stored choice lives in the settings ("en" or "zh"); the same
// section as the port settings, so it stays with the program version.
QString languageSection();
QString languageKey();

// The locale of the user's messages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG),
// which may differ from the one for numbers.
QLocale userInterfaceLocale();

// --lang wins, then the stored setting, then the user's locale (English
// locale: English), else Chinese. A value that is not a language counts as
// not given.
Language chooseLanguage(const QString& commandLine, const QString& setting,
                        const QLocale& locale = userInterfaceLocale());

// kelvaro-cli's choice: as chooseLanguage, except that a C or POSIX locale
// (build servers, scripts, no locale at all) speaks English.
Language chooseCommandLineLanguage(const QString& commandLine, const QString& setting,
                                   const QLocale& locale = userInterfaceLocale());

// The code --lang takes for a language: "en" or "zh".
QString languageCode(Language language);

// Why a --lang value was refused.
QString badLanguageText(const QString& given);

// The value of the last "--lang X" or "--lang=X" (or "-lang") among raw
// arguments, as kelvaro-cli's parser takes it; empty when none.
QString languageArgument(const QStringList& arguments);

// Installs the texts of a language into the application for as long as it
// lives. Chinese needs no program translator; qtTexts adds Qt's own texts for
// the standard buttons of a window (Qt's built-in texts are English already).
class LanguageTexts {
public:
    explicit LanguageTexts(Language language, bool qtTexts = false);
    ~LanguageTexts();
    LanguageTexts(const LanguageTexts&) = delete;
    LanguageTexts& operator=(const LanguageTexts&) = delete;

    // False when a translation the language needs could not be loaded.
    bool complete() const { return m_complete; }

private:
    QTranslator m_program;
    QTranslator m_qt;
    bool m_complete = true;
};

// The language last installed by a LanguageTexts still alive; Chinese otherwise.
Language currentLanguage();

}  // namespace kv
