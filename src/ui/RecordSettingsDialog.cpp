// SPDX-License-Identifier: MIT
#include "ui/RecordSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/PassRecorder.h"
#include "app/RecordConnection.h"
#include "core/UserPrompts.h"
#include "record/RecordUrl.h"
#include "ui/Tones.h"

namespace kv::ui {

RecordSettingsDialog::RecordSettingsDialog(SettingsStore& settings, UserPrompts& prompts,
                                           QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompts(prompts) {
    setObjectName(QStringLiteral("RecordSettingsDialog"));
    setWindowTitle(tr("生产记录设置"));
    const RecordPolicy policy = RecordPolicy::fromSettings(settings);

    m_database = new QLineEdit(policy.url);
    m_database->setObjectName(QStringLiteral("RecordDatabase"));
    m_database->setMinimumWidth(420);
    m_database->setPlaceholderText(RecordUrl::defaultUrl());
    m_database->setToolTip(
        tr("sqlite:文件路径，或 postgresql://用户@主机:端口/数据库；"
           "空：默认的 SQLite 文件"));
    m_browse = new QPushButton(tr("浏览..."));
    m_browse->setObjectName(QStringLiteral("RecordBrowse"));
    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(m_database, 1);
    databaseRow->addWidget(m_browse);

    m_station = new QLineEdit(policy.station);
    m_station->setObjectName(QStringLiteral("RecordStationName"));
    // Empty keeps following the computer's name.
    m_station->setPlaceholderText(PassRecord::defaultStation());
    m_operator = new QLineEdit(policy.operatorName);
    m_operator->setObjectName(QStringLiteral("RecordOperator"));
    m_lot = new QLineEdit(policy.lot);
    m_lot->setObjectName(QStringLiteral("RecordLot"));
    m_allow = new QCheckBox(tr("允许无记录编程"));
    m_allow->setObjectName(QStringLiteral("RecordAllowUnrecorded"));
    m_allow->setChecked(policy.allowUnrecorded);
    m_readBack = new QCheckBox(tr("写熔丝位、锁定位和擦除后回读，记入生产记录"));
    m_readBack->setObjectName(QStringLiteral("RecordReadBack"));
    m_readBack->setChecked(policy.readBack);

    m_test = new QPushButton(tr("测试连接"));
    m_test->setObjectName(QStringLiteral("RecordTest"));
    m_testResult = new QLabel;
    m_testResult->setObjectName(QStringLiteral("RecordTestResult"));
    m_testResult->setWordWrap(true);
    m_testResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Shown with what the test found; an empty line would be a nameless stop.
    m_testResult->hide();
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(m_test);
    testRow->addWidget(m_testResult, 1);

    auto* form = new QFormLayout;
    auto* databaseLabel = new QLabel(tr("数据库："));
    databaseLabel->setBuddy(m_database);
    form->addRow(databaseLabel, databaseRow);
    form->addRow(tr("工位："), m_station);
    form->addRow(tr("操作员："), m_operator);
    form->addRow(tr("工单/批号："), m_lot);
    form->addRow(QString(), m_allow);
    form->addRow(QString(), m_readBack);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(buttons);

    connect(m_browse, &QPushButton::clicked, this, &RecordSettingsDialog::browse);
    connect(m_test, &QPushButton::clicked, this, &RecordSettingsDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &RecordSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RecordSettingsDialog::reject);
}

void RecordSettingsDialog::browse() {
    QString start;
    try {
        const QString setting = RecordConnection::settingOf(m_database->text());
        const RecordUrl url =
            RecordUrl::parse(setting.isEmpty() ? RecordUrl::defaultUrl() : setting);
        if (!url.isPostgres())
            start = url.path;
    } catch (...) {
        // A setting being typed: the dialog opens where it likes.
    }
    const auto path = m_prompts.saveFile({tr("SQLite 数据库") + QStringLiteral("|*.sqlite;*.db|") +
                                              tr("所有文件") + QStringLiteral("|*.*"),
                                          1, start});
    if (path)
        m_database->setText(QStringLiteral("sqlite:") + *path);
}

void RecordSettingsDialog::testConnection() {
    const RecordConnection::Outcome outcome = RecordConnection::test(m_database->text());
    setTone(m_testResult, outcome.ok ? QColor(0, 0x70, 0) : QColor(0xCD, 0, 0));
    m_testResult->setText(outcome.text);
    m_testResult->show();
}

void RecordSettingsDialog::accept() {
    if (const auto problem = RecordConnection::problem(m_database->text())) {
        m_prompts.warning(windowTitle(), *problem);
        return;
    }
    RecordPolicy policy;
    policy.url = m_database->text();
    policy.station = m_station->text();
    policy.operatorName = m_operator->text();
    policy.lot = m_lot->text();
    policy.allowUnrecorded = m_allow->isChecked();
    policy.readBack = m_readBack->isChecked();
    if (!RecordConnection::store(m_settings, policy)) {
        m_prompts.warning(windowTitle(), tr("无法保存生产记录设置。"));
        return;
    }
    if (RecordConnection::holdsPassword(policy.url))
        m_prompts.warning(windowTitle(), RecordConnection::passwordNotStored());
    QDialog::accept();
}

}  // namespace kv::ui
