// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

namespace kv::cli {

// Everything the command line tells: log lines, progress, warnings and the
// one result. With --json each is one JSON object on its own line on stdout
// and human text goes nowhere; otherwise log lines (time-stamped as in the
// window's log) and a progress bar go to stderr, the result's findings to
// stdout. --quiet leaves only errors on stderr.
class CliReport {
public:
    CliReport(bool json, bool quiet, bool terminal);

    bool json() const { return m_json; }

    void log(const QString& message, const QString& stamp);
    // A step's progress; step names the memory ("flash", "eeprom").
    void progress(const QString& step, int done, int total);
    // A step of the pass begins, or the chip was identified: JSON lines only,
    // for a program that follows the run (the gang runner); the log says the
    // same to a person.
    void event(const QString& event, const QJsonObject& fields);
    // What the window shows in a warning box.
    void warning(const QString& text);
    // A note of the command line itself (not the program's log).
    void note(const QString& text);
    // --verbose: bytes that went to the programmer (sent) or came from it.
    void traffic(bool sent, const QByteArray& bytes);
    // How long the command took, after its findings; a person's line only.
    void elapsed(qint64 ms);
    // The last line: exit code, ok, a message on failure and the findings.
    // human: the findings as the text printed on stdout without --json.
    void result(int exitCode, const QString& message, const QJsonObject& findings,
                const QString& human);

private:
    using Lead = QList<QPair<QString, QJsonValue>>;
    void emitJson(const QString& event, const QJsonObject& rest, const Lead& lead = {});
    void toStderr(const QString& text);
    void endBar();
    static QString trafficText(const QByteArray& bytes);

    bool m_json;
    bool m_quiet;
    bool m_terminal;
    bool m_barShown = false;
};

}  // namespace kv::cli
