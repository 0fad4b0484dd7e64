// SPDX-License-Identifier: MIT
#include "record/ProcessIdentity.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>

namespace kv::processidentity {

namespace {

QString bootId() {
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll().trimmed());
}

// Field 22 of /proc/PID/stat, counted after the command's closing
// parenthesis (the command itself may hold spaces and parentheses).
QString startTime(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // fields[0] is field 3 (the state).
    return fields.size() > 19 ? QString::fromLatin1(fields[19]) : QString();
}

}  // namespace

QString localHost() {
    return QSysInfo::machineHostName();
}

qint64 currentPid() {
    return QCoreApplication::applicationPid();
}

QString tokenOf(qint64 pid) {
    const QString started = startTime(pid);
    return started.isEmpty() ? QString() : bootId() + u'/' + started;
}

QString currentToken() {
    return tokenOf(currentPid());
}

bool writerIsGone(const QString& host, qint64 pid, const QString& token, const QDateTime& startedAt,
                  const QDateTime& now) {
    if (host == localHost() && pid > 0 && !token.isEmpty())
        return tokenOf(pid) != token;
    return !startedAt.isValid() || startedAt.secsTo(now) > kForeignStartedLimitSecs;
}

}  // namespace kv::processidentity
