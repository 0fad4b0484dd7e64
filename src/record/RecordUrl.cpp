// SPDX-License-Identifier: MIT
#include "record/RecordUrl.h"

#include <QRegularExpression>
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

namespace {

// SQLite reads a name of the form "file:..." as a URI, which can ask for a
// database in memory, a temporary one or options this program would not
// honour. A plain "file:PATH" is the file; the rest is refused.
QString sqlitePathOf(const QString& text, const QString& path) {
    if (path == u":memory:" || path.startsWith(u":memory:?"))
        throw OperationError(recordtexts::keepsNothing(RecordUrl::redacted(text)));
    if (!path.startsWith(u"file:"))
        return path;
    const QUrl uri(path);
    const QUrlQuery query(uri);
    const bool inMemory = query.queryItemValue(QStringLiteral("mode")) == u"memory" ||
                          query.hasQueryItem(QStringLiteral("vfs")) || uri.path().isEmpty() ||
                          uri.path() == u":memory:";
    if (inMemory)
        throw OperationError(recordtexts::keepsNothing(RecordUrl::redacted(text)));
    if (!uri.isValid() || uri.hasQuery() || uri.hasFragment())
        throw OperationError(recordtexts::badUrl(RecordUrl::redacted(text)));
    return uri.path();
}

}  // namespace

QList<std::pair<qsizetype, qsizetype>> RecordUrl::passwordSpans(QByteArrayView text) {
    QList<std::pair<qsizetype, qsizetype>> spans;
    // The authority runs from "://" to the first / ? or #.
    if (const qsizetype scheme = text.indexOf("://"); scheme >= 0) {
        const qsizetype start = scheme + 3;
        qsizetype end = start;
        while (end < text.size() && text[end] != '/' && text[end] != '?' && text[end] != '#')
            ++end;
        const QByteArrayView authority = text.sliced(start, end - start);
        const qsizetype at = authority.indexOf('@');
        const qsizetype colon = at > 0 ? authority.first(at).indexOf(':') : -1;
        if (colon >= 0)
            spans.append({start + colon + 1, start + at});
    }
    for (qsizetype at = 1; at + 9 <= text.size(); ++at) {
        if ((text[at - 1] == '?' || text[at - 1] == '&') &&
            text.sliced(at, 9).compare("password=", Qt::CaseInsensitive) == 0) {
            qsizetype to = at + 9;
            while (to < text.size() && text[to] != '&' && text[to] != '#')
                ++to;
            spans.append({at + 9, to});
        }
    }
    return spans;
}

QString RecordUrl::redacted(const QString& text) {
    QByteArray bytes = text.toUtf8();
    const auto spans = passwordSpans(bytes);
    // From the end, so the earlier ranges stay where they were.
    for (auto span = spans.crbegin(); span != spans.crend(); ++span)
        bytes.replace(span->first, span->second - span->first, "***");
    return QString::fromUtf8(bytes);
}

QString RecordUrl::withoutPassword(const QString& text) {
    QString result = text.trimmed();
    if (!result.startsWith(u"postgres"))
        return result;
    static const QRegularExpression authority(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://[^/@?#:]*):[^@/?#]*@"));
    static const QRegularExpression later(QStringLiteral("&password=[^&#]*"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression first(QStringLiteral("\\?password=[^&#]*&?"),
                                          QRegularExpression::CaseInsensitiveOption);
    result.replace(authority, QStringLiteral("\\1@"));
    result.replace(later, QString());
    result.replace(first, QStringLiteral("?"));
    if (result.endsWith(u'?'))
        result.chop(1);
    return result;
}

RecordUrl RecordUrl::parse(const QString& text) {
    RecordUrl url;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u"sqlite:")) {
        QString path = trimmed.mid(7);
        if (path.startsWith(u"//"))  // sqlite:///abs/path
            path = path.mid(2);
        url.path = path.isEmpty() ? defaultSqlitePath() : sqlitePathOf(text, path);
        return url;
    }
    const QUrl parsed(trimmed, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != u"postgresql" && scheme != u"postgres"))
        throw OperationError(recordtexts::badUrl(redacted(text)));
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
        throw OperationError(recordtexts::badUrl(redacted(text)));
    if (query.hasQueryItem(QStringLiteral("port"))) {
        bool ok = false;
        url.port = query.queryItemValue(QStringLiteral("port")).toInt(&ok);
        if (!ok || !usablePort(url.port))
            throw OperationError(recordtexts::badUrl(redacted(text)));
    }
    if (query.hasQueryItem(QStringLiteral("password")))
        url.password = query.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("user")))
        url.user = query.queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded);
    if (url.database.isEmpty())
        throw OperationError(recordtexts::badUrl(redacted(text)));
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
    // Never the password: this text goes into messages and logs.
    if (host.startsWith(u'/'))
        text += QStringLiteral("?host=%1&port=%2").arg(host).arg(port < 0 ? 5432 : port);
    return text;
}

}  // namespace kv
