// SPDX-License-Identifier: MIT
#include "app/RecordBrowser.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <functional>

#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "record/RecordUrl.h"

namespace kv {

namespace {

QString localTime(const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          : QString();
}

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString byteText(const std::optional<quint8>& byte) {
    return byte ? hexText(QByteArray(1, char(*byte))) : QString();
}

}  // namespace

RecordBrowser::RecordBrowser(QString url, int pageSize) : m_pageSize(std::max(1, pageSize)) {
    setUrl(url);
}

void RecordBrowser::setUrl(const QString& url) {
    m_url = url.trimmed().isEmpty() ? RecordUrl::defaultUrl() : url.trimmed();
    m_store.reset();
}

RecordBrowser::~RecordBrowser() = default;

RecordFilter RecordBrowser::filterOf(const RecordQuery& query) {
    RecordFilter filter;
    if (query.from.isValid() && query.to.isValid() && query.to < query.from)
        throw OperationError(tr("结束日期早于开始日期。"), ErrorKind::Record);
    // Whole local days: the store compares instants.
    if (query.from.isValid())
        filter.since = query.from.startOfDay();
    if (query.to.isValid())
        filter.until = query.to.addDays(1).startOfDay();
    filter.result = query.result;
    filter.model = query.model.trimmed();
    filter.station = query.station.trimmed();
    filter.operation = query.operation;
    const QString serial = query.serial.trimmed();
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,18}$"));
    if (!serial.isEmpty()) {
        if (!digits.match(serial).hasMatch())
            throw OperationError(tr("序列号只能由数字组成：%1").arg(serial), ErrorKind::Record);
        if (query.serialPrefix)
            filter.serialPrefix = serial;
        else
            filter.serial = serial.toLongLong();
    }
    return filter;
}

RecordStore& RecordBrowser::store() {
    if (!m_store)
        m_store = std::make_unique<RecordStore>(m_url);
    return *m_store;
}

bool RecordBrowser::run(const std::function<void()>& work) {
    m_error.clear();
    try {
        work();
        return true;
    } catch (const OperationError& e) {
        m_error = e.text();
    } catch (const std::exception& e) {
        m_error = QString::fromLocal8Bit(e.what());
    }
    // A store that failed may come back: the next call connects anew.
    m_store.reset();
    return false;
}

bool RecordBrowser::list(const std::function<void()>& work) {
    if (run(work))
        return true;
    m_rows.clear();
    m_total = 0;
    m_page = 0;
    return false;
}

bool RecordBrowser::apply(const RecordQuery& query) {
    return list([&] {
        m_filter = filterOf(query);
        m_page = 0;
        m_total = store().count(m_filter);
        m_rows = store().list(m_filter, 0, m_pageSize);
    });
}

bool RecordBrowser::refresh() {
    const int wanted = m_page;
    return list([&] {
        m_total = store().count(m_filter);
        m_page = std::clamp(wanted, 0, pageCount() - 1);
        m_rows = store().list(m_filter, m_page * m_pageSize, m_pageSize);
    });
}

bool RecordBrowser::showPage(int page) {
    if (page < 0 || page >= pageCount())
        return false;
    return list([&] {
        m_rows = store().list(m_filter, page * m_pageSize, m_pageSize);
        m_page = page;
    });
}

int RecordBrowser::pageCount() const {
    return std::max<qint64>(1, (m_total + m_pageSize - 1) / m_pageSize);
}

QString RecordBrowser::pageText() const {
    return tr("第 %1/%2 页，共 %3 条记录").arg(m_page + 1).arg(pageCount()).arg(m_total);
}

QStringList RecordBrowser::columnTitles() {
    return {tr("开始时间"), tr("操作"),   tr("工位"), tr("端口"),          tr("型号"),
            tr("特征字"),   tr("序列号"), tr("结果"), tr("FLASH SHA-256"), tr("EEPROM SHA-256")};
}

QStringList RecordBrowser::operations() {
    return QStringList{QStringLiteral("pass")} + PassRecord::singleCommandSteps();
}

QString RecordBrowser::operationText(const QString& operation) {
    if (operation == u"pass")
        return tr("编程");
    if (operation == u"erase")
        return tr("擦除芯片");
    if (operation == u"fuses")
        return tr("写熔丝位");
    if (operation == u"lock")
        return tr("写锁定位");
    if (operation == u"recover fuses")
        return tr("恢复熔丝");
    if (operation == u"calibration")
        return tr("写校准字节");
    if (operation == u"write flash word")
        return tr("写FLASH字");
    if (operation == u"write eeprom byte")
        return tr("写EEPROM字节");
    return operation.isEmpty() ? QStringLiteral("-") : operation;
}

QString RecordBrowser::resultText(const QString& result) {
    if (result == u"pass")
        return tr("合格");
    if (result == u"fail")
        return tr("不合格");
    if (result == u"stopped")
        return tr("已停止");
    if (result == u"started")
        return tr("进行中");
    if (result == u"interrupted")
        return tr("中断");
    if (result == u"skipped")
        return tr("跳过");
    return result;
}

QStringList RecordBrowser::rowTexts(const PassRecord& r) {
    // Eight digits tell images apart at a glance; the details show all 64.
    const auto shortSha = [](const std::optional<RecordImage>& image) {
        return image ? image->sha256.left(8) : QString();
    };
    return {localTime(r.startedAt),
            operationText(r.operation()),
            r.station,
            r.port,
            r.model,
            r.signature,
            r.serial ? QString::number(*r.serial) : QString(),
            resultText(r.result),
            shortSha(r.flash),
            shortSha(r.eeprom)};
}

QString RecordBrowser::detailsText(qint64 id) {
    QString text;
    if (!run([&] { text = detailsOf(store().load(id)); }))
        return m_error;
    return text;
}

QString RecordBrowser::detailsOf(const PassRecord& r) {
    QStringList lines;
    const auto add = [&](const QString& label, const QString& value) {
        lines << tr("%1：%2", "record detail: label, value")
                     .arg(label, value.isEmpty() ? QStringLiteral("-") : value);
    };
    const auto image = [&](const QString& label, const std::optional<RecordImage>& i) {
        add(label, i ? tr("%1，%2 字节，SHA-256 %3").arg(i->fileName).arg(i->size).arg(i->sha256)
                     : QString());
    };
    const auto fuses = [&](const QByteArray& bytes) {
        const QString names[] = {tr("低位"), tr("高位"), tr("扩展位")};
        QStringList parts;
        for (qsizetype i = 0; i < bytes.size() && i < 3; ++i)
            parts << names[i] + u' ' + hexText(bytes.mid(i, 1));
        return parts.join(tr("，", "between the fuse bytes of a record detail"));
    };
    add(tr("记录编号"), QString::number(r.id));
    add(tr("操作"), operationText(r.operation()));
    add(tr("开始时间"), localTime(r.startedAt));
    add(tr("结束时间"), localTime(r.finishedAt));
    add(tr("工位"), r.station);
    add(tr("端口"),
        r.device.isEmpty() ? r.port : tr("%1（%2）", "port and its device").arg(r.port, r.device));
    add(tr("型号"), r.model);
    add(tr("特征字"), r.signature);
    add(tr("结果"), resultText(r.result));
    if (!r.endReason.isEmpty())
        add(tr("原因"), r.endReason);
    add(tr("序列号"), r.serial ? r.serialSequence + u' ' + QString::number(*r.serial) : QString());
    // Only what the row holds: rows of the first schema version have none of these.
    const auto addKnown = [&](const QString& label, const QString& value) {
        if (!value.isEmpty())
            add(label, value);
    };
    addKnown(tr("作废序列号"), r.spoiledSerial
                                   ? r.serialSequence + u' ' + QString::number(*r.spoiledSerial)
                                   : QString());
    addKnown(tr("操作员"), r.operatorName);
    addKnown(tr("工单/批号"), r.lot);
    addKnown(tr("方案"),
             r.schemeSha256.isEmpty()
                 ? r.schemeName
                 : tr("%1（SHA-256 %2）", "scheme and its hash").arg(r.schemeName, r.schemeSha256));
    addKnown(tr("量产"), r.gangRun.isEmpty()
                             ? QString()
                             : tr("插座 %1，批次 %2").arg(r.gangSocket.value_or(0)).arg(r.gangRun));
    addKnown(tr("程序版本"), r.programVersion);
    image(QStringLiteral("FLASH"), r.flash);
    image(QStringLiteral("EEPROM"), r.eeprom);
    add(tr("写入熔丝位"), fuses(r.fusesWritten));
    add(tr("读回熔丝位"), fuses(r.fusesRead));
    add(tr("写入锁定位"), byteText(r.lockWritten));
    add(tr("读回锁定位"), byteText(r.lockRead));
    add(tr("校准字节"), r.calibrationValue ? hexText(QByteArray(1, char(*r.calibrationValue))) +
                                                 u' ' + r.calibrationTarget
                                           : QString());
    lines << QString() << tr("步骤：");
    for (const RecordStep& s : r.steps) {
        QString line =
            QStringLiteral("  %1  %2  %3 ms").arg(s.name, resultText(s.result)).arg(s.durationMs);
        if (!s.detail.isEmpty())
            line += QStringLiteral("  ") + s.detail;
        lines << line;
    }
    lines << QString() << tr("日志：");
    for (const QString& line : r.log)
        lines << QStringLiteral("  ") + line;
    return lines.join(u'\n');
}

std::optional<QString> RecordBrowser::exportCsv(UserPrompts& prompts) {
    const auto path = prompts.saveFile(
        {tr("CSV 文件") + QStringLiteral("|*.csv|") + tr("所有文件") + QStringLiteral("|*.*"), 1,
         QString()});
    if (!path)
        return std::nullopt;
    QByteArray csv;
    if (!run([&] { csv = store().exportCsv(m_filter); }))
        return m_error;
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit())
        return m_error = tr("无法写入文件 %1：%2").arg(*path, file.errorString());
    return tr("已将筛选出的记录导出到 %1").arg(*path);
}

}  // namespace kv
