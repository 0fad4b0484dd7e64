// SPDX-License-Identifier: MIT
#include "ui/HelpWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "ui/Accessibility.h"
#include "ui/Tones.h"

namespace kv::ui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    installWindowAccessibility();
    setWindowTitle(tr("帮助"));
    resize(760, 640);

    auto* back = new QPushButton(tr("后退"), this);
    back->setObjectName(QStringLiteral("HelpBack"));
    back->setEnabled(false);
    auto* label = new QLabel(tr("查找(&F)："), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("HelpSearch"));
    m_search->setClearButtonEnabled(true);
    label->setBuddy(m_search);
    m_search->setAccessibleName(tr("查找"));
    m_search->setAccessibleDescription(tr("在帮助页中查找的文字"));
    m_previous = new QPushButton(tr("上一个"), this);
    m_previous->setObjectName(QStringLiteral("HelpFindPrevious"));
    m_next = new QPushButton(tr("下一个"), this);
    m_next->setObjectName(QStringLiteral("HelpFindNext"));
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("HelpSearchNote"));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpPage"));
    m_browser->setAccessibleName(tr("帮助页"));
    // Links into the page stay here; the web page goes to the browser, if any.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (!url.isLocalFile() && !url.isRelative()) {
            QDesktopServices::openUrl(url);
            return;
        }
        const QUrl target = m_browser->source().resolved(url);
        if (target.adjusted(QUrl::RemoveFragment) !=
            m_browser->source().adjusted(QUrl::RemoveFragment))
            m_browser->setSource(target);
        if (!url.fragment().isEmpty())
            m_browser->scrollToAnchor(url.fragment());
    });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addSpacing(12);
    bar->addWidget(label);
    bar->addWidget(m_search, 1);
    bar->addWidget(m_previous);
    bar->addWidget(m_next);
    bar->addWidget(m_note);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);

    connect(m_search, &QLineEdit::returnPressed, this, [this] { find(); });
    connect(m_search, &QLineEdit::textEdited, this, [this] { m_note->clear(); });
    connect(m_next, &QPushButton::clicked, this, [this] { find(); });
    connect(m_previous, &QPushButton::clicked, this, [this] { find(true); });
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    auto* again = new QShortcut(QKeySequence::FindNext, this);
    connect(again, &QShortcut::activated, this, [this] { find(); });
    auto* againBack = new QShortcut(QKeySequence::FindPrevious, this);
    connect(againBack, &QShortcut::activated, this, [this] { find(true); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    showLinksLegibly();
}

void HelpWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        showLinksLegibly();
}

void HelpWindow::showLinksLegibly() {
    // A dark scheme's link colour may be too dark for its own base.
    const QPalette desktop = QApplication::palette(m_browser);
    QPalette palette = m_browser->palette();
    const QColor link = legibleOn(desktop.color(QPalette::Link), desktop.color(QPalette::Base));
    if (palette.color(QPalette::Link) == link)
        return;
    palette.setColor(QPalette::Link, link);
    m_browser->setPalette(palette);
}

bool HelpWindow::showPage(const QUrl& page) {
    if (page.isLocalFile() && !QFileInfo(page.toLocalFile()).isReadable())
        return false;
    m_browser->setSource(page);
    return !m_browser->document()->isEmpty();
}

bool HelpWindow::find(bool backwards) {
    const QString text = m_search->text();
    m_note->clear();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_browser->find(text, flags))
        return true;
    // Round again from the other end of the page.
    QTextCursor cursor = m_browser->textCursor();
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    m_browser->setTextCursor(cursor);
    if (m_browser->find(text, flags))
        return true;
    m_note->setText(tr("未找到"));
    return false;
}

}  // namespace kv::ui
