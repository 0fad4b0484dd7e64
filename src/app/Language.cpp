// SPDX-License-Identifier: MIT
#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "settings/SettingsKeys.h"

namespace kv {

namespace {

Language g_current = Language::Chinese;

}  // namespace

std::optional<Language> languageFromCode(const QString& code) {
    const QString c = code.trimmed().toLower();
    if (c == u"en")
        return Language::English;
    if (c == u"zh")
        return Language::Chinese;
    return std::nullopt;
}

QString languageSection() {
    return SettingsKeys::kPort;
}

QString languageKey() {
    return SettingsKeys::kLanguage;
}

QLocale userInterfaceLocale() {
    const QStringList languages = QLocale::system().uiLanguages();
    return languages.isEmpty() ? QLocale::system() : QLocale(languages.first());
}

Language chooseLanguage(const QString& commandLine, const QString& setting, const QLocale& locale) {
    if (const auto given = languageFromCode(commandLine))
        return *given;
    if (const auto stored = languageFromCode(setting))
        return *stored;
    return locale.language() == QLocale::English ? Language::English : Language::Chinese;
}

Language chooseCommandLineLanguage(const QString& commandLine, const QString& setting,
                                   const QLocale& locale) {
    const bool noLocale = locale.language() == QLocale::C;
    return chooseLanguage(commandLine, setting,
                          noLocale ? QLocale(QLocale::English, QLocale::UnitedStates) : locale);
}

QString languageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

QString badLanguageText(const QString& given) {
    return QCoreApplication::translate("Language", "--lang 应为 en 或 zh，而不是“%1”").arg(given);
}

QString languageArgument(const QStringList& arguments) {
    // As kelvaro-cli's option parser reads the line: "-lang" is "--lang", a
    // later one wins, and nothing after "--" is an option.
    QString value;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == u"--")
            break;
        if (a == u"--lang" || a == u"-lang")
            value = i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
        else if (a.startsWith(u"--lang=") || a.startsWith(u"-lang="))
            value = a.section(u'=', 1);
    }
    return value;
}

LanguageTexts::LanguageTexts(Language language, bool qtTexts) {
    if (language == Language::English) {
        m_complete = m_program.load(QStringLiteral(":/i18n/kelvaro_en.qm"));
        if (m_complete)
            QCoreApplication::installTranslator(&m_program);
    } else if (qtTexts) {
        // The standard buttons of Qt's dialogs should read Chinese like the rest.
        if (m_qt.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_qt);
    }
    g_current = language;
}

LanguageTexts::~LanguageTexts() {
    QCoreApplication::removeTranslator(&m_program);
    QCoreApplication::removeTranslator(&m_qt);
    g_current = Language::Chinese;
}

Language currentLanguage() {
    return g_current;
}

}  // namespace kv
