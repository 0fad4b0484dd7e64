// SPDX-License-Identifier: MIT
#include "record/RecordSpool.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include "core/OperationError.h"
#include "record/RecordRows.h"

namespace kv {

namespace {

// A flush of many records against a slow server may hold the lock a while.
constexpr int kLockWaitMs = 30'000;

QJsonValue optionalNumber(const std::optional<qint64>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}
std::optional<qint64> numberFrom(const QJsonValue& value) {
    return value.isDouble() ? std::optional<qint64>(value.toInteger()) : std::nullopt;
}
QJsonValue imageJson(const std::optional<RecordImage>& image) {
    if (!image)
        return {};
    return QJsonObject{{"file", image->fileName}, {"size", image->size}, {"sha256", image->sha256}};
}
std::optional<RecordImage> imageFrom(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    return RecordImage{o["file"].toString(), o["size"].toInteger(), o["sha256"].toString()};
}
QString bytesText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

QJsonObject toJson(const PassRecord& r) {
    QJsonArray steps;
    for (const RecordStep& s : r.steps)
        steps.append(QJsonObject{{"name", s.name},
                                 {"result", s.result},
                                 {"durationMs", s.durationMs},
                                 {"detail", s.detail}});
    return {{"startedAt", recordrows::timeText(r.startedAt)},
            {"finishedAt", recordrows::timeText(r.finishedAt)},
            {"station", r.station},
            {"port", r.port},
            {"device", r.device},
            {"model", r.model},
            {"signature", r.signature},
            {"flash", imageJson(r.flash)},
            {"eeprom", imageJson(r.eeprom)},
            {"fusesWritten", bytesText(r.fusesWritten)},
            {"fusesRead", bytesText(r.fusesRead)},
            {"lockWritten", optionalNumber(r.lockWritten)},
            {"lockRead", optionalNumber(r.lockRead)},
            {"calibrationValue", optionalNumber(r.calibrationValue)},
            {"calibrationTarget", r.calibrationTarget},
            {"steps", steps},
            {"result", r.result},
            {"endReason", r.endReason},
            {"serialSequence", r.serialSequence},
            {"serial", optionalNumber(r.serial)},
            {"spoiledSerial", optionalNumber(r.spoiledSerial)},
            {"log", QJsonArray::fromStringList(r.log)},
            {"passUid", r.passUid},
            {"host", r.host},
            {"pid", r.pid},
            {"processToken", r.processToken},
            {"gangRun", r.gangRun},
            {"gangSocket", r.gangSocket ? QJsonValue(*r.gangSocket) : QJsonValue()},
            {"schemeName", r.schemeName},
            {"schemeSha256", r.schemeSha256},
            {"programVersion", r.programVersion},
            {"firmwareVersion", r.firmwareVersion},
            {"operator", r.operatorName},
            {"lot", r.lot}};
}

PassRecord fromJson(const QJsonObject& o) {
    PassRecord r;
    r.startedAt = recordrows::timeFromText(o["startedAt"].toString());
    r.finishedAt = recordrows::timeFromText(o["finishedAt"].toString());
    r.station = o["station"].toString();
    r.port = o["port"].toString();
    r.device = o["device"].toString();
    r.model = o["model"].toString();
    r.signature = o["signature"].toString();
    r.flash = imageFrom(o["flash"]);
    r.eeprom = imageFrom(o["eeprom"]);
    r.fusesWritten = QByteArray::fromHex(o["fusesWritten"].toString().toLatin1());
    r.fusesRead = QByteArray::fromHex(o["fusesRead"].toString().toLatin1());
    if (const auto lock = numberFrom(o["lockWritten"]))
        r.lockWritten = quint8(*lock);
    if (const auto lock = numberFrom(o["lockRead"]))
        r.lockRead = quint8(*lock);
    if (const auto value = numberFrom(o["calibrationValue"]))
        r.calibrationValue = quint8(*value);
    r.calibrationTarget = o["calibrationTarget"].toString();
    for (const QJsonValue& v : o["steps"].toArray()) {
        const QJsonObject s = v.toObject();
        r.steps << RecordStep{s["name"].toString(), s["result"].toString(),
                              s["durationMs"].toInteger(), s["detail"].toString()};
    }
    r.result = o["result"].toString();
    r.endReason = o["endReason"].toString();
    r.serialSequence = o["serialSequence"].toString();
    r.serial = numberFrom(o["serial"]);
    r.spoiledSerial = numberFrom(o["spoiledSerial"]);
    for (const QJsonValue& line : o["log"].toArray())
        r.log << line.toString();
    r.passUid = o["passUid"].toString();
    r.host = o["host"].toString();
    r.pid = o["pid"].toInteger();
    r.processToken = o["processToken"].toString();
    r.gangRun = o["gangRun"].toString();
    if (const auto socket = numberFrom(o["gangSocket"]))
        r.gangSocket = int(*socket);
    r.schemeName = o["schemeName"].toString();
    r.schemeSha256 = o["schemeSha256"].toString();
    r.programVersion = o["programVersion"].toString();
    r.firmwareVersion = o["firmwareVersion"].toString();
    r.operatorName = o["operator"].toString();
    r.lot = o["lot"].toString();
    return r;
}

class SpoolLock {
public:
    explicit SpoolLock(const QString& path) : m_lock(path + QStringLiteral(".lock")) {
        // A holder that died leaves its lock behind: QLockFile takes it over.
        if (!m_lock.tryLock(kLockWaitMs))
            throw OperationError(
                QCoreApplication::translate("RecordSpool", "记录暂存文件 %1 被另一个进程锁定。")
                    .arg(path),
                ErrorKind::Record);
    }

private:
    QLockFile m_lock;
};

QList<QByteArray> readLines(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw OperationError(
            QCoreApplication::translate("RecordSpool", "无法读取记录暂存文件 %1：%2")
                .arg(path, file.errorString()),
            ErrorKind::Record);
    QList<QByteArray> lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    return lines;
}

}  // namespace

RecordSpool::RecordSpool(QString path) : m_path(std::move(path)) {}

QString RecordSpool::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvaro/record-spool.jsonl");
}

void RecordSpool::append(const QString& target, const PassRecord& record) {
    auto failed = [&](const QString& why) {
        return OperationError(
            QCoreApplication::translate("RecordSpool", "无法写入记录暂存文件 %1：%2")
                .arg(m_path, why),
            ErrorKind::Record);
    };
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        throw failed(QStringLiteral("cannot create the folder"));
    SpoolLock lock(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw failed(file.errorString());
    const QByteArray line =
        QJsonDocument(QJsonObject{{"target", target}, {"record", toJson(record)}})
            .toJson(QJsonDocument::Compact) +
        '\n';
    // A line is on the disk before the run says its record is pending.
    if (file.write(line) != line.size() || !file.flush() || ::fsync(file.handle()) != 0)
        throw failed(file.errorString());
}

RecordSpool::Flushed RecordSpool::flush(const QString& target,
                                        const std::function<void(const PassRecord&)>& upload) {
    Flushed flushed;
    if (!QFileInfo::exists(m_path))
        return flushed;
    SpoolLock lock(m_path);
    QList<QByteArray> lines = readLines(m_path);
    QList<QByteArray> kept;
    std::optional<OperationError> failure;
    for (const QByteArray& line : std::as_const(lines)) {
        const QJsonObject entry = QJsonDocument::fromJson(line).object();
        if (failure || entry["target"].toString() != target) {
            kept << line;
            continue;
        }
        try {
            upload(fromJson(entry["record"].toObject()));
            ++flushed.uploaded;
        } catch (const OperationError& e) {
            failure = e;
            kept << line;
        }
    }
    flushed.waiting = int(kept.size());
    if (flushed.uploaded > 0) {
        // Replaced whole, or removed: never a half-written file.
        if (kept.isEmpty()) {
            QFile::remove(m_path);
        } else {
            QSaveFile file(m_path);
            if (file.open(QIODevice::WriteOnly)) {
                for (const QByteArray& line : std::as_const(kept))
                    file.write(line + '\n');
                file.commit();
            }
        }
    }
    if (failure)
        throw *failure;
    return flushed;
}

int RecordSpool::count(const QString& target) const {
    int n = 0;
    for (const QByteArray& line : readLines(m_path))
        n += QJsonDocument::fromJson(line).object()["target"].toString() == target;
    return n;
}

}  // namespace kv
