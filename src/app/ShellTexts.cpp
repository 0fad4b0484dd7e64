// SPDX-License-Identifier: MIT
#include "app/ShellTexts.h"

#include <QCoreApplication>

#include "core/Version.h"

namespace kv::ShellTexts {

namespace {

// The title phrase and the banner share one key, the link label has its own.
constexpr quint8 kTitleKey = 0x5A;
constexpr quint8 kLabelKey = 0x3C;
constexpr quint8 kAboutKey = 0xA5;

constexpr char16_t kTitle[] = {
    0x0011, 0x001F, 0x0016, 0x000C, 0x001B, 0x0008, 0x0015,
    0x007A, 0x9A82, 0x53D1, 0x7F4C, 0x7A51, 0x5632, 0x007A,
};
constexpr char16_t kLabel[] = {
    0x8B83, 0x95D2, 0x4E07, 0x9849, 0x001C, 0x0057, 0x0059, 0x0050, 0x004A, 0x005D,
    0x004E, 0x0053, 0x0012, 0x0059, 0x0044, 0x005D, 0x0051, 0x004C, 0x0050, 0x0059,
};
constexpr char16_t kBanner[] = {
    0x0011, 0x001F, 0x0016, 0x000C, 0x001B, 0x0008, 0x0015, 0x007A, 0x9A82, 0x53D1,
    0x7F4C, 0x7A51, 0x5632, 0x0057, 0x0050, 0x8BAD, 0x8F84, 0x63FF, 0x7F4C, 0x7A51,
    0x5632, 0x5E2C, 0x6564, 0x513F, 0x82F5, 0x721D, 0x3058, 0x000D, 0x000A,
};
constexpr char16_t kAbout[] = {
    0x00EE, 0x00E0, 0x00E9, 0x00F3, 0x00E4, 0x00F7, 0x00EA, 0x0085, 0x9A7D, 0x532E, 0x7FB3, 0x7AAE,
    0x56CD, 0x6302, 0x5293, 0x7AAE, 0x5E2A, 0x30A7, 0x000D, 0x000A, 0x758D, 0x4E2B, 0x0085, 0x00E4,
    0x00F1, 0x00C8, 0x00C0, 0x00C2, 0x00C4, 0x0085, 0x4EAB, 0x0085, 0x00E4, 0x00F1, 0x00D1, 0x00CC,
    0x00CB, 0x00DC, 0x0085, 0x7C5E, 0x52B2, 0x53F0, 0x72E2, 0x679F, 0x7621, 0x9A7D, 0x532E, 0x5ED3,
    0x88E9, 0x7FB3, 0x7AAE, 0xFFBF, 0x8B5E, 0x513C, 0x0085, 0x00E3, 0x00E9, 0x00E4, 0x00F6, 0x00ED,
    0x0085, 0x5429, 0x0085, 0x00E0, 0x00E0, 0x00F5, 0x00F7, 0x00EA, 0x00E8, 0xFFA9, 0x8B5E, 0x513C,
    0x7131, 0x4EB8, 0x4FE8, 0x4EAB, 0x95A4, 0x5B3F, 0x4FE8, 0xFFA9, 0x8B5E, 0x5373, 0x5ED3, 0x513C,
    0x51C0, 0x6884, 0x5163, 0x5BF2, 0x8227, 0xFFA9, 0x53E2, 0x7E02, 0x7FB3, 0x7AAE, 0x56CD, 0x565F,
    0x4E53, 0x30A7, 0x000D, 0x000A, 0x6789, 0x7AAE, 0x5E2A, 0x536F, 0x7FB3, 0x7AAE, 0x56CD, 0x565F,
    0x4E53, 0x7621, 0x954B, 0x983D, 0x4EAB, 0x5E5F, 0x8B0B, 0x8B52, 0x5295, 0x4E9E, 0x98D0, 0x5368,
    0x992D, 0x30A7,
};

// The translation keys its texts with plain line feeds; the shown text keeps
// the CR LF of the stored one.
QString shown(QString text) {
    const QString crlf = QStringLiteral("\r\n");
    const QString lf = QStringLiteral("\n");
    text.replace(crlf, lf);
    return QCoreApplication::translate("ShellTexts", text.toUtf8().constData()).replace(lf, crlf);
}

QString titleAfterPhrase() {
    return QStringLiteral("V") + QLatin1String(kProgramVersion) + QString(4, QChar(0x3000));
}

template <std::size_t N>
QString fromUnits(const char16_t (&units)[N]) {
    return QString::fromUtf16(units, qsizetype(N));
}

}  // namespace

QString unscramble(const QString& stored, quint8 key) {
    QString out(stored.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < stored.size(); ++i)
        out[i] = QChar(char16_t(stored[i].unicode() ^ key));
    return out;
}

QString unscrambleLines(const QString& stored, quint8 key) {
    QString text = unscramble(stored, key);
    const QString brokenLineEnd = unscramble(QStringLiteral("\r\n"), key);
    text.replace(brokenLineEnd, QStringLiteral("\r\n"));
    return text;
}

QString storedTitlePhrase() {
    return fromUnits(kTitle);
}
QString storedLinkCaption() {
    return fromUnits(kLabel);
}
QString storedBanner() {
    return fromUnits(kBanner);
}
QString storedAboutText() {
    return fromUnits(kAbout);
}

QString appTitle() {
    return unscramble(storedTitlePhrase(), kTitleKey) + titleAfterPhrase();
}

QString windowTitle() {
    return shown(unscramble(storedTitlePhrase(), kTitleKey)) + titleAfterPhrase();
}

QString linkCaption() {
    return shown(unscramble(storedLinkCaption(), kLabelKey));
}

QString logBanner() {
    const QString stored = storedBanner();
    return shown(unscramble(stored.left(stored.size() - 2), kTitleKey)) +
           QStringLiteral("\r\n\r\n");
}

QString aboutText() {
    return shown(unscrambleLines(storedAboutText(), kAboutKey));
}

QString productLine(const QString& caption) {
    qsizetype end = caption.size();
    while (end > 0 && caption[end - 1] == QLatin1Char(' '))
        --end;
    return caption.left(end);
}

// A reserved top-level domain: the program names its home page without pointing
// at anybody's real site.
QUrl webPage() {
    return QUrl(QStringLiteral("https://kelvaro.example/"));
}

QString helpFileName(Language language) {
    return language == Language::English ? QStringLiteral("KELVARO_HELP_en.html")
                                         : QStringLiteral("KELVARO_HELP.html");
}

}  // namespace kv::ShellTexts
