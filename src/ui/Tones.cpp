// SPDX-License-Identifier: MIT
#include "ui/Tones.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace kv::ui {

namespace {

constexpr const char* kToneProperty = "kvTone";
constexpr const char* kMinimumProperty = "kvToneMinimum";
constexpr const char* kRoleProperty = "kvToneRole";

double channel(double c) {
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

void applyTone(QWidget* widget) {
    QColor hue = widget->property(kToneProperty).value<QColor>();
    const QVariant role = widget->property(kRoleProperty);
    if (role.isValid()) {
        // From the desktop's palette, not from the widget's own toned one.
        hue = QApplication::palette(widget).color(QPalette::Active,
                                                  QPalette::ColorRole(role.toInt()));
    }
    if (!hue.isValid())
        return;
    QPalette palette = widget->palette();
    const QColor background = palette.color(QPalette::Active, widget->backgroundRole());
    const QColor shown = legibleOn(hue, background, widget->property(kMinimumProperty).toDouble());
    // The disabled group keeps the style's grey.
    palette.setColor(QPalette::Active, widget->foregroundRole(), shown);
    palette.setColor(QPalette::Inactive, widget->foregroundRole(), shown);
    widget->setPalette(palette);
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor legibleOn(const QColor& hue, const QColor& background, double minimum) {
    if (!hue.isValid() || contrastRatio(hue, background) >= minimum)
        return hue;
    // Away from the background: lighter on a dark one, darker on a light one.
    const bool lighten = luminance(background) < 0.18;
    QColor best = hue;
    const QColor hsl = hue.toHsl();
    for (int step = 1; step <= 20; ++step) {
        const double l = lighten ? hsl.lightnessF() + (1.0 - hsl.lightnessF()) * step / 20.0
                                 : hsl.lightnessF() * (20 - step) / 20.0;
        const QColor candidate = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), l).toRgb();
        best = candidate;
        if (contrastRatio(candidate, background) >= minimum)
            break;
    }
    return best;
}

void setTone(QWidget* widget, const QColor& hue, double minimum) {
    if (!hue.isValid()) {
        // Back to the palette the widget inherits.
        widget->setProperty(kToneProperty, QVariant());
        widget->setPalette(QPalette());
        return;
    }
    widget->setProperty(kToneProperty, hue);
    widget->setProperty(kMinimumProperty, minimum);
    applyTone(widget);
}

void setRoleTone(QWidget* widget, QPalette::ColorRole role, double minimum) {
    widget->setForegroundRole(role);
    widget->setProperty(kRoleProperty, int(role));
    widget->setProperty(kMinimumProperty, minimum);
    applyTone(widget);
}

void applyTones(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->property(kToneProperty).isValid() || w->property(kRoleProperty).isValid())
            applyTone(w);
    }
}

}  // namespace kv::ui
