// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QList>

#include "gang/GangSocket.h"

class QComboBox;
class QGridLayout;
class QSpinBox;

namespace kv::ui {

// "量产插座设置": the gang's sockets, one row each with the port (COMn or a
// device path) and the line settings in the boxes of the port settings dialog.
class GangSocketsDialog : public QDialog {
    Q_OBJECT
public:
    explicit GangSocketsDialog(const QList<GangSocket>& sockets, QWidget* parent = nullptr);

    // The rows as the user left them.
    QList<GangSocket> sockets() const;
    QSpinBox* countBox() const { return m_count; }
    // Row's box: "port", "speed", "parity", "data", "stop".
    QComboBox* box(int row, const QString& field) const;

private:
    struct Row {
        QComboBox* port;
        QComboBox* speed;
        QComboBox* parity;
        QComboBox* data;
        QComboBox* stop;
        QList<QWidget*> labels;  // the socket's name and each list's caption
    };
    void setRowCount(int count);

    QSpinBox* m_count;
    QGridLayout* m_rows;
    QList<Row> m_rowBoxes;
    QList<GangSocket> m_initial;
};

}  // namespace kv::ui
