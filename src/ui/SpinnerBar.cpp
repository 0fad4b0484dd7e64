// SPDX-License-Identifier: MIT
#include "ui/SpinnerBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace kv::ui {

SpinnerBar::SpinnerBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

QRect SpinnerBar::half(bool upper) const {
    const int h = height() / 2;
    return upper ? QRect(0, 0, width(), h) : QRect(0, h, width(), height() - h);
}

void SpinnerBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (const bool upper : {true, false}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = half(upper);
        const bool down = m_pressed == (upper ? -1 : 1);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &p, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = button.rect.adjusted(2, 1, -2, -1);
        style()->drawPrimitive(upper ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &p, this);
    }
}

void SpinnerBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const bool upper = half(true).contains(event->position().toPoint());
    m_pressed = upper ? -1 : 1;
    const SliderAction action = upper ? SliderSingleStepSub : SliderSingleStepAdd;
    setRepeatAction(action, 400, 60);
    triggerAction(action);
    update();
    event->accept();
}

void SpinnerBar::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = 0;
    setRepeatAction(SliderNoAction);
    update();
    event->accept();
}

void SpinnerBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace kv::ui
