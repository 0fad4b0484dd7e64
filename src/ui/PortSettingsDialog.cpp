// SPDX-License-Identifier: MIT
#include "ui/PortSettingsDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "link/PortMap.h"
#include "ports/PortSettingsFields.h"
#include "ports/PortSettingsForm.h"

namespace kv::ui {

namespace {

QComboBox* listBox(const char* name, const QStringList& entries, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(entries);
    return box;
}

QButtonGroup* optionGroup(const char* name, const QStringList& captions, QGroupBox* frame,
                          QWidget* owner) {
    auto* group = new QButtonGroup(owner);
    auto* layout = new QVBoxLayout(frame);
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions[i], frame);
        option->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
        group->addButton(option, i);
        layout->addWidget(option);
    }
    layout->addStretch();
    return group;
}

QString deviceText(const PortSettingsForm& form, int n) {
    const QString path = form.devicePath(n);
    if (path.isEmpty())
        return PortSettingsDialog::tr("（无设备）");
    return form.deviceExists(n) ? path : PortSettingsDialog::tr("%1（未找到）").arg(path);
}

}  // namespace

PortSettingsDialog::PortSettingsDialog(ProgrammerLink& link, SettingsStore& settings,
                                       UserPrompts& prompts, PortSettingsState& state,
                                       PortSettingsHooks hooks, PortMap* portMap, QWidget* parent)
    : QDialog(parent),
      m_form(
          new PortSettingsForm(link, settings, prompts, state, std::move(hooks), portMap, this)) {
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(tr("通信端口设置"));
    setModal(true);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabSettings"));
    tabs->setAccessibleName(tr("设置"));
    auto* frame = new QWidget(tabs);
    frame->setObjectName(QStringLiteral("fraSettings"));
    tabs->addTab(frame, tr("设置"));

    // Port box: "COMn" in the box, the device beside it in the drop-down list.
    m_port = new QComboBox(frame);
    m_port->setObjectName(QStringLiteral("cboPort"));
    auto* portModel = new QStandardItemModel(PortMap::kPortCount, 2, m_port);
    const QStringList ports = PortSettingsForm::portEntries();
    for (int i = 0; i < ports.size(); ++i)
        portModel->setItem(i, 0, new QStandardItem(ports[i]));
    m_port->setModel(portModel);
    if (m_form->hasDeviceMap()) {
        auto* view = new QTreeView(m_port);
        view->setHeaderHidden(true);
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setAllColumnsShowFocus(true);
        view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        m_port->setView(view);
        view->setMinimumWidth(
            m_port->fontMetrics().horizontalAdvance(tr("COM16  /dev/ttyUSB10（未找到）")));
    }
    m_device = new QLineEdit(frame);
    m_device->setObjectName(QStringLiteral("txtDevice"));
    m_device->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    m_device->setToolTip(tr("此端口号对应的串口设备，清空则恢复系统默认"));
    m_deviceState = new QLabel(frame);
    m_deviceState->setObjectName(QStringLiteral("lblDeviceState"));
    auto* deviceLabel = new QLabel(tr("设备:"), frame);
    deviceLabel->setBuddy(m_device);
    const bool mapped = m_form->hasDeviceMap();
    deviceLabel->setVisible(mapped);
    m_device->setVisible(mapped);
    m_deviceState->setVisible(mapped);

    auto* speedFrame = new QGroupBox(tr("最大速度"), frame);
    m_speed = listBox("cboSpeed", PortSettingsFields::speedEntries(), speedFrame);
    m_speed->setEditable(true);
    auto* speedLabel = new QLabel(tr("波特率:"), speedFrame);
    speedLabel->setBuddy(m_speed);
    auto* speedRow = new QHBoxLayout(speedFrame);
    speedRow->addWidget(speedLabel);
    speedRow->addWidget(m_speed, 1);

    auto* lineFrame = new QGroupBox(tr("优化连接"), frame);
    m_dataBits = listBox("cboDataBits", PortSettingsFields::dataBitsEntries(), lineFrame);
    m_parity = listBox("cboParity", PortSettingsFields::parityEntries(), lineFrame);
    m_stopBits = listBox("cboStopBits", PortSettingsFields::stopBitsEntries(), lineFrame);
    auto* lineLayout = new QGridLayout(lineFrame);
    const std::pair<QString, QComboBox*> lineRows[] = {
        {tr("数据位:"), m_dataBits}, {tr("奇偶位:"), m_parity}, {tr("停止位:"), m_stopBits}};
    for (int r = 0; r < 3; ++r) {
        auto* caption = new QLabel(lineRows[r].first, lineFrame);
        caption->setBuddy(lineRows[r].second);
        lineLayout->addWidget(caption, r, 0);
        lineLayout->addWidget(lineRows[r].second, r, 1);
    }

    auto* flowFrame = new QGroupBox(tr("流控制(&F)"), frame);
    m_flow = optionGroup("optFlow", PortSettingsForm::flowEntries(), flowFrame, this);
    auto* echoFrame = new QGroupBox(tr("响应(&E)"), frame);
    m_echo = optionGroup("optEcho", PortSettingsForm::echoEntries(), echoFrame, this);

    auto* grid = new QGridLayout(frame);
    auto* portRow = new QHBoxLayout;
    auto* portLabel = new QLabel(tr("端口:"), frame);
    portLabel->setBuddy(m_port);
    portRow->addWidget(portLabel);
    portRow->addWidget(m_port);
    portRow->addSpacing(8);
    portRow->addWidget(deviceLabel);
    portRow->addWidget(m_device, 1);
    portRow->addWidget(m_deviceState);
    if (!mapped)
        portRow->addStretch();
    grid->addLayout(portRow, 0, 0, 1, 2);
    grid->addWidget(speedFrame, 1, 0);
    grid->addWidget(flowFrame, 1, 1, 2, 1);
    grid->addWidget(lineFrame, 2, 0);
    grid->addWidget(echoFrame, 3, 1);

    m_ok = new QPushButton(tr("确定"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(tr("取消"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_find = new QPushButton(tr("自动检测"), this);
    m_find->setObjectName(QStringLiteral("FindCOM"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_find);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs);
    outer->addLayout(buttons);

    connect(m_port, &QComboBox::currentIndexChanged, m_form, &PortSettingsForm::setPortIndex);
    connect(m_speed, &QComboBox::currentTextChanged, m_form, &PortSettingsForm::setSpeed);
    connect(m_parity, &QComboBox::currentIndexChanged, m_form, &PortSettingsForm::setParityIndex);
    connect(m_dataBits, &QComboBox::currentTextChanged, m_form, &PortSettingsForm::setDataBits);
    connect(m_stopBits, &QComboBox::currentTextChanged, m_form, &PortSettingsForm::setStopBits);
    connect(m_flow, &QButtonGroup::idClicked, m_form, &PortSettingsForm::setFlowIndex);
    connect(m_echo, &QButtonGroup::idClicked, m_form, [this](int id) { m_form->setEcho(id == 1); });
    connect(m_device, &QLineEdit::editingFinished, this, &PortSettingsDialog::commitDeviceBox);
    connect(m_ok, &QPushButton::clicked, this, &PortSettingsDialog::onOk);
    connect(m_cancel, &QPushButton::clicked, this, &PortSettingsDialog::reject);
    connect(m_find, &QPushButton::clicked, this, &PortSettingsDialog::onSearch);
    connect(m_form, &PortSettingsForm::changed, this, &PortSettingsDialog::showForm);

    m_form->fill();
}

PortSettingsDialog::~PortSettingsDialog() = default;

void PortSettingsDialog::showForm() {
    const QSignalBlocker blockers[] = {QSignalBlocker(m_port),     QSignalBlocker(m_speed),
                                       QSignalBlocker(m_parity),   QSignalBlocker(m_dataBits),
                                       QSignalBlocker(m_stopBits), QSignalBlocker(m_device)};
    auto* model = static_cast<QStandardItemModel*>(m_port->model());
    if (m_form->hasDeviceMap()) {
        for (int n = 1; n <= PortMap::kPortCount; ++n) {
            auto* item = model->item(n - 1, 1);
            if (!item)
                model->setItem(n - 1, 1, item = new QStandardItem);
            item->setText(deviceText(*m_form, n));
        }
    }
    m_port->setCurrentIndex(m_form->portIndex());
    m_speed->setCurrentText(m_form->speed());
    m_parity->setCurrentIndex(m_form->parityIndex());
    m_dataBits->setCurrentIndex(m_dataBits->findText(m_form->dataBits()));
    m_stopBits->setCurrentIndex(m_stopBits->findText(m_form->stopBits()));
    if (QAbstractButton* flow = m_flow->button(m_form->flowIndex()))
        flow->setChecked(true);
    m_echo->button(m_form->echo() ? 1 : 0)->setChecked(true);

    const int n = m_form->portIndex() + 1;
    if (!m_device->hasFocus() || m_device->text() != m_form->devicePath(n))
        m_device->setText(m_form->devicePath(n));
    const bool missing = !m_form->devicePath(n).isEmpty() && !m_form->deviceExists(n);
    m_deviceState->setText(missing ? tr("未找到") : QString());
}

void PortSettingsDialog::commitDeviceBox() {
    if (m_form->hasDeviceMap() && m_device->isModified()) {
        m_form->setDevicePath(m_form->portIndex() + 1, m_device->text());
        m_device->setModified(false);
    }
}

void PortSettingsDialog::onOk() {
    commitDeviceBox();
    if (m_form->apply())
        accept();
}

void PortSettingsDialog::onSearch() {
    commitDeviceBox();
    m_searching = true;
    const QList<QWidget*> controls = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : controls)
        w->setEnabled(false);
    m_form->search();
    for (QWidget* w : controls)
        w->setEnabled(true);
    m_searching = false;
    accept();
}

void PortSettingsDialog::reject() {
    if (m_searching)
        return;
    QDialog::reject();
}

}  // namespace kv::ui
