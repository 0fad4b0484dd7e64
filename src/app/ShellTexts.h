#pragma once

#include <QString>
#include <QUrl>

namespace kv {

// The program's own texts: the window title, the link label, the log banner
// and the About box text. The phrases are kept scrambled in the program
// (each code unit XORed with a one-byte key) and unscrambled when shown.
namespace ShellTexts {

// XORs every UTF-16 code unit with key.
QString Unscramble(const QString& stored, quint8 key);
// Unscramble, then every pair that CR LF becomes under the key turns back into
// CR LF, from the left (line breaks are stored plain inside the scrambled text).
QString UnscrambleLines(const QString& stored, quint8 key);

// The scrambled forms the program carries.
QString StoredTitlePhrase();
QString StoredLinkCaption();
QString StoredBanner();  // ends with two characters that are dropped, not unscrambled
QString StoredAboutText();

// Title phrase + "V" + the project version (V2.0.0) + four ideographic spaces;
// also the settings store's application name.
QString AppTitle();
QString LinkCaption();
// Banner without its two stored trailing characters, followed by CR LF CR LF.
QString LogBanner();
QString AboutText();
// The About box's title line: the caption without trailing blanks (U+0020);
// ideographic spaces stay.
QString ProductLine(const QString& caption);

// The web page opened by the link label and the About box.
QUrl WebPage();
// File name of the help that ships beside the program.
QString HelpFileName();

}  // namespace ShellTexts
}  // namespace kv
