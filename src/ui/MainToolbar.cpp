// SPDX-License-Identifier: MIT
#include "ui/MainToolbar.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "ui/Icons.h"

namespace kv::ui {

namespace {

struct ButtonDef {
    const char* key;
    const char* caption;  // translated where shown
};

const ButtonDef kButtons[] = {
    {"SelectMCU", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "自动选择")},
    {"SetFuseDefault", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "调入默认")},
    {"ReadFuse", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "读熔丝位")},
    {"WriteFuse", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "写熔丝位")},
    {"WriteLock", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "写锁定位")},
    {"RecoverFuse", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "恢复熔丝")},
    {"EraserFlash", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "擦除芯片")},
    {"ProgramMCU", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "芯片编程")},
    {"CheckCOM", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "通讯检测")},
    {"SetCOM", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "设置端口")},
    {"slSET", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "存取方案")},
    {"Production", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "生产")},
    {"About", QT_TRANSLATE_NOOP("kv::ui::MainToolbar", "关于")},
};

}  // namespace

QStringList MainToolbar::buttonKeys() {
    QStringList keys;
    for (const ButtonDef& def : kButtons)
        keys << QString::fromLatin1(def.key);
    return keys;
}

MainToolbar::MainToolbar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Toolbar1"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(2, 1, 2, 1);
    m_row->setSpacing(0);
    for (const ButtonDef& def : kButtons)
        addButton(QString::fromLatin1(def.key), tr(def.caption));

    // The model menu is filled from the model table (setModelMenu).
    button(QStringLiteral("SelectMCU"))->setMenu(new QMenu(this));

    QMenu* program = new QMenu(this);
    addEntry(program, QStringLiteral("ProgramFLASH"), QStringLiteral("FLASH"));
    addEntry(program, QStringLiteral("ProgramEEPROM"), QStringLiteral("EEPROM"));
    button(QStringLiteral("ProgramMCU"))->setMenu(program);

    QMenu* port = new QMenu(this);
    addEntry(port, QStringLiteral("OpenCOM"), tr("打开端口"));
    addEntry(port, QStringLiteral("CloseCOM"), tr("关闭端口"));
    button(QStringLiteral("SetCOM"))->setMenu(port);

    QMenu* scheme = new QMenu(this);
    addEntry(scheme, QStringLiteral("LoadSet"), tr("打开方案"));
    addEntry(scheme, QStringLiteral("SaveSet"), tr("保存方案"));
    // A loaded ELF file's fuse and lock bytes go into the cells only when asked
    // for. Its own menu would widen the toolbar beyond the window.
    addEntry(scheme, QStringLiteral("FileFuses"), tr("调入文件熔丝位"));
    button(QStringLiteral("slSET"))->setMenu(scheme);

    // Production's own windows; more of them join this menu.
    QMenu* production = new QMenu(this);
    addEntry(production, QStringLiteral("RecordViewer"), tr("生产记录"));
    addEntry(production, QStringLiteral("RecordSettings"), tr("记录设置"));
    addEntry(production, QStringLiteral("Gang"), tr("量产"));
    button(QStringLiteral("Production"))->setMenu(production);

    QMenu* about = new QMenu(this);
    addEntry(about, QStringLiteral("FIRMWARE"), tr("固件版本"));
    addEntry(about, QStringLiteral("UPDATE"), tr("升级固件"));
    // A disabled entry without a key that only separates.
    QAction* rule = about->addAction(QStringLiteral("----------"));
    rule->setEnabled(false);
    addEntry(about, QStringLiteral("HELP"), tr("帮助(F1)"));
    button(QStringLiteral("About"))->setMenu(about);

    // The captioned buttons share the window's fixed width: each is as wide
    // as its caption (or its icon), plus the arrow of its menu.
    const int arrow = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this);
    for (QToolButton* b : std::as_const(m_buttons)) {
        if (b->menu())
            b->setPopupMode(QToolButton::MenuButtonPopup);
        const int text = b->fontMetrics().horizontalAdvance(b->text()) + 2;
        b->setFixedWidth(std::max(text, 32) + (b->menu() ? arrow + 2 : 0));
    }
    m_row->addStretch(1);
}

QToolButton* MainToolbar::addButton(const QString& key, const QString& caption) {
    auto* b = new QToolButton(this);
    b->setObjectName(key);
    b->setText(caption);
    b->setIcon(Icons::toolbar(key));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    connect(b, &QToolButton::clicked, this, [this, key] { Q_EMIT buttonClicked(key); });
    m_row->addWidget(b);
    m_buttons.insert(key, b);
    return b;
}

QAction* MainToolbar::addEntry(QMenu* menu, const QString& key, const QString& caption) {
    QAction* entry = menu->addAction(caption);
    entry->setObjectName(key);
    entry->setData(key);
    connect(entry, &QAction::triggered, this, [this, key] { Q_EMIT menuEntryClicked(key); });
    m_entries.insert(key, entry);
    return entry;
}

QMenu* MainToolbar::menuOf(const QString& buttonKey) const {
    QToolButton* b = button(buttonKey);
    return b ? b->menu() : nullptr;
}

void MainToolbar::setModelMenu(const QList<ModelEntry>& models) {
    QMenu* menu = menuOf(QStringLiteral("SelectMCU"));
    for (QAction* old : menu->actions())
        m_entries.remove(old->data().toString());
    menu->clear();  // deletes the entries the menu owns
    bool adapterSeen = false;
    for (const ModelEntry& model : models) {
        if (model.adapter && !adapterSeen) {
            adapterSeen = true;
            addEntry(menu, QStringLiteral("SP"), tr("--以下需适配器--"))->setEnabled(false);
        }
        addEntry(menu, model.name, model.name);
    }
}

}  // namespace kv::ui
