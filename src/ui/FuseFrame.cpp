// SPDX-License-Identifier: MIT
#include "ui/FuseFrame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>

#include "ui/Tones.h"
#include "ui/Twips.h"

namespace kv::ui {

namespace {

// A bit cell as a check box: its state, and Toggle as its action.
class FuseBitAccessible : public QAccessibleWidget {
public:
    explicit FuseBitAccessible(FuseBitCell* cell)
        : QAccessibleWidget(cell, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = cell()->isProgrammed();
        return s;
    }
    QStringList actionNames() const override {
        return cell()->isEnabled() ? QStringList{toggleAction()} : QStringList();
    }
    void doAction(const QString& action) override {
        if (action == toggleAction() && cell()->isEnabled())
            Q_EMIT cell()->clicked();
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        return action == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }

private:
    FuseBitCell* cell() const { return static_cast<FuseBitCell*>(widget()); }
};

QAccessibleInterface* fuseBitFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(FuseBitCell::staticMetaObject.className()) &&
        object->isWidgetType())
        return new FuseBitAccessible(static_cast<FuseBitCell*>(object));
    return nullptr;
}

}  // namespace

FuseBitCell::FuseBitCell(QWidget* parent) : ClickableLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(fuseBitFactory);
        return true;
    }();
    Q_UNUSED(installed);
    // The keyboard reaches it by Tab; a click toggles it without taking the focus.
    setFocusPolicy(Qt::TabFocus);
}

void FuseBitCell::setCaption(const QString& caption) {
    if (caption == text())
        return;
    const bool was = isProgrammed();
    setText(caption);
    if (was != isProgrammed()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

FuseFrame::FuseFrame(int byteIndex, int widthTwips, int heightTwips, const Twips& t,
                     QWidget* parent)
    : QGroupBox(parent), m_byte(byteIndex) {
    setObjectName(QStringLiteral("Frame1_%1").arg(byteIndex));
    QFont bold = font();
    bold.setBold(true);
    const int rowTwips = (heightTwips - 330) / 8;
    for (int row = 0; row < 8; ++row) {
        const int bit = 7 - row;
        const int index = 8 * byteIndex + bit;
        const int top = 255 + row * rowTwips;
        auto* cell = new FuseBitCell(this);
        cell->setObjectName(QStringLiteral("Label1_%1").arg(index));
        cell->setFont(bold);
        cell->setAlignment(Qt::AlignCenter);
        cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        cell->setCursor(Qt::PointingHandCursor);
        cell->setGeometry(t.rect(90, top, 255, rowTwips - 30));
        connect(cell, &ClickableLabel::clicked, this, [this, index] { Q_EMIT cellClicked(index); });
        auto* name = new ClickableLabel(this);
        name->setObjectName(QStringLiteral("Label1Name_%1").arg(index));
        name->setGeometry(t.rect(405, top, widthTwips - 450, rowTwips - 30));
        m_cells[bit] = cell;
        m_names[bit] = name;
        describeCell(bit);
    }
}

FuseBitCell* FuseFrame::cell(int cellIndex) const {
    return m_cells[cellIndex % 8];
}
ClickableLabel* FuseFrame::name(int cellIndex) const {
    return m_names[cellIndex % 8];
}

void FuseFrame::setCell(int cellIndex, const QString& caption, const QColor& colour, bool enabled) {
    FuseBitCell* c = cell(cellIndex);
    c->setCaption(caption);
    // The programmed red is darkened on a light desktop and lightened on a
    // dark one as far as plain text needs.
    setTone(c, colour);
    c->setEnabled(enabled);
}

void FuseFrame::setName(int cellIndex, const QString& text, bool enabled) {
    ClickableLabel* n = name(cellIndex);
    n->setText(text);
    n->setEnabled(enabled);
    fitName(cellIndex % 8);
    describeCell(cellIndex % 8);
}

void FuseFrame::setFrameTitle(const QString& title) {
    if (title == this->title())
        return;
    setTitle(title);
    for (int bit = 0; bit < 8; ++bit)
        describeCell(bit);
}

void FuseFrame::setNameWidth(int pixels) {
    for (int bit = 0; bit < 8; ++bit) {
        QRect r = m_names[bit]->geometry();
        r.setWidth(pixels);
        m_names[bit]->setGeometry(r);
        fitName(bit);
    }
}

void FuseFrame::fitName(int bit) {
    ClickableLabel* n = m_names[bit];
    const bool cut = n->fontMetrics().horizontalAdvance(n->text()) > n->contentsRect().width();
    n->setToolTip(cut ? n->text() : QString());
}

void FuseFrame::describeCell(int bit) {
    // The byte's name without the value in brackets, which changes with every bit.
    const QString byte = title().section(QLatin1Char('['), 0, 0).trimmed();
    m_cells[bit]->setAccessibleName(
        tr("%1 第%2位 %3").arg(byte).arg(bit).arg(m_names[bit]->text()).trimmed());
    m_cells[bit]->setAccessibleDescription(tr("勾选表示已编程（0）；空格键切换"));
}

void FuseFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT doubleClicked();
    event->accept();
}

}  // namespace kv::ui
