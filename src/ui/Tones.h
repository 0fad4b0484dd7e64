// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace kv::ui {

// Contrast ratio of two colours by their relative luminance: 1 (same) to 21
// (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The hue made lighter or darker until it reads on the background (ratio at
// least minimum), so a red warning stays red on a dark desktop too. A hue that
// already reads is returned as it is.
QColor legibleOn(const QColor& hue, const QColor& background, double minimum = 4.5);

// Text of the widget in that hue, legible on its window colour; kept so when
// the palette changes (applyTones). An invalid hue: the inherited colours.
void setTone(QWidget* widget, const QColor& hue, double minimum = 4.5);
// The palette's own colour of that role (the link colour, say), kept legible
// on the widget's background as the palette changes.
void setRoleTone(QWidget* widget, QPalette::ColorRole role, double minimum = 4.5);
// Puts the toned widgets under root right for the palette they have now.
void applyTones(QWidget* root);

}  // namespace kv::ui
