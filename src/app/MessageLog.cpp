// SPDX-License-Identifier: MIT
#include "app/MessageLog.h"

namespace kv {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");
}

MessageLog::MessageLog(QObject* parent)
    : QObject(parent), m_timeOfDay([] { return QTime::currentTime(); }) {}

void MessageLog::setTimeOfDay(TimeOfDay source) {
    m_timeOfDay = std::move(source);
}

void MessageLog::setBanner(const QString& banner) {
    m_banner = banner;
    reset();
}

void MessageLog::reset() {
    m_text = m_banner;
    Q_EMIT changed();
}

QString MessageLog::stampLine(const QTime& time) {
    return QLatin1Char('[') + time.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(']') +
           kLineEnd;
}

QString MessageLog::trimmed(const QString& text) {
    if (text.size() <= kTrimAbove) {
        return text;
    }
    QString kept = text.right(kKeepLast);
    // Position counted from 1; 0 when there is no "]", which drops two characters.
    const qsizetype p = kept.indexOf(QLatin1Char(']')) + 1;
    kept = kept.right(qMax<qsizetype>(0, kept.size() - p - 2));
    // Never start with the second half of a surrogate pair cut in two.
    if (!kept.isEmpty() && kept.at(0).isLowSurrogate()) {
        kept.remove(0, 1);
    }
    return kept;
}

void MessageLog::sendInfo(const QString& message) {
    if (message.isEmpty()) {
        return;
    }
    const QString stamp = stampLine(m_timeOfDay());
    m_text = trimmed(m_text) + message + kLineEnd + stamp;
    Q_EMIT changed();
    Q_EMIT entryAdded(message, stamp.chopped(kLineEnd.size()));
}

}  // namespace kv
