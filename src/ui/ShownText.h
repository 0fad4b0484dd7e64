// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv::ui {

// A text as the window shows it in its language. The Chinese texts pad with
// ideographic spaces (U+3000); in English each becomes two plain spaces, the
// same width in a fixed-pitch column.
QString shownText(const QString& text);

}  // namespace kv::ui
