// SPDX-License-Identifier: MIT
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kv::ui {

Twips Twips::forWidget(const QWidget* widget) {
    const QScreen* screen =
        widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return Twips(screen ? screen->logicalDotsPerInch() : 96.0);
}

void placeAt(QWidget* child, const Twips& t, int left, int top, int width, int height) {
    child->setGeometry(t.rect(left, top, width, height));
}

}  // namespace kv::ui
