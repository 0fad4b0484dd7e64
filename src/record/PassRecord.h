// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

// One image a pass wrote, identified by its content: a file of the same name
// may hold other bytes months later.
struct RecordImage {
    QString fileName;
    qint64 size = 0;
    QString sha256;  // 64 lower-case hex digits

    // The entry for these bytes as loaded from fileName.
    static RecordImage fromContent(const QString& fileName, const QByteArray& content);
    bool operator==(const RecordImage&) const = default;
};

// One step of a pass, in the order it ran.
struct RecordStep {
    QString name;    // e.g. "erase", "write flash", "verify eeprom"
    QString result;  // "pass", "fail" or "skipped"
    qint64 durationMs = 0;
    QString detail;  // what the step reported, empty when nothing
    bool operator==(const RecordStep&) const = default;
};

// What one programming pass (or one command that changed a chip) did.
struct PassRecord {
    qint64 id = 0;        // assigned by the store on append
    QDateTime startedAt;  // stored in UTC to the millisecond
    QDateTime finishedAt;
    QString station;  // host name unless the settings name the station
    QString port;     // e.g. "COM1"
    QString device;   // e.g. "/dev/ttyUSB0"
    QString model;
    QString signature;  // as read from the chip, e.g. "1E9307"
    std::optional<RecordImage> flash;
    std::optional<RecordImage> eeprom;
    QByteArray fusesWritten;  // low, high, extended; empty when none were written
    QByteArray fusesRead;
    std::optional<quint8> lockWritten;
    std::optional<quint8> lockRead;
    std::optional<quint8> calibrationValue;
    QString calibrationTarget;  // where the value went, e.g. "FLASH 0x1FFF"
    QList<RecordStep> steps;
    // "started" while the command runs (the row is written before its first
    // byte), then "pass", "fail" or "stopped" (Ctrl-C or a signal ended it).
    // A "started" row whose process is gone is shown as "interrupted".
    QString result;
    QString endReason;             // why a failed pass stopped; empty for a pass
    QString serialSequence;        // the sequence the serial number came from
    std::optional<qint64> serial;  // the number the chip holds
    // A number taken for this chip that is not known to be in it: never
    // handed out again. Also the number a running pass has taken.
    std::optional<qint64> spoiledSerial;
    QStringList log;

    // One id per pass, made by the station: an upload repeated after a lost
    // answer finds the row it already wrote instead of doubling it.
    QString passUid;
    // The process that wrote the row, to tell a running pass from one whose
    // process died: host name, process id and its start token.
    QString host;
    qint64 pid = 0;
    QString processToken;
    QString gangRun;  // the gang run the pass belonged to; empty outside one
    std::optional<int> gangSocket;
    QString schemeName;  // the scheme file the pass ran, and its bytes' SHA-256
    QString schemeSha256;
    QString programVersion;
    QString firmwareVersion;  // the programmer's, when it was read
    QString operatorName;
    QString lot;  // work order or lot

    // This computer's name, the station unless the settings give another.
    static QString defaultStation();

    // What made the record, from its steps: the step of a command that runs
    // alone (one of singleCommandSteps(): "erase", "fuses", ...) when that is
    // its only step, "pass" for a programming pass, empty when no step is
    // known (a row still started, or one that ended before its first step).
    QString operation() const;
    // The record steps of the commands recorded on their own.
    static const QStringList& singleCommandSteps();
    bool operator==(const PassRecord&) const = default;
};

}  // namespace kv
