// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QUrl>

#include "app/Language.h"

namespace kv {

// The program's own texts: the window title, the link label, the log banner
// and the About box text. The phrases are kept scrambled in the program
// (each code unit XORed with a one-byte key) and unscrambled when shown.
namespace ShellTexts {

// XORs every UTF-16 code unit with key.
QString unscramble(const QString& stored, quint8 key);
// unscramble, then every pair that CR LF becomes under the key turns back into
// CR LF, from the left (line breaks are stored plain inside the scrambled text).
QString unscrambleLines(const QString& stored, quint8 key);

// The scrambled forms the program carries. The texts shown below are those
// unscrambled, put through the translation (context "ShellTexts"; the
// translation tools learn them from translations/ShellPhrases.cpp).
QString storedTitlePhrase();
QString storedLinkCaption();
QString storedBanner();  // ends with two characters that are dropped, not unscrambled
QString storedAboutText();

// Title phrase + "V" + the project version (V2.0.0) + four ideographic spaces;
// also the settings store's application name, so it is never translated.
QString appTitle();
// appTitle with the phrase in the language shown: the window caption.
QString windowTitle();
QString linkCaption();
// Banner without its two stored trailing characters, followed by CR LF CR LF.
QString logBanner();
QString aboutText();
// The About box's title line: the caption without trailing blanks (U+0020);
// ideographic spaces stay.
QString productLine(const QString& caption);

// The web page opened by the link label and the About box.
QUrl webPage();
// File name of the help that ships beside the program, in a language.
QString helpFileName(Language language = Language::Chinese);

}  // namespace ShellTexts
}  // namespace kv
