// SPDX-License-Identifier: MIT
#include "ui/RecordViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/Accessibility.h"
#include "ui/Tones.h"

namespace kv::ui {

namespace {

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

RecordViewer::RecordViewer(const QString& url, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(url), m_prompts(prompts) {
    setObjectName(QStringLiteral("RecordViewer"));
    installWindowAccessibility();
    setWindowTitle(tr("生产记录"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(980, 640);
    // A window of its own, so Esc is not a dialog's: it closes it all the same.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    m_table = named(new QTableWidget(0, int(RecordBrowser::columnTitles().size())), "RecordTable");
    m_table->setHorizontalHeaderLabels(RecordBrowser::columnTitles());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the list for the details and the page buttons; the arrows move in it.
    m_table->setTabKeyNavigation(false);
    m_table->setAccessibleName(tr("记录列表"));
    m_table->setAccessibleDescription(tr("最新的记录在前；选中一条，下方显示它的全部内容"));
    m_details = named(new QPlainTextEdit, "RecordDetails");
    m_details->setReadOnly(true);
    m_details->setTabChangesFocus(true);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_details->setFocusPolicy(Qt::StrongFocus);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setAccessibleName(tr("记录详情"));
    m_details->setAccessibleDescription(tr("选中记录的全部内容"));
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(m_table);
    split->addWidget(m_details);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    m_message = named(new QLabel, "RecordMessage");
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->hide();
    m_page = named(new QLabel, "RecordPage");
    m_previous = named(new QPushButton(tr("上一页")), "RecordPrevious");
    m_next = named(new QPushButton(tr("下一页")), "RecordNext");
    auto* paging = new QHBoxLayout;
    paging->addWidget(m_page, 1);
    paging->addWidget(m_previous);
    paging->addWidget(m_next);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFilters());
    layout->addWidget(m_message);
    layout->addWidget(split, 1);
    layout->addLayout(paging);

    connect(m_previous, &QPushButton::clicked, this,
            [this] { showRows(m_browser.showPage(m_browser.page() - 1)); });
    connect(m_next, &QPushButton::clicked, this,
            [this] { showRows(m_browser.showPage(m_browser.page() + 1)); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &RecordViewer::showDetails);
    applyFilters();
}

QWidget* RecordViewer::buildFilters() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const QDate today = QDate::currentDate();
    m_fromOn = named(new QCheckBox(tr("从")), "RecordFromOn");
    m_from = named(new QDateEdit(today.addDays(-7)), "RecordFrom");
    m_toOn = named(new QCheckBox(tr("到")), "RecordToOn");
    m_to = named(new QDateEdit(today), "RecordTo");
    for (auto [on, date] : {std::pair{m_fromOn, m_from}, std::pair{m_toOn, m_to}}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        // A date counts only while its box is ticked.
        date->setEnabled(false);
        connect(on, &QCheckBox::toggled, date, &QDateEdit::setEnabled);
    }
    m_from->setAccessibleName(tr("开始日期"));
    m_to->setAccessibleName(tr("结束日期"));
    m_result = named(new QComboBox, "RecordResult");
    m_result->addItem(tr("全部"), QString());
    m_result->addItem(tr("合格"), QStringLiteral("pass"));
    m_result->addItem(tr("不合格"), QStringLiteral("fail"));
    m_operation = named(new QComboBox, "RecordOperation");
    m_operation->addItem(tr("全部"), QString());
    for (const QString& operation : RecordBrowser::operations())
        m_operation->addItem(RecordBrowser::operationText(operation), operation);
    m_model = named(new QLineEdit, "RecordModel");
    m_model->setPlaceholderText(tr("型号"));
    m_model->setAccessibleName(tr("型号"));
    m_station = named(new QLineEdit, "RecordStation");
    m_station->setPlaceholderText(tr("工位"));
    m_station->setAccessibleName(tr("工位"));
    m_serial = named(new QLineEdit, "RecordSerial");
    m_serial->setPlaceholderText(tr("序列号"));
    m_serial->setAccessibleName(tr("序列号"));
    m_serialPrefix = named(new QCheckBox(tr("前缀")), "RecordSerialPrefix");
    m_serialPrefix->setToolTip(tr("列出以这些数字开头的序列号"));
    auto* apply = named(new QPushButton(tr("查询")), "RecordApply");
    auto* refresh = named(new QPushButton(tr("刷新")), "RecordRefresh");
    auto* exportCsv = named(new QPushButton(tr("导出 CSV")), "RecordExport");
    // Each list has its caption before it, which also names it to a screen reader.
    auto* resultLabel = named(new QLabel(tr("结果(&R)：")), "RecordResultLabel");
    resultLabel->setBuddy(m_result);
    auto* operationLabel = named(new QLabel(tr("操作(&O)：")), "RecordOperationLabel");
    operationLabel->setBuddy(m_operation);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_fromOn, m_from, m_toOn, m_to, resultLabel, m_result, operationLabel, m_operation,
             m_model, m_station, m_serial, m_serialPrefix, apply, refresh, exportCsv})
        layout->addWidget(w);
    for (QLineEdit* edit : {m_model, m_station, m_serial})
        connect(edit, &QLineEdit::returnPressed, this, &RecordViewer::applyFilters);
    connect(apply, &QPushButton::clicked, this, &RecordViewer::applyFilters);
    connect(refresh, &QPushButton::clicked, this, &RecordViewer::refresh);
    connect(exportCsv, &QPushButton::clicked, this, &RecordViewer::exportCsv);
    return row;
}

RecordQuery RecordViewer::query() const {
    RecordQuery q;
    if (m_fromOn->isChecked())
        q.from = m_from->date();
    if (m_toOn->isChecked())
        q.to = m_to->date();
    q.result = m_result->currentData().toString();
    q.operation = m_operation->currentData().toString();
    q.model = m_model->text();
    q.station = m_station->text();
    q.serial = m_serial->text();
    q.serialPrefix = m_serialPrefix->isChecked();
    return q;
}

void RecordViewer::applyFilters() {
    showRows(m_browser.apply(query()));
}

void RecordViewer::setUrl(const QString& url) {
    m_browser.setUrl(url);
    applyFilters();
}

void RecordViewer::refresh() {
    showRows(m_browser.refresh());
}

void RecordViewer::showRows(bool ok) {
    m_message->setVisible(!ok);
    setTone(m_message, QColor(0xCD, 0, 0));
    m_message->setText(m_browser.errorText());
    const QList<PassRecord>& rows = m_browser.rows();
    m_table->clearContents();
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList texts = RecordBrowser::rowTexts(rows[r]);
        for (int c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setData(Qt::UserRole, rows[r].id);
            if (rows[r].result == u"fail")
                item->setForeground(
                    legibleOn(QColor(0xCD, 0, 0), m_table->palette().color(QPalette::Base)));
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_details->clear();
    m_page->setText(m_browser.pageText());
    m_previous->setEnabled(m_browser.page() > 0);
    m_next->setEnabled(m_browser.page() + 1 < m_browser.pageCount());
}

void RecordViewer::showDetails() {
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    if (selected.isEmpty()) {
        m_details->clear();
        return;
    }
    m_details->setPlainText(
        m_browser.detailsText(selected.first()->data(Qt::UserRole).toLongLong()));
}

void RecordViewer::exportCsv() {
    const auto outcome = m_browser.exportCsv(m_prompts);
    if (!outcome)
        return;
    setTone(m_message, m_browser.errorText().isEmpty() ? QColor() : QColor(0xCD, 0, 0));
    m_message->setText(*outcome);
    m_message->show();
}

}  // namespace kv::ui
