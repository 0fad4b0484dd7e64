// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QWidget>

#include "ui/Twips.h"

class QPlainTextEdit;
class QPushButton;

namespace kv::ui {

// The "FLASH" and "EEPROM" tabs: the column header, the hex view and the two
// buttons (read from the chip, save as binary).
class ImageTab : public QWidget {
    Q_OBJECT
public:
    // memory: "FLASH" or "EEPROM"; names the controls after it.
    ImageTab(const QString& memory, const Twips& twips, QWidget* parent = nullptr);

    // The column header over the view: four ideographic spaces, the sixteen
    // column digits each followed by a blank, an ideographic space and a blank.
    static QString headerText();
    // Shows a hex view text (lines end with CR) in the view, replacing all.
    void setViewText(const QString& hexViewText);
    QString viewText() const;
    // Room beyond the design size: the view takes it, the buttons stay below.
    void setExtraSize(const QSize& extra);

    QLabel* header() const { return m_header; }
    QPlainTextEdit* view() const { return m_view; }
    QPushButton* readButton() const { return m_read; }
    QPushButton* saveButton() const { return m_save; }

private:
    Twips m_twips;
    QLabel* m_header;
    QPlainTextEdit* m_view;
    QPushButton* m_read;
    QPushButton* m_save;
};

// The fixed-pitch font of the views and their headers.
QFont hexViewFont();
// The view text as shown: an ideographic space takes two columns, which no
// available fixed-pitch font guarantees, so it is shown as two blanks.
QString inColumns(const QString& text);

// A label that sets its text on the column grid of hexViewFont(): one column
// per character, two for an ideographic space, so a header lines up with the
// view below it. text() stays the text as given.
class ColumnLabel : public QLabel {
public:
    using QLabel::QLabel;
    // Draws the text this many columns left of the contents' left edge.
    void setColumnShift(int columns) { m_columnShift = columns; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_columnShift = 0;
};

}  // namespace kv::ui
