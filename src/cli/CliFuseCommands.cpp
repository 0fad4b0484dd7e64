// SPDX-License-Identifier: MIT
// Fuse, lock and calibration commands: the window's toolbar and button
// commands, with the cells set from the command line and a read-back.
#include <array>

#include <QCoreApplication>

#include "app/Workbench.h"
#include "cli/CliRunner.h"
#include "core/HexDigits.h"
#include "operations/AddressText.h"
#include "operations/CalibrationBytes.h"
#include "operations/CalibrationLayout.h"
#include "operations/SingleAccess.h"

namespace kv::cli {

namespace {

const char* const kByteNames[4] = {QT_TRANSLATE_NOOP("CliFuseCommands", "熔丝低字节"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "熔丝高字节"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "扩展熔丝位"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "锁定位")};

// Puts value into byte b's cells of a fuseBitString (cell 31 first). A cell
// the model lacks ("*") is sent as 1 and cannot take a 0: the text of that
// refusal, or empty.
QString setByte(QString& bits, int b, int value, const QString& model) {
    for (int k = 0; k < 8; ++k) {
        const int index = 31 - (8 * b + k);
        const bool one = (value >> k) & 1;
        if (index >= bits.size())
            return QCoreApplication::translate("CliFuseCommands", "熔丝定义不完整，未写入。");
        if (bits.at(index) == u'*') {
            if (!one) {
                return QCoreApplication::translate("CliFuseCommands",
                                                   "%1没有%2的第%3位，它只能为1，未写入。")
                    .arg(model, QCoreApplication::translate("CliFuseCommands", kByteNames[b]))
                    .arg(k);
            }
            continue;
        }
        bits[index] = one ? u'1' : u'0';
    }
    return {};
}

}  // namespace

QJsonObject CliRunner::fuseFindings(const QString& reading) const {
    const QString model = m_workbench->session().model().selectedModelName();
    QJsonObject found{
        {"lock", reading.left(2)}, {"high", reading.mid(4, 2)}, {"low", reading.mid(6, 2)}};
    found.insert(QStringLiteral("ext"), FuseCommands::hasExtendedFuseByte(model)
                                            ? QJsonValue(reading.mid(2, 2))
                                            : QJsonValue(QJsonValue::Null));
    return found;
}

int CliRunner::fuseRead() {
    Session& s = m_workbench->session();
    QString reading;
    const CommandResult result = m_workbench->runner().runExchange(
        [&] { reading = s.fuseCommands().readFuses(s.model().selectedModelName()); });
    if (const int code = outcome(result))
        return code;
    m_fuseReading = reading;
    if (reading.isEmpty()) {
        return fail(kExitProgrammer, QCoreApplication::translate(
                                         "CliFuseCommands", "读熔丝位失败：编程器的应答无效。"));
    }
    const QJsonObject found = fuseFindings(reading);
    for (auto it = found.begin(); it != found.end(); ++it)
        m_findings.insert(it.key(), it.value());
    m_human = QStringLiteral("low=%1 high=%2").arg(reading.mid(6, 2), reading.mid(4, 2));
    if (found.value(QStringLiteral("ext")).isString())
        m_human += QStringLiteral(" ext=") + reading.mid(2, 2);
    m_human += QStringLiteral(" lock=") + reading.left(2);
    return kExitDone;
}

int CliRunner::fuseWrite() {
    const QString model = m_workbench->session().model().selectedModelName();
    if (m_request.ext && !FuseCommands::hasExtendedFuseByte(model))
        return fail(kExitUsage,
                    QCoreApplication::translate("CliFuseCommands", "%1没有扩展熔丝字节，未写入。")
                        .arg(model));
    // The bytes not named keep what the chip holds: they are read first.
    if (const int code = fuseRead())
        return code;
    QString bits = m_workbench->session().fuses().fuseBitString();
    const std::array<std::optional<int>, 3> values{m_request.low, m_request.high, m_request.ext};
    for (int b = 0; b < 3; ++b) {
        if (!values[b])
            continue;
        const QString refusal = setByte(bits, b, *values[b], model);
        if (!refusal.isEmpty())
            return fail(kExitUsage, refusal);
    }
    m_workbench->schemes().applyFuseBits(bits);
    const QString sent = FuseCommands::fuseField(m_workbench->session().fuses(), model);
    if (const int code = recordedWrite(CommandId::WriteFuses))
        return code;
    if (const int code = fuseRead())
        return code;
    return confirmFuses(sent);
}

// Against the last fuse read; sent: the fuse field as "WS" carried it.
int CliRunner::confirmFuses(const QString& sent) {
    const QString readBack = m_fuseReading.mid(2);
    const bool extended =
        FuseCommands::hasExtendedFuseByte(m_workbench->session().model().selectedModelName());
    if (readBack.mid(extended ? 0 : 2).compare(sent.mid(extended ? 0 : 2), Qt::CaseInsensitive) !=
        0) {
        return fail(kExitChipDisagrees, QCoreApplication::translate(
                                            "CliFuseCommands", "熔丝位未得到确认：写入%1，读回%2。")
                                            .arg(sent, readBack));
    }
    return kExitDone;
}

int CliRunner::fuseRecover() {
    Session& s = m_workbench->session();
    FuseCommands::Recovery recovery;
    const CommandResult result =
        m_workbench->runner().runRecorded(QStringLiteral("recover fuses"), [&] {
            RecordKeeper::StepFinding finding;
            recovery = s.fuseCommands().recoverDefaultFuses(s.model().selectedModelName());
            finding.fuseReading = recovery.reading;
            if (!recovery.confirmed)
                finding.fault = QStringLiteral("read-back differs");
            return finding;
        });
    if (!recovery.reading.isEmpty()) {
        const QJsonObject found = fuseFindings(recovery.reading);
        for (auto it = found.begin(); it != found.end(); ++it)
            m_findings.insert(it.key(), it.value());
    }
    if (const int code = outcome(result))
        return code;
    if (recovery.confirmed)
        return kExitDone;
    if (recovery.reading.isEmpty())
        return noAnswer();
    return fail(kExitChipDisagrees, QCoreApplication::translate(
                                        "CliFuseCommands", "恢复失败：读回的熔丝位不是出厂值。"));
}

int CliRunner::lockWrite() {
    if (const int code = fuseRead())
        return code;
    QString bits = m_workbench->session().fuses().fuseBitString();
    const QString refusal =
        setByte(bits, 3, *m_request.lockByte, m_workbench->session().model().selectedModelName());
    if (!refusal.isEmpty())
        return fail(kExitUsage, refusal);
    m_workbench->schemes().applyFuseBits(bits);
    const QString sent = m_workbench->session().fuses().byteText(3);
    if (const int code = recordedWrite(CommandId::WriteLock))
        return code;
    if (const int code = fuseRead())
        return code;
    return confirmLock(sent);
}

int CliRunner::confirmLock(const QString& sent) {
    const QString readBack = m_fuseReading.left(2);
    if (readBack.compare(sent, Qt::CaseInsensitive) != 0) {
        return fail(kExitChipDisagrees, QCoreApplication::translate(
                                            "CliFuseCommands", "锁定位未得到确认：写入%1，读回%2。")
                                            .arg(sent, readBack));
    }
    return kExitDone;
}

int CliRunner::calibrationRead() {
    const QString model = m_workbench->session().model().selectedModelName();
    if (CalibrationLayout::forModel(model).bytes.isEmpty())
        return fail(kExitUsage,
                    QCoreApplication::translate("CliFuseCommands", "%1没有校准字节。").arg(model));
    const CommandResult result = m_workbench->runCommand(CommandId::ReadCalibration);
    if (const int code = outcome(result))
        return code;
    const CalibrationState& state = m_workbench->session().calibration();
    QJsonObject values;
    QStringList shown;
    for (int slot = 0; slot < CalibrationState::kSlotCount; ++slot) {
        if (!state.isSlotEnabled(slot))
            continue;
        values.insert(CalibrationState::slotCaption(slot), state.slotValue(slot));
        shown << CalibrationState::slotCaption(slot) + u'=' + state.slotValue(slot);
    }
    if (values.isEmpty()) {
        return fail(kExitProgrammer,
                    QCoreApplication::translate("CliFuseCommands", "校准字节的应答无效。"));
    }
    m_findings.insert(QStringLiteral("calibration"), values);
    m_human = shown.join(u' ');
    return kExitDone;
}

int CliRunner::calibrationWrite() {
    ModelState& model = m_workbench->session().model();
    const int slot = *m_request.slotMhz == 1   ? 0
                     : *m_request.slotMhz == 2 ? 1
                     : *m_request.slotMhz == 4 ? 2
                                               : 3;
    const CalibrationLayout layout = CalibrationLayout::forModel(model.selectedModelName());
    const bool present =
        std::any_of(layout.bytes.cbegin(), layout.bytes.cend(),
                    [slot](const CalibrationLayout::Byte& b) { return b.slot == slot; });
    if (!present) {
        return fail(kExitUsage,
                    QCoreApplication::translate("CliFuseCommands", "%1没有%2MHz的校准字节。")
                        .arg(model.selectedModelName())
                        .arg(*m_request.slotMhz));
    }
    const bool toFlash = m_request.target == u"flash";
    AddressSpinner& box =
        toFlash ? model.flashCalibrationAddress() : model.eepromCalibrationAddress();
    if (m_request.address) {
        const int largest = (toFlash ? model.flashSize() : model.eepromSize()) - 1;
        if (!checkedAddress(QString::number(*m_request.address), largest)) {
            return fail(
                kExitUsage,
                QCoreApplication::translate("CliFuseCommands", "地址%1超出%2的%3（0 到 %4）。")
                    .arg(*m_request.address)
                    .arg(model.selectedModelName(), toFlash ? "FLASH" : "EEPROM")
                    .arg(largest));
        }
    }
    if (const int code = calibrationRead())
        return code;
    m_workbench->schemes().setCalibrationChoice(
        slot, toFlash ? CalibrationState::kTargetFlash : CalibrationState::kTargetEeprom);
    if (m_request.address)
        box.setText(QString::number(*m_request.address));
    CalibrationWrite written;
    const CommandResult result =
        m_workbench->runner().runRecorded(QStringLiteral("calibration"), [&] {
            RecordKeeper::StepFinding finding;
            written = m_workbench->session().calibrationBytes().writeCalibrationByte();
            finding.calibration = written;
            if (!written.acknowledged)
                finding.fault = QStringLiteral("not acknowledged");
            return finding;
        });
    m_findings.insert(QStringLiteral("value"),
                      m_workbench->session().calibration().slotValue(slot));
    m_findings.insert(QStringLiteral("target"), m_request.target);
    m_findings.insert(QStringLiteral("address"), box.text().toInt());
    if (const int code = outcome(result))
        return code;
    if (!written.acknowledged)
        return noAnswer();
    return confirmCalibration(written);
}

// A calibration byte cannot be taken back: what the cell holds now is read
// and compared, since a cell that held another value keeps only the bits
// both have.
int CliRunner::confirmCalibration(const CalibrationWrite& written) {
    SingleAccess& single = m_workbench->session().singleAccessCommands();
    QString held;
    const CommandResult result =
        m_workbench->runner().runExchange([&] { held = single.heldCalibration(written); });
    if (const int code = outcome(result))
        return code;
    if (held.isEmpty())
        return noAnswer();
    m_findings.insert(QStringLiteral("readBack"), held);
    if (held.compare(written.value, Qt::CaseInsensitive) != 0) {
        return fail(kExitChipDisagrees,
                    QCoreApplication::translate("CliFuseCommands",
                                                "校准字节未得到确认：写入%1，地址%2读回%3。")
                        .arg(written.value)
                        .arg(written.address)
                        .arg(held));
    }
    return kExitDone;
}

// A fuse or lock write with the record around it; a silent programmer is
// found from the reply the write returns.
int CliRunner::recordedWrite(CommandId id) {
    Session& s = m_workbench->session();
    std::optional<QString> reply;
    const CommandResult result =
        m_workbench->runner().runRecorded(CommandTable::info(id).recordStep, [&] {
            RecordKeeper::StepFinding finding;
            reply = id == CommandId::WriteFuses
                        ? s.fuseCommands().writeFuses(s.model().selectedModelName())
                        : s.fuseCommands().writeLockBits();
            if (reply && reply->isEmpty())
                finding.fault = QStringLiteral("no answer");
            return finding;
        });
    if (const int code = outcome(result))
        return code;
    if (!reply)
        return fail(kExitUsage,
                    QCoreApplication::translate("CliFuseCommands", "熔丝位未设定好，未写入。"));
    return reply->isEmpty() ? noAnswer() : kExitDone;
}

}  // namespace kv::cli
