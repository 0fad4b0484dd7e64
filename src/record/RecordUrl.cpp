// SPDX-License-Identifier: MIT
#include "record/RecordUrl.h"

#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <optional>

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

bool isSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '.' || c == '-';
}

bool startsWithSqlite(QByteArrayView text) {
    qsizetype from = 0;
    while (from < text.size() && QChar::isSpace(uchar(text[from])))
        ++from;
    return text.size() - from >= 7 &&
           text.sliced(from, 7).compare("sqlite:", Qt::CaseInsensitive) == 0;
}

// Where the parts of a "scheme://..." setting stand, as byte offsets.
struct Layout {
    struct Option {
        qsizetype from = 0;
        qsizetype equals = -1;  // -1: a key without value
        qsizetype to = 0;
    };
    qsizetype schemeFrom = 0;
    qsizetype authority = 0;  // just after "://"
    qsizetype at = -1;        // the "@" that ends the user part
    qsizetype colon = -1;     // ":" between user and password
    qsizetype hostFrom = 0;
    qsizetype hostTo = 0;     // "/", "?" or the end
    qsizetype pathTo = 0;     // "?" or the end
    qsizetype question = -1;  // "?"
    QList<Option> options;
};

std::optional<Layout> layoutOf(QByteArrayView text) {
    if (startsWithSqlite(text))
        return std::nullopt;
    const qsizetype separator = text.indexOf("://");
    if (separator <= 0)
        return std::nullopt;
    Layout l;
    l.schemeFrom = separator;
    while (l.schemeFrom > 0 && isSchemeChar(text[l.schemeFrom - 1]))
        --l.schemeFrom;
    // "--record=sqlite:///path" on a command line: a file, no password.
    if (text.sliced(l.schemeFrom, separator - l.schemeFrom)
            .compare("sqlite", Qt::CaseInsensitive) == 0)
        return std::nullopt;
    l.authority = separator + 3;
    // The last "@": a password may hold any of / ? & @ # unencoded.
    const qsizetype at = text.lastIndexOf('@');
    if (at >= l.authority) {
        l.at = at;
        const qsizetype colon = text.sliced(l.authority, at - l.authority).indexOf(':');
        if (colon >= 0)
            l.colon = l.authority + colon;
    }
    l.hostFrom = l.at >= 0 ? l.at + 1 : l.authority;
    l.hostTo = l.hostFrom;
    while (l.hostTo < text.size() && text[l.hostTo] != '/' && text[l.hostTo] != '?')
        ++l.hostTo;
    l.pathTo = l.hostTo;
    while (l.pathTo < text.size() && text[l.pathTo] != '?')
        ++l.pathTo;
    if (l.pathTo < text.size()) {
        l.question = l.pathTo;
        qsizetype from = l.question + 1;
        while (true) {
            qsizetype to = from;
            while (to < text.size() && text[to] != '&')
                ++to;
            Layout::Option option{from, -1, to};
            const qsizetype equals = text.sliced(from, to - from).indexOf('=');
            if (equals >= 0)
                option.equals = from + equals;
            l.options << option;
            if (to >= text.size())
                break;
            from = to + 1;
        }
    }
    return l;
}

QByteArray optionKey(QByteArrayView text, const Layout::Option& option) {
    const qsizetype end = option.equals >= 0 ? option.equals : option.to;
    return QByteArray::fromPercentEncoding(
               text.sliced(option.from, end - option.from).toByteArray())
        .toLower();
}

bool isPasswordOption(QByteArrayView text, const Layout::Option& option) {
    return option.equals >= 0 && optionKey(text, option) == "password";
}

// Every "%" followed by two hex digits: a stray one would decode to
// something else than was meant.
bool escapesAreWhole(QByteArrayView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 2 >= text.size() || !isxdigit(uchar(text[i + 1])) || !isxdigit(uchar(text[i + 2])))
            return false;
        i += 2;
    }
    return true;
}

QString decoded(QByteArrayView text, qsizetype from, qsizetype to) {
    return QString::fromUtf8(
        QByteArray::fromPercentEncoding(text.sliced(from, to - from).toByteArray()));
}

std::optional<int> portOf(const QString& digits) {
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    // Port 0 and anything past 65535 name no server.
    const int port = digits.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

}  // namespace

QList<std::pair<qsizetype, qsizetype>> RecordUrl::passwordSpans(QByteArrayView text) {
    QList<std::pair<qsizetype, qsizetype>> spans;
    const std::optional<Layout> layout = layoutOf(text);
    if (!layout)
        return spans;
    if (layout->colon >= 0 && layout->at > layout->colon + 1)
        spans.append({layout->colon + 1, layout->at});
    for (const Layout::Option& option : layout->options) {
        if (isPasswordOption(text, option) && option.to > option.equals + 1)
            spans.append({option.equals + 1, option.to});
    }
    return spans;
}

QString RecordUrl::redacted(const QString& text) {
    QByteArray bytes = text.toUtf8();
    const auto spans = passwordSpans(bytes);
    // From the end (the spans come in text order), so the earlier ones stay put.
    for (auto span = spans.crbegin(); span != spans.crend(); ++span)
        bytes.replace(span->first, span->second - span->first, "***");
    return QString::fromUtf8(bytes);
}

QString RecordUrl::withoutPassword(const QString& text) {
    const QByteArray bytes = text.trimmed().toUtf8();
    const std::optional<Layout> layout = layoutOf(bytes);
    if (!layout)
        return QString::fromUtf8(bytes);
    QByteArray result;
    if (layout->colon >= 0)
        result = bytes.first(layout->colon) + bytes.sliced(layout->at, layout->pathTo - layout->at);
    else
        result = bytes.first(layout->pathTo);
    QList<QByteArray> kept;
    for (const Layout::Option& option : layout->options) {
        if (!isPasswordOption(bytes, option))
            kept << bytes.sliced(option.from, option.to - option.from);
    }
    if (layout->question >= 0 && !kept.isEmpty())
        result += '?' + kept.join('&');
    return QString::fromUtf8(result);
}

RecordUrl RecordUrl::parse(const QString& text) {
    RecordUrl url;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u"sqlite:", Qt::CaseInsensitive)) {
        QString path = trimmed.mid(7);
        if (path.startsWith(u"//"))  // sqlite:///abs/path
            path = path.mid(2);
        url.path = path.isEmpty() ? defaultSqlitePath() : sqlitePathOf(text, path);
        return url;
    }
    const auto bad = [&] { return OperationError(recordtexts::badUrl(redacted(text))); };
    const QByteArray bytes = trimmed.toUtf8();
    const std::optional<Layout> layout = layoutOf(bytes);
    if (!layout || layout->schemeFrom != 0 || !escapesAreWhole(bytes))
        throw bad();
    const QByteArray scheme = bytes.first(layout->authority - 3).toLower();
    if (scheme != "postgresql" && scheme != "postgres")
        throw bad();
    // Blanks would be cut off when the setting is stored and read again.
    for (const QChar c : trimmed) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            throw bad();
    }
    url.backend = Backend::Postgres;
    if (layout->at >= 0) {
        const qsizetype userTo = layout->colon >= 0 ? layout->colon : layout->at;
        url.user = decoded(bytes, layout->authority, userTo);
        if (layout->colon >= 0)
            url.password = decoded(bytes, layout->colon + 1, layout->at);
    }
    // host, [v6 host] or either with :port
    const QByteArrayView hostPort =
        QByteArrayView(bytes).sliced(layout->hostFrom, layout->hostTo - layout->hostFrom);
    qsizetype portColon = -1;
    if (hostPort.startsWith('[')) {
        const qsizetype close = hostPort.indexOf(']');
        if (close < 0 || (close + 1 < hostPort.size() && hostPort[close + 1] != ':'))
            throw bad();
        url.host = decoded(bytes, layout->hostFrom + 1, layout->hostFrom + close);
        if (close + 1 < hostPort.size())
            portColon = close + 1;
    } else {
        portColon = hostPort.lastIndexOf(':');
        url.host = decoded(bytes, layout->hostFrom,
                           layout->hostFrom + (portColon >= 0 ? portColon : hostPort.size()));
    }
    if (portColon >= 0 && portColon + 1 < hostPort.size()) {
        const auto port = portOf(QString::fromLatin1(hostPort.sliced(portColon + 1)));
        if (!port)
            throw bad();
        url.port = *port;
    }
    if (layout->hostTo < bytes.size() && bytes[layout->hostTo] == '/')
        url.database = decoded(bytes, layout->hostTo + 1, layout->pathTo);
    for (const Layout::Option& option : layout->options) {
        if (option.equals < 0)
            continue;
        const QByteArray key = optionKey(bytes, option);
        const QString value = decoded(bytes, option.equals + 1, option.to);
        if (key == "host") {
            url.host = value;
        } else if (key == "port") {
            const auto port = portOf(value);
            if (!port)
                throw bad();
            url.port = *port;
        } else if (key == "user") {
            url.user = value;
        } else if (key == "password") {
            url.password = value;
        }
    }
    if (url.database.isEmpty())
        throw bad();
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
