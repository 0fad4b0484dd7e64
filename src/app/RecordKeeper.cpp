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
#include "operations/ProgramPass.h"
#include "pass/PassRecordRow.h"
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
    // What the record asks of a pass beyond the window's choices: the serial
    // number taken for this chip, and the read-back of what it wrote.
    m_session.programPass().setPlanAmender([this](PassPlan& plan) {
        if (!m_keep)
            return;
        plan.readBack = m_recorder->policy().readBack;
        if (m_takenSerial) {
            SerialPlan serial;
            serial.sequence = m_serialScheme->name;
            serial.number = *m_takenSerial;
            serial.memory = m_serialScheme->target == SerialScheme::Target::Flash
                                ? MemoryKind::Flash
                                : MemoryKind::Eeprom;
            serial.address = m_serialScheme->address;
            serial.bytes = m_serialScheme->bytesFor(*m_takenSerial);
            plan.serial = serial;
        }
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
    m_pass = !step;
    if (!m_keep)
        return std::nullopt;
    m_recorder->begin();
    PassRecord& record = m_recorder->record();
    const int number = m_session.platform().port.portNumber();
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
    if (m_pass) {
        // The pass's row comes from its plan and outcome alone.
        PassRecord& record = m_recorder->record();
        record.signature = m_chipSignature.value_or(QString());
        const ProgramPass& pass = m_session.programPass();
        fillPassRecord(record, pass.lastPlan(), pass.lastOutcome());
        return;
    }
    try {
        completeRecord(failure, finding);
    } catch (const OperationError& e) {
        // A stop in the read-back after the command: the row says "stopped".
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
    if (!failure && !record.steps.isEmpty() && record.steps.last().result.isEmpty())
        m_recorder->endStep(finding.fault ? kFail : kPass, finding.fault.value_or(QString()));
    // Only what this command read from the chip, or what the front end read
    // from the same chip just before: never the window's placeholder, never
    // an earlier chip's.
    record.signature = m_chipSignature.value_or(QString());
    const bool readBack =
        m_recorder->policy().readBack && !failure && m_session.platform().port.isOpen();
    // The programmer does not acknowledge an erase: a silent one would pass
    // for a good erase unless something after it answers.
    if (readBack && !record.steps.isEmpty() && record.steps.last().name == u"erase") {
        const QString reading = readSignatureText(m_session.programmer(), false);
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
    if (finding.calibration) {
        record.calibrationValue = quint8(finding.calibration->value.toInt(nullptr, 16));
        record.calibrationTarget = (finding.calibration->toFlash ? QStringLiteral("FLASH 0x")
                                                                 : QStringLiteral("EEPROM 0x")) +
                                   hexField(finding.calibration->address, 4);
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

}  // namespace kv
