// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace kv::ui {

// A label that reports clicks and double clicks (bit cells, connection
// pictures, the link label). A disabled label receives neither. Given a focus
// policy, Space or Enter on it counts as a click.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

}  // namespace kv::ui
