// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <array>

namespace kv::ui {

class ClickableLabel;
class Twips;

// One of the four fuse frames (Frame1(0)-(3)): eight bit cells in a column,
// bit 7 at the top, each with its name to the right. Cell indexes are the
// global 0-31 (frame b holds cells 8b to 8b+7).
class FuseFrame : public QGroupBox {
    Q_OBJECT
public:
    FuseFrame(int byteIndex, int widthTwips, int heightTwips, const Twips& twips,
              QWidget* parent = nullptr);

    int byteIndex() const { return m_byte; }
    // A disabled cell keeps its caption and shows it greyed.
    void setCell(int cellIndex, const QString& caption, const QColor& colour, bool enabled);
    void setName(int cellIndex, const QString& name, bool enabled);
    ClickableLabel* cell(int cellIndex) const;
    ClickableLabel* name(int cellIndex) const;

Q_SIGNALS:
    void cellClicked(int cellIndex);
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_byte;
    std::array<ClickableLabel*, 8> m_cells{};
    std::array<ClickableLabel*, 8> m_names{};
};

}  // namespace kv::ui
