// SPDX-License-Identifier: MIT
#include "ui/AboutBox.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/ClickableLabel.h"
#include "ui/Icons.h"
#include "ui/Tones.h"
#include "ui/Twips.h"

namespace kv::ui {

namespace {

// The frame around the button closes the box when clicked.
class ButtonFrame : public QFrame {
public:
    using QFrame::QFrame;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent*) override {
        if (onClick)
            onClick();
    }
};

}  // namespace

AboutBox::AboutBox(const QString& productLine, const QString& text, const QUrl& page,
                   UrlOpener opener, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(tr("关于"));
    setModal(true);
    const Twips t = Twips::forWidget(parent ? parent : this);
    setFixedSize(t.size(6600, 4320));

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setGeometry(t.rect(240, 240, 1200, 1200));
    logo->setPixmap(Icons::logo(t.px(1200), devicePixelRatioF()));

    m_productName = new QLabel(productLine, this);
    m_productName->setObjectName(QStringLiteral("lblProductName"));
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    m_productName->setFont(big);
    m_productName->setGeometry(t.rect(1650, 270, 4710, 450));

    auto* version = new QLabel(tr("版本"), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setGeometry(t.rect(1650, 780, 1500, 255));
    const char* const emptyLabels[] = {"lblCompany", "lblCompanyProduct", "lblPlatform"};
    int top = 1080;
    for (const char* name : emptyLabels) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(t.rect(1650, top, 4710, 120));
        top += 120;
    }

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setPlainText(text);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->setGeometry(t.rect(240, 1560, 6120, 1560));

    m_address = new ClickableLabel(page.toString(), this);
    m_address->setObjectName(QStringLiteral("lblAddress"));
    setRoleTone(m_address, QPalette::Link);
    QFont underlined = m_address->font();
    underlined.setUnderline(true);
    m_address->setFont(underlined);
    m_address->setCursor(Qt::PointingHandCursor);
    m_address->setGeometry(t.rect(240, 3300, 3900, 285));
    connect(m_address, &ClickableLabel::clicked, this, [opener, page] {
        if (opener)
            opener(page);
    });

    auto* frame = new ButtonFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(t.rect(4500, 3180, 1860, 900));
    frame->onClick = [this] { accept(); };
    m_frame = frame;
    m_ok = new QPushButton(tr("确 定"), frame);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setGeometry(t.rect(255, 210, 1350, 480));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    // A key press anywhere in the box closes it.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    event->accept();
    accept();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kv::ui
