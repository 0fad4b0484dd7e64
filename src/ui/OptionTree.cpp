// SPDX-License-Identifier: MIT
#include "ui/OptionTree.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/Icons.h"

namespace kv::ui {

namespace {

const QColor kShade(205, 218, 204);
const QColor kMarked(205, 0, 0);

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
        if (e.shaded)
            item->setBackground(0, kShade);
        if (e.marked)
            item->setForeground(0, kMarked);
        items << item;
    }
    addTopLevelItems(items);
    m_programmatic = false;
    fitColumn();
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
