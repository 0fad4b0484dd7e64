#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kv::ui {

class Twips;

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

    QLabel* header() const { return m_header; }
    QPlainTextEdit* view() const { return m_view; }
    QPushButton* readButton() const { return m_read; }
    QPushButton* saveButton() const { return m_save; }

private:
    QLabel* m_header;
    QPlainTextEdit* m_view;
    QPushButton* m_read;
    QPushButton* m_save;
};

// A fixed-pitch font in which an ideographic space is two columns wide.
QFont hexViewFont();

}  // namespace kv::ui
