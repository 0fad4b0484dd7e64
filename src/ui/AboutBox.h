// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kv::ui {

class ClickableLabel;

// The About box (frmSplash): logo, title line, descriptive text and the web
// address. Any key press, a click on its button or on the button's frame
// closes it; a click on the address opens the page and leaves the box open.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    using UrlOpener = std::function<void(const QUrl&)>;

    // productLine: the main window's title without trailing blanks.
    AboutBox(const QString& productLine, const QString& text, const QUrl& page, UrlOpener opener,
             QWidget* parent = nullptr);

    QLabel* productName() const { return m_productName; }
    QPlainTextEdit* textBox() const { return m_text; }
    ClickableLabel* address() const { return m_address; }
    QPushButton* okButton() const { return m_ok; }
    QWidget* buttonFrame() const { return m_frame; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_productName;
    QPlainTextEdit* m_text;
    ClickableLabel* m_address;
    QPushButton* m_ok;
    QWidget* m_frame;
};

}  // namespace kv::ui
