// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QtGlobal>

class QWidget;

namespace kv::ui {

// Window positions are given in twips (1/1440 inch): 15 twips per pixel at
// 96 dpi, scaled with the screen's logical DPI.
class Twips {
public:
    explicit Twips(double dpi = 96.0) : m_pixelsPerTwip(dpi / 1440.0) {}
    static Twips forWidget(const QWidget* widget);

    int px(int twips) const { return qRound(twips * m_pixelsPerTwip); }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(px(left), px(top), px(width), px(height));
    }
    QSize size(int width, int height) const { return QSize(px(width), px(height)); }
    double scale() const { return m_pixelsPerTwip * 15.0; }

private:
    double m_pixelsPerTwip;
};

// Places child at a rectangle given in twips.
void placeAt(QWidget* child, const Twips& t, int left, int top, int width, int height);

}  // namespace kv::ui
