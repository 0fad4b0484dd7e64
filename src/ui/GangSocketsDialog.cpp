// SPDX-License-Identifier: MIT
#include "ui/GangSocketsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ports/PortSettingsFields.h"
#include "ports/PortSettingsForm.h"
#include "settings/SettingsKeys.h"

namespace kv::ui {

namespace {

QComboBox* listBox(const QString& name, const QStringList& entries, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(entries);
    return box;
}

void choose(QComboBox* box, const QString& text) {
    const int at = box->findText(text, Qt::MatchFixedString);
    if (at >= 0)
        box->setCurrentIndex(at);
    else if (box->isEditable())
        box->setEditText(text);
}

}  // namespace

GangSocketsDialog::GangSocketsDialog(const QList<GangSocket>& sockets, QWidget* parent)
    : QDialog(parent), m_initial(sockets) {
    setObjectName(QStringLiteral("frmGangSockets"));
    setWindowTitle(tr("量产插座设置"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* countRow = new QHBoxLayout;
    auto* countLabel = new QLabel(tr("插座数(&N)："), this);
    countRow->addWidget(countLabel);
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("spnSockets"));
    countLabel->setBuddy(m_count);
    m_count->setRange(1, GangSockets::kMaxSockets);
    countRow->addWidget(m_count);
    countRow->addStretch();
    layout->addLayout(countRow);
    m_rows = new QGridLayout;
    layout->addLayout(m_rows);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    QPushButton* cancel = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_count, &QSpinBox::valueChanged, this, &GangSocketsDialog::setRowCount);
    m_count->setValue(qMax(1, int(sockets.size())));
    setRowCount(m_count->value());
}

void GangSocketsDialog::setRowCount(int count) {
    while (m_rowBoxes.size() < count) {
        const int n = int(m_rowBoxes.size());
        const GangSocket socket = m_initial.value(n, {QStringLiteral("COM%1").arg(n + 1), {}});
        const PortSettingsFields fields = PortSettingsFields::parse(
            socket.line.isEmpty() ? SettingsKeys::defaultLineSettings() : socket.line);
        Row row;
        row.port =
            listBox(QStringLiteral("cboPort_%1").arg(n), PortSettingsForm::portEntries(), this);
        // A device path (a stable /dev/serial/by-id link) is as good as a number.
        row.port->setEditable(true);
        choose(row.port, socket.port);
        row.speed =
            listBox(QStringLiteral("cboSpeed_%1").arg(n), PortSettingsFields::speedEntries(), this);
        // Any speed the port takes, as in the port settings dialog.
        row.speed->setEditable(true);
        choose(row.speed, fields.speed);
        row.parity = listBox(QStringLiteral("cboParity_%1").arg(n),
                             PortSettingsFields::parityEntries(), this);
        row.parity->setCurrentIndex(fields.parityIndex);
        row.data = listBox(QStringLiteral("cboDataBits_%1").arg(n),
                           PortSettingsFields::dataBitsEntries(), this);
        choose(row.data, fields.dataBits);
        row.stop = listBox(QStringLiteral("cboStopBits_%1").arg(n),
                           PortSettingsFields::stopBitsEntries(), this);
        choose(row.stop, fields.stopBits);
        auto* label = new QLabel(tr("插座%1").arg(n + 1), this);
        label->setObjectName(QStringLiteral("lblSocket_%1").arg(n));
        m_rows->addWidget(label, n, 0);
        row.labels << label;
        // Each list has its caption beside it, which names it to a screen reader.
        const QStringList captions{tr("端口："), tr("速度："), tr("奇偶校验："), tr("数据位："),
                                   tr("停止位：")};
        const QList<QComboBox*> boxes{row.port, row.speed, row.parity, row.data, row.stop};
        for (int c = 0; c < boxes.size(); ++c) {
            auto* caption = new QLabel(captions[c], this);
            caption->setBuddy(boxes[c]);
            m_rows->addWidget(caption, n, 2 * c + 1, Qt::AlignRight);
            m_rows->addWidget(boxes[c], n, 2 * c + 2);
            row.labels << caption;
        }
        m_rowBoxes.append(row);
    }
    for (int n = 0; n < m_rowBoxes.size(); ++n) {
        const Row& row = m_rowBoxes[n];
        const bool shown = n < count;
        QList<QWidget*> parts{row.port, row.speed, row.parity, row.data, row.stop};
        for (QWidget* w : parts + row.labels)
            w->setVisible(shown);
    }
}

QComboBox* GangSocketsDialog::box(int row, const QString& field) const {
    if (row < 0 || row >= m_rowBoxes.size())
        return nullptr;
    const Row& r = m_rowBoxes[row];
    if (field == u"port")
        return r.port;
    if (field == u"speed")
        return r.speed;
    if (field == u"parity")
        return r.parity;
    if (field == u"data")
        return r.data;
    return field == u"stop" ? r.stop : nullptr;
}

QList<GangSocket> GangSocketsDialog::sockets() const {
    QList<GangSocket> sockets;
    for (int n = 0; n < m_count->value() && n < m_rowBoxes.size(); ++n) {
        const Row& row = m_rowBoxes[n];
        PortSettingsFields fields;
        fields.speed = row.speed->currentText();
        fields.parityIndex = row.parity->currentIndex();
        fields.dataBits = row.data->currentText();
        fields.stopBits = row.stop->currentText();
        sockets.append({row.port->currentText().trimmed(), fields.toText()});
    }
    return sockets;
}

}  // namespace kv::ui
