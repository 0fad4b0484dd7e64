// SPDX-License-Identifier: MIT
#pragma once

#include <QTreeWidget>

namespace kv::ui {

// The option list (TreeView1): top-level entries with check boxes, shaded and
// red-marked as the fuse definitions say. Check states set by the program do
// not count as the user's: only a change by the user emits nodeChecked.
class OptionTree : public QTreeWidget {
    Q_OBJECT
public:
    struct Entry {
        QString key;
        QString text;
        bool checked = false;
        bool marked = false;
        bool shaded = false;
    };

    explicit OptionTree(QWidget* parent = nullptr);

    void setEntries(const QList<Entry>& entries);
    // position counts from 1 as in the list
    void setChecked(int position, bool checked);
    bool isChecked(int position) const;
    // The definitions set the entry apart from its neighbours.
    bool isShaded(int position) const;
    // The background of shaded entries: the palette's alternate base, or the
    // base a little towards the text where the two are too alike to tell.
    QColor shadeColour() const;
    int count() const { return topLevelItemCount(); }
    QTreeWidgetItem* entry(int position) const { return topLevelItem(position - 1); }

Q_SIGNALS:
    // The user changed the check box of the entry at position (from 1).
    void nodeChecked(int position, bool checked);
    // A click on the list; comes after nodeChecked for the same click. A check
    // box toggled with the keyboard counts as a click too, so a group choice
    // ends checked either way.
    void listClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void recolour();
    void fitColumn();
    void onItemChanged(QTreeWidgetItem* item, int column);

    bool m_programmatic = false;
};

}  // namespace kv::ui
