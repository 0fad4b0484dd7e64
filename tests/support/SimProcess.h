// SPDX-License-Identifier: MIT
#pragma once

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

namespace kv::test {

// The kelvaro-sim executable on a pseudo-terminal, driven through its console
// (one command per line on standard input, one answer line on its output).
class SimProcess {
public:
    // The simulator answers at once; only a fault, never a busy machine, lets
    // a wait for it run this long.
    static constexpr int kPatienceMs = 30'000;

    static QString path() { return QStringLiteral(KV_BIN_DIR "/kelvaro-sim"); }
    static bool built() { return QFileInfo(path()).isExecutable(); }

    explicit SimProcess(const QStringList& arguments = {}) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(path(), arguments);
        m_started = m_process.waitForStarted(kPatienceMs);
        // "kelvaro-sim: MODEL on /dev/pts/N"
        m_greeting = readLine();
        const qsizetype on = m_greeting.indexOf(QStringLiteral(" on "));
        if (on >= 0)
            m_pts = m_greeting.mid(on + 4);
    }
    ~SimProcess() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        send("quit");
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return m_started; }
    const QString& greeting() const { return m_greeting; }
    const QString& pts() const { return m_pts; }  // empty when it did not start

    // Sends a console line without waiting for the answer.
    void send(const QByteArray& line) {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(kPatienceMs);
    }
    // Sends a console line and returns its answer; earlier output is dropped.
    QString command(const QByteArray& line) {
        m_process.readAll();
        send(line);
        return readLine();
    }
    // The chip's state as the "dump" command reports it.
    QJsonObject dump() {
        send("dump");
        for (int i = 0; i < 20; ++i) {
            const QString text = readLine();
            if (text.startsWith(QLatin1Char('{')))
                return QJsonDocument::fromJson(text.toUtf8()).object();
            if (text.isEmpty())
                break;
        }
        return {};
    }
    // Every byte the simulator received, as text. An empty transcript prints
    // no line, so an unknown command follows as an end mark.
    QByteArray transcript() {
        m_process.readAll();
        send("transcript\nend-of-transcript");
        QString hex;
        for (int i = 0; i < 3; ++i) {
            const QString line = readLine();
            if (line.isEmpty() || line.startsWith(QLatin1String("error:")))
                break;
            hex = line;
        }
        return QByteArray::fromHex(hex.toLatin1());
    }
    bool waitForExit(int ms) { return m_process.waitForFinished(ms); }
    int exitCode() const { return m_process.exitCode(); }

private:
    QString readLine() {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(kPatienceMs))
                return {};
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QProcess m_process;
    bool m_started = false;
    QString m_greeting;
    QString m_pts;
};

}  // namespace kv::test
