// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollBar>

namespace kv::ui {

// A vertical scroll bar drawn and used as a spinner: only its two arrows, each
// half of its height. The up arrow lowers the value by one step, the down
// arrow raises it; holding an arrow repeats. Values, range and signals are
// those of the scroll bar.
class SpinnerBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SpinnerBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QRect half(bool upper) const;

    int m_pressed = 0;  // -1 up arrow, 1 down arrow, 0 none
};

}  // namespace kv::ui
