// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QTime>
#include <functional>

namespace kv {

// The program's running report (the window's InfoText). The text held here is
// the log; the window only displays it and follows changed(). Every entry is
// the message + CR LF + "[HH:MM:SS]" + CR LF.
class MessageLog : public QObject {
    Q_OBJECT
public:
    using TimeOfDay = std::function<QTime()>;

    // Trimming: when the text is longer than kTrimAbove code units as a message
    // arrives, it is cut to its last kKeepLast, then up to and including the
    // first "]" and the line break after it.
    static constexpr int kTrimAbove = 1000;
    static constexpr int kKeepLast = 950;

    explicit MessageLog(QObject* parent = nullptr);

    // Local time of day by default; tests inject a fixed clock.
    void setTimeOfDay(TimeOfDay source);

    // Sets logBanner and makes it the whole text.
    void setBanner(const QString& banner);
    const QString& logBanner() const { return m_banner; }

    const QString& text() const { return m_text; }

    // Appends one entry; an empty message adds nothing.
    void sendInfo(const QString& message);
    // resetLog: back to the banner alone.
    void reset();

    // The stamp line for a time: "[" + HH:MM:SS + "]" + CR LF.
    static QString stampLine(const QTime& time);
    // The text as it is left before a new entry is appended.
    static QString trimmed(const QString& text);

Q_SIGNALS:
    void changed();
    // One per entry, after changed(): the message and its "[HH:MM:SS]" stamp
    // without the line break, for readers that follow entries, not the text.
    void entryAdded(const QString& message, const QString& stamp);

private:
    TimeOfDay m_timeOfDay;
    QString m_banner;
    QString m_text;
};

}  // namespace kv
