// SPDX-License-Identifier: MIT
#include "cli/CliReport.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringDecoder>
#include <QStringList>
#include <cstdio>

namespace kv::cli {

namespace {

void put(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Programmer replies may carry their own line breaks.
QString oneLine(const QString& message) {
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return text.trimmed();
}

// One value as compact JSON text (Qt writes only whole documents).
QByteArray jsonValue(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

}  // namespace

CliReport::CliReport(bool json, bool quiet, bool terminal)
    : m_json(json), m_quiet(quiet), m_terminal(terminal) {}

// The event (and for the result its verdict) leads the line; Qt would sort
// the keys, so the rest is appended after them.
void CliReport::emitJson(const QString& event, const QJsonObject& rest, const Lead& lead) {
    QByteArray line = "{\"event\":" + jsonValue(event);
    for (const auto& [key, value] : lead)
        line += ",\"" + key.toUtf8() + "\":" + jsonValue(value);
    for (auto it = rest.begin(); it != rest.end(); ++it)
        line += ',' + jsonValue(it.key()) + ':' + jsonValue(it.value());
    put(stdout, QString::fromUtf8(line + "}\n"));
}

void CliReport::endBar() {
    if (m_barShown) {
        put(stderr, QStringLiteral("\r\033[K"));
        m_barShown = false;
    }
}

void CliReport::toStderr(const QString& text) {
    endBar();
    put(stderr, text + u'\n');
}

void CliReport::log(const QString& message, const QString& stamp) {
    if (m_json) {
        emitJson(QStringLiteral("log"), {{"text", message}});
    } else if (!m_quiet) {
        toStderr(stamp + u' ' + oneLine(message));
    }
}

void CliReport::progress(const QString& step, int done, int total) {
    if (m_json) {
        emitJson(QStringLiteral("progress"), {},
                 {{"step", step}, {"done", done}, {"total", total}});
        return;
    }
    // A bar only where someone watches it; a log file gets the log lines alone.
    if (m_quiet || !m_terminal || total <= 0)
        return;
    constexpr int kWidth = 40;
    const int filled = int(qint64(done) * kWidth / total);
    put(stderr, QStringLiteral("\r%1 [%2%3] %4%")
                    .arg(step.toUpper().leftJustified(6))
                    .arg(QString(filled, u'#'), QString(kWidth - filled, u'.'))
                    .arg(qint64(done) * 100 / total, 3));
    m_barShown = done < total;
    if (!m_barShown)
        put(stderr, QStringLiteral("\n"));
}

void CliReport::event(const QString& event, const QJsonObject& fields) {
    if (m_json)
        emitJson(event, fields);
}

void CliReport::warning(const QString& text) {
    if (m_json)
        emitJson(QStringLiteral("warning"), {{"text", text}});
    else
        toStderr(QCoreApplication::translate("CliReport", "警告：%1").arg(oneLine(text)));
}

void CliReport::note(const QString& text) {
    if (m_json)
        emitJson(QStringLiteral("note"), {{"text", text}});
    else if (!m_quiet)
        toStderr(text);
}

// Printable ASCII as it is, the programmer's GBK texts decoded, anything
// else (FLASH pages) as \xNN; a long piece cut short with its size.
QString CliReport::trafficText(const QByteArray& bytes) {
    constexpr qsizetype kShown = 96;
    const QByteArray head = bytes.left(kShown);
    bool plain = true;
    for (const char c : head)
        plain = plain && c >= 0x20 && c < 0x7F;
    QString text;
    if (!plain) {
        QStringDecoder gbk("GBK");
        const QString decoded = gbk.decode(head);
        bool printable = !gbk.hasError();
        for (const QChar c : decoded)
            printable = printable && c.isPrint();
        if (printable)
            text = decoded;
    }
    if (plain) {
        text = QString::fromLatin1(head);
    } else if (text.isEmpty()) {
        for (const char c : head) {
            const auto u = quint8(c);
            text += u >= 0x20 && u < 0x7F ? QString(QLatin1Char(c))
                                          : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        }
    }
    if (bytes.size() > kShown)
        text += QCoreApplication::translate("CliReport", " …（共 %1 字节）").arg(bytes.size());
    return text;
}

void CliReport::traffic(bool sent, const QByteArray& bytes) {
    const QString text = trafficText(bytes);
    if (m_json)
        emitJson(QStringLiteral("wire"), {{sent ? "sent" : "received", text}});
    else
        toStderr((sent ? QStringLiteral("> ") : QStringLiteral("< ")) + text);
}

void CliReport::elapsed(qint64 ms) {
    if (m_json || m_quiet)
        return;
    endBar();
    put(stderr,
        QCoreApplication::translate("CliReport", "用时 %1 秒").arg(double(ms) / 1000.0, 0, 'f', 1) +
            u'\n');
}

void CliReport::result(int exitCode, const QString& message, const QJsonObject& findings,
                       const QString& human) {
    if (m_json) {
        QJsonObject rest = findings;
        if (!message.isEmpty())
            rest.insert(QStringLiteral("message"), message);
        emitJson(QStringLiteral("result"), rest, {{"ok", exitCode == 0}, {"exit", exitCode}});
        return;
    }
    endBar();
    if (!human.isEmpty())
        put(stdout, human + u'\n');
    if (exitCode != 0 && !message.isEmpty())
        put(stderr, QCoreApplication::translate("CliReport", "错误：%1").arg(message) + u'\n');
}

}  // namespace kv::cli
