// SPDX-License-Identifier: MIT
#include "app/RecordKeeper.h"

#include "app/SerialFile.h"

#include <QFileInfo>

#include "app/PassRecorder.h"
#include "app/Session.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/PortMap.h"
#include "link/SerialControl.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "record/SerialNumbers.h"

namespace kv {

namespace {

const QString kPass = QStringLiteral("pass");
const QString kFail = QStringLiteral("fail");

// What the record keeps of the error that ended a command, the one place it
// sees the error's kind: a stop (ErrorKind::Stopped) keeps the stop's own
// text as the end reason, and finish() records it as "stopped".
std::optional<QString> recordedFailure(const std::optional<OperationError>& error) {
    return error ? std::optional<QString>(error->text()) : std::nullopt;
}

bool hasStep(const PassRecord& record, const QString& name) {
    for (const RecordStep& step : record.steps)
        if (step.name == name)
            return true;
    return false;
}

std::optional<RecordImage> imageOf(const ImageSlot& slot) {
    return RecordImage::fromContent(QFileInfo(slot.pathText()).fileName(), slot.image().toBytes());
}

// Low, high and (when the model has one) extended byte from hex pairs
// ordered extended, high, low; ".." stands for a byte the model lacks.
QByteArray fuseBytes(const QString& field) {
    QByteArray bytes;
    for (int at = field.size() - 2; at >= 0; at -= 2) {
        bool ok = false;
        const int value = field.mid(at, 2).toInt(&ok, 16);
        if (ok)
            bytes.append(char(value));
    }
    return bytes;
}

}  // namespace

RecordKeeper::RecordKeeper(Session& session, PassRecorder* recorder, PortMap* portMap,
                           QObject* parent)
    : QObject(parent), m_session(session), m_recorder(recorder), m_portMap(portMap) {
    if (!m_recorder)
        return;
    connect(&m_session.log(), &MessageLog::entryAdded, this,
            [this](const QString& message) { m_recorder->addLogLine(message); });
    connect(&m_session.programPass(), &ProgramPass::stepStarted, this, [this](PassStep step) {
        if (m_recorder->isActive())
            m_recorder->startStep(passStepName(step));
    });
    connect(&m_session.programPass(), &ProgramPass::stepFinished, this,
            [this](const StepOutcome& outcome) {
                if (!m_recorder->isActive())
                    return;
                if (outcome.step == PassStep::Signature) {
                    m_passSignature = outcome.signature;
                    m_passRejected = !outcome.signatureMatches;
                }
                if (outcome.calibration)
                    m_calibration = outcome.calibration;
                const std::optional<QString> fault = outcome.fault();
                m_recorder->endStep(fault ? kFail : kPass, fault.value_or(QString()));
            });
}

std::optional<QString> RecordKeeper::serialPlacementProblem() const {
    if (!m_serialScheme)
        return std::nullopt;
    const ModelState& model = m_session.model();
    const qint64 size = m_serialScheme->target == SerialScheme::Target::Flash ? model.flashSize()
                                                                              : model.eepromSize();
    return SerialFile::placementProblem(*m_serialScheme, size, m_serialSource);
}

std::optional<OperationError> RecordKeeper::admit(bool pass) {
    m_keep = false;
    m_takenSerial.reset();
    m_serialWanted = false;
    if (pass) {
        // Checked first: a line's numbering is never replaced by none.
        std::optional<QString> refusal = m_serialRefusal;
        if (!refusal)
            refusal = serialPlacementProblem();
        if (refusal) {
            m_session.log().sendInfo(*refusal);
            return OperationError(*refusal, ErrorKind::File);
        }
    }
    if (!m_recorder)
        return std::nullopt;
    // Before the first byte: a line that must record may not program unrecorded chips.
    if (const auto refusal = m_recorder->admit())
        return OperationError(*refusal, ErrorKind::Record);
    for (const QString& note : m_recorder->spoolNotes())
        m_session.log().sendInfo(note);
    const bool keep = m_recorder->unrecordedNote().isEmpty();
    if (!keep) {
        // Serial numbers come from the shared sequence in the record: taken
        // without it, two stations could hand out the same number.
        if (pass && m_serialScheme) {
            const QString refusal = tr("方案要求写入序列号，序列号只能从生产记录中取得；"
                                       "生产记录不可用，没有编程。\n%1")
                                        .arg(m_recorder->unrecordedReason());
            m_session.log().sendInfo(refusal);
            return OperationError(refusal, ErrorKind::Record);
        }
        m_session.log().sendInfo(m_recorder->unrecordedNote());
        return std::nullopt;
    }
    if (pass) {
        if (const auto refusal = defineSerialSequence())
            return OperationError(*refusal, ErrorKind::Record);
    }
    m_keep = true;
    return std::nullopt;
}

std::optional<OperationError> RecordKeeper::begin(const std::optional<QString>& step) {
    m_lastRecordId = 0;
    m_startedId = 0;
    m_recordPending.reset();
    m_recordLost.reset();
    m_lastResult.clear();
    m_stopped = false;
    m_takenSerial.reset();
    m_passSignature.reset();
    m_passRejected = false;
    m_calibration.reset();
    if (!m_keep)
        return std::nullopt;
    m_recorder->begin();
    PassRecord& record = m_recorder->record();
    const int number = m_session.port().portNumber();
    record.port = m_portText.isEmpty() ? QStringLiteral("COM%1").arg(number) : m_portText;
    if (m_portMap)
        record.device = m_portMap->devicePath(number);
    record.model = m_session.model().selectedModelName();
    // A version read from the programmer on another port is not this one's.
    if (m_recorder->context().firmwarePort != number)
        record.firmwareVersion.clear();
    try {
        // The number is taken with the row, in one transaction: never one
        // without the other.
        const RecordStore::Started started = m_recorder->writeStarted(
            m_serialScheme && m_serialWanted ? m_serialScheme->name : QString());
        m_startedId = started.id;
        m_takenSerial = started.serial;
    } catch (const OperationError& e) {
        m_keep = false;
        m_recorder->abandon();
        m_session.log().sendInfo(e.text());
        return OperationError(e.text(), ErrorKind::Record);
    }
    if (step)
        m_recorder->startStep(*step);
    return std::nullopt;
}

void RecordKeeper::complete(const std::optional<OperationError>& error,
                            const StepFinding& finding) {
    if (!m_keep)
        return;
    const std::optional<QString> failure = recordedFailure(error);
    if (m_takenSerial)
        writeSerialNumber(failure);
    try {
        completeRecord(failure, finding);
    } catch (const OperationError& e) {
        if (e.kind() != ErrorKind::Stopped)
            throw;
        m_stopped = true;
        m_recorder->endStep(kFail, e.text());
    }
}

std::optional<QString> RecordKeeper::finish(const std::optional<OperationError>& failure) {
    if (!m_keep)
        return std::nullopt;
    m_keep = false;
    m_chipSignature.reset();
    const bool stopped = m_stopped || (failure && failure->kind() == ErrorKind::Stopped);
    try {
        const PassRecorder::Finished finished =
            m_recorder->finish(recordedFailure(failure), stopped);
        m_lastResult = m_recorder->record().result;
        // A pending record completes its started row when it is uploaded.
        m_lastRecordId = finished.id ? finished.id : m_startedId;
        m_recordPending = finished.pending;
        if (m_recordPending)
            m_session.log().sendInfo(*m_recordPending);
    } catch (const OperationError& e) {
        // The chip has been written; the line must know this one went unrecorded.
        const PassRecord& record = m_recorder->record();
        m_lastResult = record.result;
        m_recordLost = LostRecord{e.text(), record.passUid,
                                  record.serial ? record.serial : record.spoiledSerial};
        m_session.log().sendInfo(e.text());
        return e.text();
    }
    return std::nullopt;
}

// Inside the command's exchange: what the chip holds now, read back where
// the command wrote fuse or lock bytes.
void RecordKeeper::completeRecord(const std::optional<QString>& failure,
                                  const StepFinding& finding) {
    PassRecord& record = m_recorder->record();
    if (finding.calibration)
        m_calibration = finding.calibration;
    if (!failure && !record.steps.isEmpty() && record.steps.last().result.isEmpty())
        m_recorder->endStep(finding.fault ? kFail : kPass, finding.fault.value_or(QString()));
    // Only what this command read from the chip, or what the front end read
    // from the same chip just before: never the window's placeholder, never
    // an earlier chip's.
    if (hasStep(record, QStringLiteral("signature")))
        record.signature = m_passSignature.value_or(QString());
    else
        record.signature = m_chipSignature.value_or(QString());
    const bool readBack = m_recorder->policy().readBack && !failure && m_session.port().isOpen();
    // The programmer does not acknowledge an erase: a silent one would pass
    // for a good erase unless something after it answers.
    if (readBack && !record.steps.isEmpty() && record.steps.last().name == u"erase") {
        const QString reading = readSignatureText(m_session.link(), false);
        if (reading.size() == 6) {
            record.signature = reading;
        } else {
            m_recorder->amendStep(QStringLiteral("erase"), kFail,
                                  QStringLiteral("no answer to the signature read after erase"));
            m_session.log().sendInfo(tr("擦除后读标识字无应答，本次擦除记录为不合格。"));
        }
    }
    if (hasStep(record, QStringLiteral("write flash")) ||
        hasStep(record, QStringLiteral("verify flash")))
        record.flash = imageOf(m_session.flash());
    if (hasStep(record, QStringLiteral("write eeprom")) ||
        hasStep(record, QStringLiteral("verify eeprom")))
        record.eeprom = imageOf(m_session.eeprom());
    const QString model = m_session.model().selectedModelName();
    const bool fuses = hasStep(record, QStringLiteral("fuses"));
    const bool lock = hasStep(record, QStringLiteral("lock"));
    const QString sentFuses = FuseCommands::fuseField(m_session.fuses(), model);
    if (fuses || hasStep(record, QStringLiteral("recover fuses")))
        record.fusesWritten = fuseBytes(sentFuses);
    if (lock)
        record.lockWritten = quint8(m_session.fuses().byteText(3).toInt(nullptr, 16));
    QString reading = finding.fuseReading.value_or(QString());
    bool readNow = finding.fuseReading.has_value() && !failure;
    if ((fuses || lock) && readBack) {
        reading = m_session.fuseCommands().readFuseBytes();
        readNow = true;
    }
    if (readNow && reading.size() == 8) {
        const QString readFuses = FuseCommands::hasExtendedFuseByte(model)
                                      ? reading.mid(2)
                                      : QStringLiteral("..") + reading.mid(4);
        record.fusesRead = fuseBytes(readFuses);
        record.lockRead = quint8(reading.left(2).toInt(nullptr, 16));
    }
    if (fuses && readNow && !failure && record.fusesRead != record.fusesWritten)
        m_recorder->amendStep(QStringLiteral("fuses"), kFail, QStringLiteral("read-back differs"));
    if (lock && readNow && !failure && record.lockRead != record.lockWritten)
        m_recorder->amendStep(QStringLiteral("lock"), kFail, QStringLiteral("read-back differs"));
    if (m_calibration) {
        record.calibrationValue = quint8(m_calibration->value.toInt(nullptr, 16));
        record.calibrationTarget =
            (m_calibration->toFlash ? QStringLiteral("FLASH 0x") : QStringLiteral("EEPROM 0x")) +
            hexField(m_calibration->address, 4);
    }
}

std::optional<QString> RecordKeeper::defineSerialSequence() {
    m_serialWanted = false;
    if (!m_serialScheme)
        return std::nullopt;
    try {
        SerialNumbers(m_recorder->store()).define(*m_serialScheme);
    } catch (const OperationError& e) {
        return e.text();
    }
    m_serialWanted = true;
    return std::nullopt;
}

void RecordKeeper::writeSerialNumber(const std::optional<QString>& failure) {
    PassRecord& record = m_recorder->record();
    record.serialSequence = m_serialScheme->name;
    bool written = false;
    // Why the number went unused; nullopt until something says so.
    std::optional<QString> reason = failure;
    bool stepsPassed = true;
    for (const RecordStep& step : std::as_const(record.steps))
        stepsPassed = stepsPassed && step.result != u"fail";
    // A chip that failed its pass gets no number.
    if (!failure && stepsPassed && !m_passRejected) {
        m_recorder->startStep(QStringLiteral("serial"));
        try {
            written = writeSerialBytes(m_serialScheme->bytesFor(*m_takenSerial));
        } catch (const OperationError& e) {
            // A stop here leaves part of the number in the chip: "stopped".
            m_stopped = m_stopped || e.kind() == ErrorKind::Stopped;
            m_recorder->endStep(QStringLiteral("fail"), e.text());
            reason = e.text();
        }
        if (!written && !reason)
            reason = QStringLiteral("not acknowledged");
        m_recorder->endStep(written ? QStringLiteral("pass") : QStringLiteral("fail"),
                            written ? QString() : *reason);
    }
    // The store marks the number used or spoiled with the row itself, so a
    // row that waits in the spool settles its number when it is uploaded.
    if (written) {
        record.serial = m_takenSerial;
        record.spoiledSerial.reset();
    } else {
        record.serial.reset();
        record.spoiledSerial = m_takenSerial;
    }
}

// Byte by byte into EEPROM, word by word into FLASH (a half outside the
// number stays FF, as erased FLASH holds), at the scheme's own addresses:
// the window's address boxes are neither used nor changed.
bool RecordKeeper::writeSerialBytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return false;
    const bool flash = m_serialScheme->target == SerialScheme::Target::Flash;
    const MemoryKind memory = flash ? MemoryKind::Flash : MemoryKind::Eeprom;
    const qint64 first = m_serialScheme->address;
    const qint64 last = first + bytes.size() - 1;
    bool acknowledged = true;
    for (qint64 at = flash ? first / 2 : first; acknowledged && at <= (flash ? last / 2 : last);
         ++at) {
        auto byteAt = [&](qint64 address) {
            return address < first || address > last ? 0xFF : quint8(bytes[address - first]);
        };
        const QString data = flash ? hexField(byteAt(2 * at), 2) + hexField(byteAt(2 * at + 1), 2)
                                   : hexField(byteAt(at), 2);
        acknowledged = m_session.singleAccessCommands().writeAt(memory, at, data);
    }
    return acknowledged;
}

}  // namespace kv
