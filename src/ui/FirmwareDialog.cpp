// SPDX-License-Identifier: MIT
#include "ui/FirmwareDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "firmware/FirmwareUpdate.h"

namespace kv::ui {

namespace {

QLabel* statusLine(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumHeight(label->fontMetrics().height());
    return label;
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

FirmwareDialog::FirmwareDialog(ProgrammerLink& link, SettingsStore& settings, UserPrompts& prompts,
                               std::function<void()> connectionChanged, QWidget* parent)
    : QDialog(parent),
      m_update(new FirmwareUpdate(link, settings, prompts, std::move(connectionChanged), this)) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(tr("升级固件"));
    setModal(true);

    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("Text1"));
    auto* browse = button(QStringLiteral("..."), "Command1", this);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("升级文件"), this));
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);

    auto* pageFrame = new QGroupBox(tr("FLASH页大小"), this);
    m_pageSize = new QButtonGroup(this);
    auto* pageLayout = new QHBoxLayout(pageFrame);
    const QString captions[] = {QStringLiteral("16 Words(M48)"), QStringLiteral("32 Words(M8)"),
                                QStringLiteral("64 words(M16)")};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], pageFrame);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_pageSize->addButton(option, i);
        pageLayout->addWidget(option);
    }
    m_encrypted = new QCheckBox(tr("加密文件"), this);
    m_encrypted->setObjectName(QStringLiteral("Check1"));

    m_restartPrompt = statusLine("Label3", this);
    m_status = statusLine("Label4", this);
    m_byte = statusLine("Label6", this);

    m_upgrade = button(tr("升  级"), "OKButton", this);
    m_stop = button(tr("停  止"), "CancelButton", this);
    m_exit = button(tr("退  出"), "Command2", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_upgrade);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_exit);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(fileRow);
    outer->addWidget(pageFrame);
    outer->addWidget(m_encrypted);
    outer->addWidget(m_restartPrompt);
    outer->addWidget(m_status);
    outer->addWidget(m_byte);
    outer->addLayout(buttons);

    // Typed or put in by an input tool, the box names the file the update sends.
    connect(m_file, &QLineEdit::textChanged, m_update, &FirmwareUpdate::setFileName);
    connect(browse, &QPushButton::clicked, m_update, &FirmwareUpdate::browse);
    connect(m_pageSize, &QButtonGroup::idClicked, m_update, &FirmwareUpdate::setPageOption);
    connect(m_encrypted, &QCheckBox::toggled, m_update, &FirmwareUpdate::setEncrypted);
    connect(m_upgrade, &QPushButton::clicked, m_update, &FirmwareUpdate::upgrade);
    connect(m_stop, &QPushButton::clicked, m_update, &FirmwareUpdate::stop);
    connect(m_exit, &QPushButton::clicked, this, &FirmwareDialog::reject);
    connect(m_update, &FirmwareUpdate::changed, this, &FirmwareDialog::showState);
    connect(m_update, &FirmwareUpdate::closeRequested, this, &FirmwareDialog::reject);

    m_update->open();
}

FirmwareDialog::~FirmwareDialog() = default;

void FirmwareDialog::showState() {
    if (m_file->text() != m_update->fileName()) {
        const QSignalBlocker blocker(m_file);
        m_file->setText(m_update->fileName());
    }
    m_pageSize->button(m_update->pageOption())->setChecked(true);
    {
        const QSignalBlocker blocker(m_encrypted);
        m_encrypted->setChecked(m_update->encrypted());
    }
    m_restartPrompt->setText(m_update->restartPrompt());
    m_status->setText(m_update->status());
    m_byte->setText(m_update->byteText());
    m_upgrade->setEnabled(m_update->upgradeEnabled());
    m_exit->setEnabled(m_update->phase() != FirmwareUpdate::Phase::Transferring);
}

void FirmwareDialog::reject() {
    if (m_update->requestClose())
        QDialog::reject();
}

}  // namespace kv::ui
