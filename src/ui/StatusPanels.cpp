// SPDX-License-Identifier: MIT
#include "ui/StatusPanels.h"

#include <QLabel>
#include <algorithm>

#include "ui/ClickableLabel.h"
#include "ui/Icons.h"
#include "ui/ShownText.h"
#include "ui/Twips.h"

namespace kv::ui {

namespace {

struct PanelDef {
    const char* key;
    int widthTwips;  // the last panel takes what is left
};

const PanelDef kPanels[] = {
    {"COMStatus", 2490}, {"MCUtypes", 4650}, {"FLASH", 1830}, {"EEPROM", 0}};

}  // namespace

QStringList StatusPanels::panelKeys() {
    QStringList keys;
    for (const PanelDef& def : kPanels)
        keys << QString::fromLatin1(def.key);
    return keys;
}

StatusPanels::StatusPanels(const Twips& t, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    const int barWidthTwips = 10650, barHeightTwips = 375;
    int left = 0;
    for (const PanelDef& def : kPanels) {
        const int width = def.widthTwips ? def.widthTwips : barWidthTwips - left;
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(def.key));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_indent = t.px(45);
        label->setIndent(m_indent);
        label->setGeometry(t.rect(left + 15, 30, width - 30, barHeightTwips - 45));
        m_panels.insert(label->objectName(), label);
        left += width;
    }

    // 120 twips right of the bar's left edge and 75 below its top; the port
    // text begins with two ideographic spaces to leave room for them.
    const int side = t.px(240);
    const qreal dpr = devicePixelRatioF();
    m_picConnected = new ClickableLabel(this);
    m_picConnected->setObjectName(QStringLiteral("PicConnected"));
    m_picConnected->setPixmap(Icons::connected(side, dpr));
    m_picNotConnected = new ClickableLabel(this);
    m_picNotConnected->setObjectName(QStringLiteral("PicNotConnected"));
    m_picNotConnected->setPixmap(Icons::notConnected(side, dpr));
    for (ClickableLabel* pic : {m_picConnected, m_picNotConnected}) {
        pic->setGeometry(t.px(120), t.px(75), side, side);
        pic->setCursor(Qt::PointingHandCursor);
        pic->setToolTip(tr("打开或关闭端口"));
        pic->setAccessibleDescription(tr("打开或关闭端口"));
        connect(pic, &ClickableLabel::clicked, this, &StatusPanels::pictureClicked);
    }
    m_picConnected->setAccessibleName(tr("端口已打开"));
    m_picNotConnected->setAccessibleName(tr("端口已关闭"));
    showConnected(false);
    m_lastWidth = m_panels.value(QString::fromLatin1(kPanels[3].key))->width();
    m_designWidth = t.px(barWidthTwips);
}

void StatusPanels::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The last panel takes what the bar has beyond its design width.
    QLabel* last = m_panels.value(QString::fromLatin1(kPanels[3].key));
    last->resize(m_lastWidth + std::max(0, width() - m_designWidth), last->height());
}

void StatusPanels::setPanelText(const QString& key, const QString& text) {
    QLabel* label = panel(key);
    if (!label)
        return;
    if (shownText(text) == text) {
        label->setIndent(m_indent);
        label->setText(text);
        return;
    }
    // In English the leading ideographic spaces that leave room for the port
    // picture become an indent of the same room: plain spaces are narrower.
    qsizetype lead = 0;
    while (lead < text.size() && text[lead] == QChar(0x3000))
        ++lead;
    label->setIndent(m_indent + int(lead) * label->fontMetrics().height());
    label->setText(shownText(text.mid(lead)));
}

QString StatusPanels::panelText(const QString& key) const {
    QLabel* label = panel(key);
    return label ? label->text() : QString();
}

void StatusPanels::showConnected(bool connected) {
    m_connectedInFront = connected;
    (connected ? m_picConnected : m_picNotConnected)->raise();
    // The one behind is hidden too: a screen reader would read both.
    m_picConnected->setVisible(connected);
    m_picNotConnected->setVisible(!connected);
}

}  // namespace kv::ui
