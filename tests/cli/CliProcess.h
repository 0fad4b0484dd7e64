// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <ostream>

#include "app/ShellTexts.h"
#include "settings/SettingsStore.h"

// Readable gtest output for JSON values.
inline void PrintTo(const QJsonValue& v, std::ostream* os) {
    *os << QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QJsonObject& o, std::ostream* os) {
    *os << QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

namespace kv::test {

// kelvaro-cli as a script runs it: its own process, a settings folder of its
// own (XDG_CONFIG_HOME), the JSON lines of its standard output.
class CliProcess {
public:
    static constexpr int kPatienceMs = 60'000;

    CliProcess() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        // The default production record lands here, not in the user's data folder.
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_config.path() + QStringLiteral("/data"));
        m_process.setProcessEnvironment(env);
        // The program's own texts, whatever locale the tests run in (without
        // one kelvaro-cli would speak English).
        setLocale({{QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8")}});
    }

    // The window's settings store this run reads.
    SettingsStore windowSettings() const {
        return SettingsStore(ShellTexts::appTitle(), m_config.path() + QStringLiteral("/kelvaro"));
    }
    QString configFolder() const { return m_config.path(); }
    // Runs on the settings and data folders of another run (its record).
    void useFoldersOf(const CliProcess& other) {
        QProcessEnvironment env = m_process.processEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), other.configFolder());
        env.insert(QStringLiteral("XDG_DATA_HOME"), other.configFolder() + QStringLiteral("/data"));
        m_process.setProcessEnvironment(env);
    }

    // The locale this run sees: the variables given, every other one unset.
    void setLocale(const QList<QPair<QString, QString>>& variables) {
        QProcessEnvironment env = m_process.processEnvironment();
        for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_CTYPE"})
            env.remove(QString::fromLatin1(name));
        for (const auto& [name, value] : variables)
            env.insert(name, value);
        m_process.setProcessEnvironment(env);
    }

    void setEnvironment(const QString& name, const QString& value) {
        QProcessEnvironment env = m_process.processEnvironment();
        env.insert(name, value);
        m_process.setProcessEnvironment(env);
    }

    // Starts the program through another one (e.g. "unshare ... sh -c ... "):
    // the launcher's words come first, then the program and its arguments.
    void setLauncher(const QStringList& words) { m_launcher = words; }

    void start(const QStringList& arguments) {
        const QString program = QStringLiteral(KV_BIN_DIR "/kelvaro-cli");
        if (m_launcher.isEmpty())
            m_process.start(program, arguments);
        else
            m_process.start(m_launcher.first(),
                            m_launcher.mid(1) + QStringList{program} + arguments);
        m_process.waitForStarted(kPatienceMs);
    }
    // Runs to the end; the exit code.
    int run(const QStringList& arguments) {
        start(arguments);
        return finish();
    }
    int finish() {
        if (!m_process.waitForFinished(kPatienceMs))
            m_process.kill();
        collect();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Waits for a JSON line of standard output that satisfies the test.
    template <typename Test>
    bool waitForLine(Test test) {
        for (;;) {
            collect();
            for (const QJsonObject& line : std::as_const(m_lines)) {
                if (test(line))
                    return true;
            }
            if (!m_process.waitForReadyRead(kPatienceMs))
                return false;
        }
    }
    qint64 pid() const { return m_process.processId(); }

    const QList<QJsonObject>& lines() const { return m_lines; }
    QJsonObject result() const {
        for (const QJsonObject& line : m_lines) {
            if (line.value("event") == "result")
                return line;
        }
        return {};
    }
    int resultCount() const {
        int n = 0;
        for (const QJsonObject& line : m_lines)
            n += line.value("event") == "result";
        return n;
    }
    QStringList logTexts() const {
        QStringList texts;
        for (const QJsonObject& line : m_lines) {
            if (line.value("event") == "log")
                texts << line.value("text").toString();
        }
        return texts;
    }
    const QByteArray& rawOutput() const { return m_stdout; }
    const QString& errors() const { return m_stderr; }

private:
    void collect() {
        m_stdout += m_process.readAllStandardOutput();
        m_stderr += QString::fromUtf8(m_process.readAllStandardError());
        m_lines.clear();
        for (const QByteArray& line : m_stdout.split('\n')) {
            if (!line.isEmpty())
                m_lines << QJsonDocument::fromJson(line).object();
        }
    }

    QTemporaryDir m_config;
    QStringList m_launcher;
    QProcess m_process;
    QByteArray m_stdout;
    QString m_stderr;
    QList<QJsonObject> m_lines;
};

}  // namespace kv::test
