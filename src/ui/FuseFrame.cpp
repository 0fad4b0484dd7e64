// SPDX-License-Identifier: MIT
#include "ui/FuseFrame.h"

#include <QMouseEvent>

#include "ui/ClickableLabel.h"
#include "ui/Twips.h"

namespace kv::ui {

FuseFrame::FuseFrame(int byteIndex, int widthTwips, int heightTwips, const Twips& t,
                     QWidget* parent)
    : QGroupBox(parent), m_byte(byteIndex) {
    setObjectName(QStringLiteral("Frame1_%1").arg(byteIndex));
    QFont bold = font();
    bold.setBold(true);
    const int rowTwips = (heightTwips - 330) / 8;
    for (int row = 0; row < 8; ++row) {
        const int bit = 7 - row;
        const int index = 8 * byteIndex + bit;
        const int top = 255 + row * rowTwips;
        auto* cell = new ClickableLabel(this);
        cell->setObjectName(QStringLiteral("Label1_%1").arg(index));
        cell->setFont(bold);
        cell->setAlignment(Qt::AlignCenter);
        cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        cell->setCursor(Qt::PointingHandCursor);
        cell->setGeometry(t.rect(90, top, 255, rowTwips - 30));
        connect(cell, &ClickableLabel::clicked, this, [this, index] { Q_EMIT cellClicked(index); });
        auto* name = new ClickableLabel(this);
        name->setObjectName(QStringLiteral("Label1Name_%1").arg(index));
        name->setGeometry(t.rect(405, top, widthTwips - 450, rowTwips - 30));
        m_cells[bit] = cell;
        m_names[bit] = name;
    }
}

ClickableLabel* FuseFrame::cell(int cellIndex) const {
    return m_cells[cellIndex % 8];
}
ClickableLabel* FuseFrame::name(int cellIndex) const {
    return m_names[cellIndex % 8];
}

void FuseFrame::setCell(int cellIndex, const QString& caption, const QColor& colour, bool enabled) {
    ClickableLabel* c = cell(cellIndex);
    c->setText(caption);
    QPalette palette = c->palette();
    // The disabled group keeps its grey: a "*" cell reads as unavailable.
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    c->setPalette(palette);
    c->setEnabled(enabled);
}

void FuseFrame::setName(int cellIndex, const QString& text, bool enabled) {
    ClickableLabel* n = name(cellIndex);
    n->setText(text);
    n->setEnabled(enabled);
}

void FuseFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT doubleClicked();
    event->accept();
}

}  // namespace kv::ui
