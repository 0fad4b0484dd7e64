// SPDX-License-Identifier: MIT
#include "ui/OptionTree.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/Icons.h"
#include "ui/Tones.h"

namespace kv::ui {

namespace {

const QColor kMarked(205, 0, 0);
constexpr int kShadedRole = Qt::UserRole + 1;
constexpr int kMarkedRole = Qt::UserRole + 2;

}  // namespace

OptionTree::OptionTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("TreeView1"));
    setColumnCount(1);
    header()->hide();
    // Choices of one group often differ only at the end of their text: the
    // column is as wide as the longest entry (at least the list's width, so
    // the shading spans the row) and the list scrolls sideways.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Fixed);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setRootIsDecorated(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setAccessibleName(tr("熔丝选项"));
    setAccessibleDescription(tr("熔丝位的选项；空格键勾选所选的一项，右边的熔丝位随之改变"));
    connect(this, &QTreeWidget::itemChanged, this, &OptionTree::onItemChanged);
}

void OptionTree::setEntries(const QList<Entry>& entries) {
    m_programmatic = true;
    clear();
    const QIcon picture = Icons::optionEntry();
    QList<QTreeWidgetItem*> items;
    items.reserve(entries.size());
    for (const Entry& e : entries) {
        auto* item = new QTreeWidgetItem(QStringList{e.text});
        item->setData(0, Qt::UserRole, e.key);
        item->setToolTip(0, e.text);
        item->setIcon(0, picture);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, e.checked ? Qt::Checked : Qt::Unchecked);
        item->setData(0, kShadedRole, e.shaded);
        item->setData(0, kMarkedRole, e.marked);
        items << item;
    }
    addTopLevelItems(items);
    recolour();
    m_programmatic = false;
    fitColumn();
}

QColor OptionTree::shadeColour() const {
    const QColor base = palette().color(QPalette::Base);
    const QColor alternate = palette().color(QPalette::AlternateBase);
    if (contrastRatio(alternate, base) >= 1.1)
        return alternate;
    // Some palettes' alternate base is all but the base itself, which would
    // hide the groups: a tenth of the text colour then sets them apart.
    const QColor text = palette().color(QPalette::Text);
    return QColor::fromRgbF(base.redF() * 0.9f + text.redF() * 0.1f,
                            base.greenF() * 0.9f + text.greenF() * 0.1f,
                            base.blueF() * 0.9f + text.blueF() * 0.1f);
}

bool OptionTree::isShaded(int position) const {
    QTreeWidgetItem* item = entry(position);
    return item && item->data(0, kShadedRole).toBool();
}

void OptionTree::recolour() {
    // Shaded rows set groups apart as alternate rows do, in the palette's colour;
    // a marked entry's red is kept legible on its row.
    const bool was = m_programmatic;
    m_programmatic = true;
    const QColor base = palette().color(QPalette::Base);
    const QColor shade = shadeColour();
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const bool shaded = item->data(0, kShadedRole).toBool();
        item->setBackground(0, shaded ? QBrush(shade) : QBrush());
        item->setForeground(0, item->data(0, kMarkedRole).toBool()
                                   ? QBrush(legibleOn(kMarked, shaded ? shade : base))
                                   : QBrush());
    }
    m_programmatic = was;
}

void OptionTree::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        recolour();
}

void OptionTree::fitColumn() {
    setColumnWidth(0, std::max(sizeHintForColumn(0), viewport()->width()));
}

void OptionTree::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    fitColumn();
}

void OptionTree::setChecked(int position, bool checked) {
    QTreeWidgetItem* item = entry(position);
    if (!item)
        return;
    const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
    if (item->checkState(0) == state)
        return;
    m_programmatic = true;
    item->setCheckState(0, state);
    m_programmatic = false;
}

bool OptionTree::isChecked(int position) const {
    QTreeWidgetItem* item = entry(position);
    return item && item->checkState(0) == Qt::Checked;
}

void OptionTree::onItemChanged(QTreeWidgetItem* item, int column) {
    if (m_programmatic || column != 0)
        return;
    const int position = indexOfTopLevelItem(item) + 1;
    if (position < 1)
        return;
    setCurrentItem(item);
    Q_EMIT nodeChecked(position, item->checkState(0) == Qt::Checked);
}

void OptionTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listClicked();
}

void OptionTree::keyPressEvent(QKeyEvent* event) {
    QTreeWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select)
        Q_EMIT listClicked();
}

}  // namespace kv::ui
