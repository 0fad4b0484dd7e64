// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <array>

#include "ui/ClickableLabel.h"

namespace kv::ui {

class Twips;

// A fuse bit's cell: "1" (unprogrammed), "0" (programmed) or "*" (not there).
// To screen readers a check box, checked when programmed; Space toggles it.
class FuseBitCell : public ClickableLabel {
    Q_OBJECT
public:
    explicit FuseBitCell(QWidget* parent = nullptr);
    bool isProgrammed() const { return text() == QLatin1String("0"); }
    // Shows the caption; tells screen readers when the checked state changes.
    void setCaption(const QString& caption);
};

// One of the four fuse frames (Frame1(0)-(3)): eight bit cells in a column,
// bit 7 at the top, each with its name to the right. Cell indexes are the
// global 0-31 (frame b holds cells 8b to 8b+7).
class FuseFrame : public QGroupBox {
    Q_OBJECT
public:
    FuseFrame(int byteIndex, int widthTwips, int heightTwips, const Twips& twips,
              QWidget* parent = nullptr);

    int byteIndex() const { return m_byte; }
    // A disabled cell keeps its caption and shows it greyed. An invalid colour
    // is the palette's text colour; any other is kept legible on the palette.
    void setCell(int cellIndex, const QString& caption, const QColor& colour, bool enabled);
    // The name shows whole, or in its tooltip when cut.
    void setName(int cellIndex, const QString& name, bool enabled);
    void setFrameTitle(const QString& title);
    // Room beside the cells for the names; from the design width up.
    void setNameWidth(int pixels);
    FuseBitCell* cell(int cellIndex) const;
    ClickableLabel* name(int cellIndex) const;

Q_SIGNALS:
    void cellClicked(int cellIndex);
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void describeCell(int bit);
    void fitName(int bit);

    int m_byte;
    std::array<FuseBitCell*, 8> m_cells{};
    std::array<ClickableLabel*, 8> m_names{};
};

}  // namespace kv::ui
