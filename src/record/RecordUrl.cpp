// SPDX-License-Identifier: MIT
#include "record/RecordUrl.h"

#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

#include "core/OperationError.h"
#include "record/RecordTexts.h"

namespace kv {

QString RecordUrl::defaultSqlitePath() {
    // The generic location plus our own folder name, so the file does not move
    // when the application or organisation name changes.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvaro/record.sqlite");
}

RecordUrl RecordUrl::parse(const QString& text) {
    RecordUrl url;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u"sqlite:")) {
        QString path = trimmed.mid(7);
        if (path.startsWith(u"//"))  // sqlite:///abs/path
            path = path.mid(2);
        url.path = path.isEmpty() ? defaultSqlitePath() : path;
        return url;
    }
    const QUrl parsed(trimmed, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != u"postgresql" && scheme != u"postgres"))
        throw OperationError(recordtexts::badUrl(text));
    url.backend = Backend::Postgres;
    url.host = parsed.host();
    url.port = parsed.port(-1);
    url.user = parsed.userName();
    url.password = parsed.password();
    url.database = parsed.path().mid(1);
    const QUrlQuery query(parsed);
    if (query.hasQueryItem(QStringLiteral("host")))
        url.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    // Port 0 and anything past 65535 name no server.
    const auto usablePort = [](int port) { return port >= 1 && port <= 65535; };
    if (url.port != -1 && !usablePort(url.port))
        throw OperationError(recordtexts::badUrl(text));
    if (query.hasQueryItem(QStringLiteral("port"))) {
        bool ok = false;
        url.port = query.queryItemValue(QStringLiteral("port")).toInt(&ok);
        if (!ok || !usablePort(url.port))
            throw OperationError(recordtexts::badUrl(text));
    }
    if (query.hasQueryItem(QStringLiteral("user")))
        url.user = query.queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded);
    if (url.database.isEmpty())
        throw OperationError(recordtexts::badUrl(text));
    return url;
}

QString RecordUrl::displayText() const {
    if (!isPostgres())
        return path;
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + u'@';
    text += host.startsWith(u'/') ? QString() : host;
    if (port >= 0 && !host.startsWith(u'/'))
        text += u':' + QString::number(port);
    text += u'/' + database;
    if (host.startsWith(u'/'))
        text += QStringLiteral("?host=%1&port=%2").arg(host).arg(port < 0 ? 5432 : port);
    return text;
}

}  // namespace kv
