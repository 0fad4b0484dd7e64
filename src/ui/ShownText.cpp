// SPDX-License-Identifier: MIT
#include "ui/ShownText.h"

#include "app/Language.h"

namespace kv::ui {

QString shownText(const QString& text) {
    if (currentLanguage() != Language::English)
        return text;
    QString shown = text;
    return shown.replace(QChar(0x3000), QStringLiteral("  "));
}

}  // namespace kv::ui
