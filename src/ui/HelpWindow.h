// SPDX-License-Identifier: MIT
#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;

namespace kv::ui {

// The help page in a window of the program's own: it needs no web browser.
// Links inside the page move within it; links to the web go to the system's
// browser. A search field finds text forwards and backwards.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page; false when it cannot be read.
    bool showPage(const QUrl& page);

    QTextBrowser* browser() const { return m_browser; }
    QLineEdit* searchField() const { return m_search; }
    // "not found" after a search that found nothing; empty otherwise.
    QLabel* searchNote() const { return m_note; }

    // Looks for the search field's text from the cursor on, wrapping at the
    // end of the page; false when the page does not hold it.
    bool find(bool backwards = false);

protected:
    void changeEvent(QEvent* event) override;

private:
    void showLinksLegibly();

    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_search = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QLabel* m_note = nullptr;
};

}  // namespace kv::ui
