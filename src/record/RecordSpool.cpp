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
#include <array>
#include <variant>

#include "core/OperationError.h"
#include "record/RecordRows.h"
#include "record/RecordStore.h"

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

// CRC-32 (IEEE 802.3, as zip and PNG use it) of a line's JSON.
quint32 crc32Of(QByteArrayView bytes) {
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char b : bytes)
        crc = table[(crc ^ uchar(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray journalLine(const QByteArray& json) {
    return QByteArray::number(json.size()) + ':' +
           QByteArray::number(crc32Of(json), 16).rightJustified(8, '0') + ':' + json + '\n';
}

struct Entry {
    QString target;
    PassRecord record;
};

// One line of the journal, or why it cannot be used. Lines of the plain JSON
// form that came before the journal are still read.
std::variant<Entry, QString> decodeLine(const QByteArray& line) {
    QByteArray json = line;
    if (!line.startsWith('{')) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        bool lengthOk = false;
        bool crcOk = false;
        const qint64 length = second < 0 ? -1 : line.first(first).toLongLong(&lengthOk);
        const quint32 crc =
            second < 0 ? 0 : line.sliced(first + 1, second - first - 1).toUInt(&crcOk, 16);
        if (!lengthOk || !crcOk)
            return QStringLiteral("no length and checksum");
        json = line.sliced(second + 1);
        if (json.size() != length)
            return QStringLiteral("length %1, %2 bytes found").arg(length).arg(json.size());
        if (crc32Of(json) != crc)
            return QStringLiteral("checksum differs");
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (!document.isObject())
        return QStringLiteral("not JSON: ") + error.errorString();
    const QJsonObject object = document.object();
    if (!object["target"].isString() || object["target"].toString().isEmpty() ||
        !object["record"].isObject())
        return QStringLiteral("no target or record");
    Entry entry{object["target"].toString(), fromJson(object["record"].toObject())};
    if (entry.record.passUid.isEmpty() || !entry.record.startedAt.isValid())
        return QStringLiteral("no pass id or start time");
    if (entry.record.result == u"started")
        return QStringLiteral("a record that did not end");
    if (const auto problem = RecordStore::problemWith(entry.record))
        return *problem;
    return entry;
}

class SpoolLock {
public:
    explicit SpoolLock(const QString& path) : m_lock(path + QStringLiteral(".lock")) {
        // A holder that died leaves its lock behind: QLockFile takes it over.
        if (m_lock.tryLock(kLockWaitMs))
            return;
        // Only a lock that is held is "locked"; one that cannot even be made
        // (a full disk, a folder not ours) says so.
        if (m_lock.error() == QLockFile::LockFailedError)
            throw OperationError(
                QCoreApplication::translate("RecordSpool", "记录暂存文件 %1 被另一个进程锁定。")
                    .arg(path),
                ErrorKind::Record);
        throw OperationError(
            QCoreApplication::translate("RecordSpool", "无法写入记录暂存文件 %1：%2")
                .arg(path, QCoreApplication::translate("RecordSpool",
                                                       "无法建立锁文件（磁盘已满"
                                                       "或没有写权限）")),
            ErrorKind::Record);
    }

private:
    QLockFile m_lock;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw OperationError(
            QCoreApplication::translate("RecordSpool", "无法读取记录暂存文件 %1：%2")
                .arg(path, file.errorString()),
            ErrorKind::Record);
    return file.readAll();
}

// The file's lines, and a last one without its line end: a write cut short.
struct Lines {
    QList<QByteArray> whole;
    QByteArray torn;
};
Lines linesOf(const QByteArray& bytes) {
    Lines lines;
    QList<QByteArray> parts = bytes.split('\n');
    if (!parts.isEmpty())
        lines.torn = parts.takeLast();
    for (const QByteArray& part : std::as_const(parts)) {
        if (!part.trimmed().isEmpty())
            lines.whole << part;
    }
    if (lines.torn.trimmed().isEmpty())
        lines.torn.clear();
    return lines;
}

// Appends lines to the quarantine file and puts them on the disk; false
// when that failed, and the lines must stay where they are.
bool quarantine(const QString& path, const QList<QByteArray>& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const qint64 before = file.size();
    for (const QByteArray& line : lines) {
        if (file.write(line + '\n') != line.size() + 1) {
            file.resize(before);
            return false;
        }
    }
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        file.resize(before);
        return false;
    }
    return true;
}

QString setAsideNote(int lines, const QString& spool, const QString& quarantinePath) {
    return QCoreApplication::translate("RecordSpool",
                                       "记录暂存文件 %1 中有 %2 行无法读取（写入中断或内容无效），"
                                       "已移到 %3，未上传。")
        .arg(spool)
        .arg(lines)
        .arg(quarantinePath);
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
    if (!file.open(QIODevice::ReadWrite))
        throw failed(file.errorString());
    // A line an earlier write left without its end is never joined to this
    // one: it goes to the quarantine file (or stays, closed off, when that
    // cannot be written either, and the next flush moves it).
    const QByteArray before = file.readAll();
    const Lines lines = linesOf(before);
    qint64 size = before.size();
    if (!lines.torn.isEmpty()) {
        const qint64 kept = before.lastIndexOf('\n') + 1;
        if (quarantine(quarantinePath(), {lines.torn}) && file.resize(kept))
            size = kept;
        else if (!file.seek(size) || file.write("\n") != 1)
            throw failed(file.errorString());
        else
            ++size;
    }
    const QByteArray line =
        journalLine(QJsonDocument(QJsonObject{{"target", target}, {"record", toJson(record)}})
                        .toJson(QJsonDocument::Compact));
    // A line is on the disk before the run says its record is pending; one
    // cut short is taken back, so nothing half-written stays behind.
    if (!file.seek(size) || file.write(line) != line.size() || !file.flush() ||
        ::fsync(file.handle()) != 0) {
        const QString why = file.errorString();
        file.resize(size);
        ::fsync(file.handle());
        throw failed(why);
    }
}

RecordSpool::Flushed RecordSpool::flush(const QString& target,
                                        const std::function<void(const PassRecord&)>& upload) {
    return flushWith(target, [&](const PassRecord& record) -> std::optional<QString> {
        upload(record);
        return std::nullopt;
    });
}

RecordSpool::Flushed RecordSpool::flushInto(RecordStore& store, const QString& target) {
    return flushWith(target,
                     [&](const PassRecord& record) { return store.upload(record).serialConflict; });
}

RecordSpool::Flushed RecordSpool::flushWith(const QString& target, const Upload& upload) {
    Flushed flushed;
    if (!QFileInfo::exists(m_path))
        return flushed;
    SpoolLock lock(m_path);
    const Lines lines = linesOf(readAll(m_path));
    QList<QByteArray> kept;
    QList<QByteArray> unreadable;
    std::optional<OperationError> failure;
    for (const QByteArray& line : lines.whole) {
        const auto decoded = decodeLine(line);
        if (std::holds_alternative<QString>(decoded)) {
            unreadable << line;
            continue;
        }
        const Entry& entry = std::get<Entry>(decoded);
        if (failure || entry.target != target) {
            kept << line;
            continue;
        }
        try {
            if (const auto conflict = upload(entry.record))
                flushed.conflicts << *conflict;
            ++flushed.uploaded;
        } catch (const OperationError& e) {
            failure = e;
            kept << line;
        }
    }
    if (!lines.torn.isEmpty())
        unreadable << lines.torn;
    if (!unreadable.isEmpty()) {
        if (quarantine(quarantinePath(), unreadable)) {
            flushed.setAside = int(unreadable.size());
            flushed.notes << setAsideNote(flushed.setAside, m_path, quarantinePath());
        } else {
            kept << unreadable;  // nothing is dropped that was not put elsewhere
        }
    }
    for (const QByteArray& line : std::as_const(kept))
        flushed.waiting += std::holds_alternative<Entry>(decodeLine(line));
    flushed.notes << flushed.conflicts;
    if (flushed.uploaded > 0 || flushed.setAside > 0) {
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
    for (const QByteArray& line : linesOf(readAll(m_path)).whole) {
        const auto decoded = decodeLine(line);
        n += std::holds_alternative<Entry>(decoded) && std::get<Entry>(decoded).target == target;
    }
    return n;
}

}  // namespace kv
