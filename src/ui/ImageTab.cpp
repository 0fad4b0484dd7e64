// SPDX-License-Identifier: MIT
#include "ui/ImageTab.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "ui/ShownText.h"
#include "ui/Twips.h"

namespace kv::ui {

QFont hexViewFont() {
    QFont font;
    font.setFamilies({QStringLiteral("NSimSun"), QStringLiteral("宋体"),
                      QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // 16 bytes per line with their address fit the tab at six pixels a column.
    font.setPointSizeF(7.5);
    return font;
}

QString inColumns(const QString& text) {
    QString out = text;
    out.replace(QChar(0x3000), QStringLiteral("  "));
    return out;
}

void ColumnLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics m(font());
    const int column = m.horizontalAdvance(QLatin1Char('0'));
    const int baseline = (height() + m.ascent() - m.descent()) / 2;
    int x = contentsRect().left() - m_columnShift * column;
    for (const QChar c : text()) {
        if (c == QChar(0x3000)) {
            x += 2 * column;
            continue;
        }
        p.drawText(x, baseline, QString(c));
        x += column;
    }
}

QString ImageTab::headerText() {
    QString text(4, QChar(0x3000));
    for (const QChar digit : QStringLiteral("0123456789ABCDEF"))
        text += digit + QLatin1Char(' ');
    return text + QChar(0x3000) + QLatin1Char(' ');
}

ImageTab::ImageTab(const QString& memory, const Twips& t, QWidget* parent)
    : QWidget(parent), m_twips(t) {
    const bool flash = memory == QLatin1String("FLASH");
    auto* header = new ColumnLabel(shownText(headerText()), this);
    m_header = header;
    m_header->setObjectName(flash ? QStringLiteral("Label3") : QStringLiteral("Label4"));
    m_header->setFont(hexViewFont());

    // The view is never read back: typing into it would change no image, so
    // it takes none. Tab moves on; the text stays selectable by keyboard.
    m_view = new QPlainTextEdit(this);
    m_view->setReadOnly(true);
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setTabChangesFocus(true);
    m_view->setObjectName(QStringLiteral("RichText") + memory);
    m_view->setFont(hexViewFont());
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_view->document()->setDocumentMargin(2);
    // Each header digit stands over the first digit of its byte: a view line
    // has seven columns before its data (blank, address, ideographic space),
    // the header eight before its first digit.
    m_header->setContentsMargins(m_view->frameWidth() + int(m_view->document()->documentMargin()),
                                 0, 0, 0);
    header->setColumnShift(1);

    m_read = new QPushButton(tr("读取%1").arg(memory), this);
    m_read->setObjectName(flash ? QStringLiteral("ReadFlash") : QStringLiteral("ReadEEPROM"));
    m_save = new QPushButton(tr("另存为"), this);
    m_save->setObjectName(flash ? QStringLiteral("SaveFlash") : QStringLiteral("SaveEEPROM"));
    m_view->setAccessibleName(tr("%1数据").arg(memory));
    m_view->setAccessibleDescription(tr("十六进制显示：每行地址和16个字节"));
    setExtraSize(QSize());
}

void ImageTab::setExtraSize(const QSize& extra) {
    const Twips& t = m_twips;
    const int w = extra.width(), h = extra.height();
    m_header->setGeometry(t.rect(60, 90, 3900, 240).adjusted(0, 0, w, 0));
    m_view->setGeometry(t.rect(60, 345, 3900, 4260).adjusted(0, 0, w, h));
    m_read->setGeometry(t.rect(60, 4710, 1500, 420).translated(0, h));
    m_save->setGeometry(t.rect(2460, 4710, 1500, 420).translated(w, h));
}

void ImageTab::setViewText(const QString& hexViewText) {
    // Lines end with a bare CR, which the text box does not break on.
    QString shown = inColumns(hexViewText);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    m_view->setPlainText(shown);
}

QString ImageTab::viewText() const {
    return m_view->toPlainText();
}

}  // namespace kv::ui
