// SPDX-License-Identifier: MIT
#include "cli/CliGang.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QJsonDocument>
#include <cstdio>

#include "app/Language.h"
#include "app/PassRecorder.h"
#include "app/ShellTexts.h"
#include "cli/CliPlatform.h"
#include "pass/ProgrammerKinds.h"

namespace kv::cli {

namespace {

void putLine(FILE* stream, const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace

CliGang::CliGang(const CliRequest& request, CliReport& report, const QString& settingsFolder)
    : m_request(request),
      m_report(report),
      m_settingsFolder(settingsFolder),
      m_runner(QCoreApplication::applicationFilePath(), m_clock) {}

QByteArray CliGang::tagged(const QByteArray& line, const QString& port) {
    const QByteArray field =
        "\"port\":" +
        QJsonDocument(QJsonArray{port}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
    static const QByteArray lead = "{\"event\":\"";
    if (line.startsWith(lead)) {
        // The event name's closing quote; an escaped one inside the name is not it.
        for (qsizetype at = lead.size(); at < line.size(); ++at) {
            if (line.at(at) == '\\')
                ++at;
            else if (line.at(at) == '"')
                return line.left(at + 1) + ',' + field + line.mid(at + 1);
        }
    }
    if (line == "{}" || !line.startsWith('{'))
        return '{' + field + '}';
    return '{' + field + ',' + line.mid(1);
}

QStringList CliGang::childOptions(const CliRequest& request) {
    QStringList options;
    if (!request.model.isEmpty())
        options << QStringLiteral("-m") << request.model;
    if (request.noRecord)
        options << QStringLiteral("--no-record");
    if (request.operatorName)
        options << QStringLiteral("--operator") << *request.operatorName;
    if (request.lot)
        options << QStringLiteral("--lot") << *request.lot;
    // This run's language, however it was chosen, so every socket's lines read alike.
    options << QStringLiteral("--lang") << languageCode(currentLanguage());
    if (request.programmer != programmerKinds().front().name)
        options << QStringLiteral("--programmer") << request.programmer;
    if (!request.serialFile.isEmpty())
        options << QStringLiteral("--serial") << request.serialFile;
    return options;
}

QProcessEnvironment CliGang::childEnvironment(const CliRequest& request,
                                              QProcessEnvironment environment) {
    // The address may hold a password; the environment is only its user's to
    // read (/proc/PID/environ), a command line everyone's (ps).
    environment.remove(GangRunner::recordVariable());
    if (!request.recordUrl.isEmpty() && !request.noRecord)
        environment.insert(GangRunner::recordVariable(), request.recordUrl);
    return environment;
}

int CliGang::run(StopSignal& stop) {
    QList<GangSocket> sockets;
    if (!m_request.gangPorts.isEmpty()) {
        sockets = GangSockets::fromPortList(m_request.gangPorts);
    } else {
        const SettingsSnapshot settings(ShellTexts::appTitle(), m_settingsFolder);
        sockets = GangSockets::load(settings);
    }
    if (sockets.isEmpty()) {
        const QString message = QCoreApplication::translate(
            "CliGang", "没有插座：用 --ports 列出端口，或在量产窗口的插座设置中保存。");
        m_report.result(kExitUsage, message, {}, {});
        return kExitUsage;
    }
    if (!m_request.baud.isEmpty()) {
        for (GangSocket& socket : sockets)
            socket.line = m_request.baud;
    }
    if (const int code = prepareRecord())
        return code;
    m_runner.setSockets(sockets);
    m_runner.setCommand(m_request.gangCommand, childOptions(m_request));
    m_runner.setEnvironment(childEnvironment(m_request, QProcessEnvironment::systemEnvironment()));
    QObject::connect(&m_runner, &GangRunner::lineReceived, &m_runner,
                     [this](int index, const QJsonObject& line, const QByteArray& raw) {
                         forward(index, line, raw);
                     });
    QObject::connect(&m_runner, &GangRunner::socketFinished, &m_runner,
                     [this](int index) { reportSocket(index); });
    // Each child gets the signal the gang got, and ends as the gang does.
    QObject::connect(&stop, &StopSignal::stopRequested, &m_runner,
                     [this] { m_runner.stopAll(StopSignal::signalNumber()); });
    QEventLoop loop;
    QObject::connect(&m_runner, &GangRunner::allFinished, &loop, &QEventLoop::quit);
    m_runner.startAll();
    if (m_runner.anyRunning())
        loop.exec();

    const int failed = m_runner.count() - m_passed;
    int code = failed == 0 ? kExitDone : m_firstFailure;
    if (StopSignal::requested())
        code = StopSignal::exitCode();
    const QJsonObject findings{{"passed", m_passed}, {"failed", failed}, {"sockets", m_sockets}};
    const QString summary =
        QCoreApplication::translate("CliGang", "量产：%1 个插座通过，%2 个失败。")
            .arg(m_passed)
            .arg(failed);
    m_report.result(code, code == kExitDone ? QString() : summary, findings,
                    code == kExitDone ? summary : QString());
    return code;
}

// A fresh record gets its tables at its first use; the sockets' processes all
// start at once and would race to create them, so the gang opens it first. A
// record that cannot be kept refuses the gang once, before any socket starts.
int CliGang::prepareRecord() {
    if (m_request.noRecord || m_request.gangCommand.value(0) == u"detect")
        return kExitDone;
    const SettingsSnapshot settings(ShellTexts::appTitle(), m_settingsFolder);
    RecordPolicy policy = RecordPolicy::fromSettings(settings);
    if (!m_request.recordUrl.isEmpty())
        policy.url = m_request.recordUrl;
    PassRecorder recorder(policy, m_clock, [] { return QDateTime::currentDateTimeUtc(); });
    if (const std::optional<QString> refusal = recorder.admit()) {
        m_report.result(kExitRecord, *refusal, {}, {});
        return kExitRecord;
    }
    return kExitDone;
}

void CliGang::forward(int index, const QJsonObject& line, const QByteArray& raw) {
    // The child's result becomes the socket's line, written once it ended.
    if (!m_report.json() || line.value(QLatin1String("event")).toString() == u"result")
        return;
    putLine(stdout, tagged(raw, m_runner.sockets()[index].port));
}

void CliGang::reportSocket(int index) {
    const SocketState& s = m_runner.state(index);
    const QString port = m_runner.sockets()[index].port;
    const bool passed = s.phase == SocketState::Phase::Passed;
    // A child that ended without an exit code of its own failed at the port's end.
    const int exitCode = passed ? kExitDone : (s.exitCode > 0 ? s.exitCode : kExitProgrammer);
    m_passed += passed;
    if (!passed && m_firstFailure == kExitDone)
        m_firstFailure = exitCode;
    QJsonObject entry{
        {"socket", index + 1}, {"port", port},     {"result", SocketState::resultName(s.phase)},
        {"ok", passed},        {"exit", exitCode}, {"elapsedMs", s.elapsedMs(m_runner.nowMs())}};
    if (!s.signature.isEmpty())
        entry.insert(QStringLiteral("signature"), s.signature);
    if (!s.model.isEmpty())
        entry.insert(QStringLiteral("model"), s.model);
    if (s.record)
        entry.insert(QStringLiteral("record"), *s.record);
    if (!passed)
        entry.insert(QStringLiteral("message"), s.reason);
    m_sockets.append(entry);
    if (m_report.json()) {
        QJsonObject rest = entry;
        rest.remove(QStringLiteral("socket"));
        QByteArray line = QJsonDocument(rest).toJson(QJsonDocument::Compact);
        line =
            "{\"event\":\"socket\",\"socket\":" + QByteArray::number(index + 1) + ',' + line.mid(1);
        putLine(stdout, line);
        return;
    }
    QString text = port.leftJustified(7) + QStringLiteral("  ") + SocketState::phaseText(s.phase);
    if (!s.model.isEmpty())
        text += u' ' + s.model;
    text += QStringLiteral("  %1 s").arg(double(s.elapsedMs(m_runner.nowMs())) / 1000.0, 0, 'f', 1);
    if (!passed && !s.reason.isEmpty())
        text += QStringLiteral("  ") + s.reason;
    putLine(stdout, text.toUtf8());
}

}  // namespace kv::cli
