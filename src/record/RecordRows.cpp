// SPDX-License-Identifier: MIT
#include "record/RecordRows.h"

#include <QSqlQuery>

#include "record/ProcessIdentity.h"
#include "record/RecordDatabase.h"

namespace kv::recordrows {

namespace {

QVariant hexBytes(const QByteArray& bytes) {
    return bytes.isEmpty() ? nullableText(QString())
                           : QVariant(QString::fromLatin1(bytes.toHex(' ').toUpper()));
}
QVariant hexByte(const std::optional<quint8>& byte) {
    return byte ? hexBytes(QByteArray(1, char(*byte))) : nullableText(QString());
}
std::optional<quint8> byteFrom(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromHex(value.toString().toLatin1());
    return bytes.isEmpty() ? std::nullopt : std::optional<quint8>(quint8(bytes[0]));
}
std::optional<qint64> numberFrom(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<qint64>(value.toLongLong());
}
QString textFrom(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

void imageValues(QVariantList& values, const std::optional<RecordImage>& image) {
    values << nullableText(image ? image->fileName : QString())
           << nullable(image ? std::optional<qint64>(image->size) : std::nullopt)
           << nullableText(image ? image->sha256 : QString());
}
std::optional<RecordImage> imageFrom(const QSqlQuery& row, int column) {
    if (row.value(column).isNull() && row.value(column + 2).isNull())
        return std::nullopt;
    return RecordImage{textFrom(row.value(column)), row.value(column + 1).toLongLong(),
                       textFrom(row.value(column + 2))};
}

}  // namespace

const QStringList& passColumns() {
    static const QStringList columns = {
        QStringLiteral("started_at"),
        QStringLiteral("finished_at"),
        QStringLiteral("station"),
        QStringLiteral("port"),
        QStringLiteral("device"),
        QStringLiteral("model"),
        QStringLiteral("signature"),
        QStringLiteral("result"),
        QStringLiteral("end_reason"),
        QStringLiteral("serial_sequence"),
        QStringLiteral("serial"),
        QStringLiteral("flash_file"),
        QStringLiteral("flash_size"),
        QStringLiteral("flash_sha256"),
        QStringLiteral("eeprom_file"),
        QStringLiteral("eeprom_size"),
        QStringLiteral("eeprom_sha256"),
        QStringLiteral("fuses_written"),
        QStringLiteral("fuses_read"),
        QStringLiteral("lock_written"),
        QStringLiteral("lock_read"),
        QStringLiteral("calibration_value"),
        QStringLiteral("calibration_target"),
        QStringLiteral("pass_uid"),
        QStringLiteral("host"),
        QStringLiteral("pid"),
        QStringLiteral("process_token"),
        QStringLiteral("gang_run"),
        QStringLiteral("gang_socket"),
        QStringLiteral("scheme_name"),
        QStringLiteral("scheme_sha256"),
        QStringLiteral("program_version"),
        QStringLiteral("firmware_version"),
        QStringLiteral("operator_name"),
        QStringLiteral("lot"),
        QStringLiteral("spoiled_serial"),
    };
    return columns;
}

QVariantList passValues(const PassRecord& r) {
    QVariantList values;
    values << timeText(r.startedAt) << timeText(r.finishedAt) << r.station << nullableText(r.port)
           << nullableText(r.device) << nullableText(r.model) << nullableText(r.signature)
           << r.result << nullableText(r.endReason) << nullableText(r.serialSequence)
           << nullable(r.serial);
    imageValues(values, r.flash);
    imageValues(values, r.eeprom);
    values << hexBytes(r.fusesWritten) << hexBytes(r.fusesRead) << hexByte(r.lockWritten)
           << hexByte(r.lockRead) << nullable(r.calibrationValue)
           << nullableText(r.calibrationTarget);
    values << nullableText(r.passUid.isEmpty() ? QString() : r.passUid) << nullableText(r.host)
           << nullable(r.pid ? std::optional<qint64>(r.pid) : std::nullopt)
           << nullableText(r.processToken) << nullableText(r.gangRun) << nullable(r.gangSocket)
           << nullableText(r.schemeName) << nullableText(r.schemeSha256)
           << nullableText(r.programVersion) << nullableText(r.firmwareVersion)
           << nullableText(r.operatorName) << nullableText(r.lot) << nullable(r.spoiledSerial);
    return values;
}

PassRecord passFromRow(const QSqlQuery& row) {
    PassRecord r;
    r.id = row.value(0).toLongLong();
    r.startedAt = timeFromText(row.value(1).toString());
    r.finishedAt = timeFromText(row.value(2).toString());
    r.station = textFrom(row.value(3));
    r.port = textFrom(row.value(4));
    r.device = textFrom(row.value(5));
    r.model = textFrom(row.value(6));
    r.signature = textFrom(row.value(7));
    r.result = textFrom(row.value(8));
    r.endReason = textFrom(row.value(9));
    r.serialSequence = textFrom(row.value(10));
    r.serial = numberFrom(row.value(11));
    r.flash = imageFrom(row, 12);
    r.eeprom = imageFrom(row, 15);
    r.fusesWritten = QByteArray::fromHex(row.value(18).toString().toLatin1());
    r.fusesRead = QByteArray::fromHex(row.value(19).toString().toLatin1());
    r.lockWritten = byteFrom(row.value(20));
    r.lockRead = byteFrom(row.value(21));
    if (!row.value(22).isNull())
        r.calibrationValue = quint8(row.value(22).toInt());
    r.calibrationTarget = textFrom(row.value(23));
    r.passUid = textFrom(row.value(24));
    r.host = textFrom(row.value(25));
    r.pid = row.value(26).toLongLong();
    r.processToken = textFrom(row.value(27));
    r.gangRun = textFrom(row.value(28));
    if (!row.value(29).isNull())
        r.gangSocket = row.value(29).toInt();
    r.schemeName = textFrom(row.value(30));
    r.schemeSha256 = textFrom(row.value(31));
    r.programVersion = textFrom(row.value(32));
    r.firmwareVersion = textFrom(row.value(33));
    r.operatorName = textFrom(row.value(34));
    r.lot = textFrom(row.value(35));
    r.spoiledSerial = numberFrom(row.value(36));
    return r;
}

QString shownResult(const QString& result, const QString& host, qint64 pid, const QString& token,
                    const QDateTime& startedAt, const QDateTime& now) {
    if (result == u"started" && processidentity::writerIsGone(host, pid, token, startedAt, now))
        return QStringLiteral("interrupted");
    return result;
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFromText(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

}  // namespace kv::recordrows
