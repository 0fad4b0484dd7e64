// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "schemes/SchemeFile.h"

#include "app/SerialFile.h"

#include <QTemporaryDir>

#include <QCryptographicHash>
#include <QFile>
#include <QTimeZone>

#include "app/PassRecorder.h"
#include "app/Workbench.h"
#include "core/Version.h"
#include "operations/CalibrationState.h"
#include "operations/ProgramPass.h"
#include "record/RecordDatabase.h"
#include "record/RecordSpool.h"
#include "record/RecordStore.h"
#include "record/RecordUrl.h"
#include "record/SerialNumbers.h"
#include "tests/app/ShellFakes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ThrownText.h"

namespace kv::test {
namespace {

const QDateTime kStart(QDate(2026, 3, 2), QTime(8, 15), Qt::UTC);

QStringList stepNames(const PassRecord& record) {
    QStringList names;
    for (const RecordStep& step : record.steps)
        names << step.name + u'=' + step.result;
    return names;
}

// A Workbench on the simulated ATMEGA8 that records into a SQLite file of
// its own; the wall clock follows the virtual one from a fixed start.
class WorkbenchRecord : public ::testing::Test {
protected:
    explicit WorkbenchRecord(RecordPolicy policy = {})
        : recorder(withUrl(policy), p.clock, [this] { return kStart.addMSecs(p.clock.nowMs()); }),
          wb(parts()) {
        wb.start();
        wb.runCommand(CommandId::SelectModel);
        p.device.clearTranscript();
        for (int i = 0; i < 512; ++i)
            firmware.append(char(i * 7 + 3));
        wb.session().flash().setImage(MemoryImage::fromBytes(firmware));
        wb.session().flash().setPathText(QStringLiteral("/line/fw.bin"));
    }

    RecordPolicy withUrl(RecordPolicy policy) {
        if (policy.url.isEmpty())
            policy.url = QStringLiteral("sqlite:") + p.settings.fileIn(QStringLiteral("r.sqlite"));
        policy.station = QStringLiteral("line-3");
        return policy;
    }
    WorkbenchPlatform parts() {
        WorkbenchPlatform platform = p.parts();
        platform.recorder = &recorder;
        return platform;
    }
    void runPass(std::initializer_list<int> chosen) {
        ProgramOptions::Values values{};
        for (const int option : chosen)
            values.at(option) = 1;
        wb.schemes().setProgramOptions(values);
        wb.runCommand(CommandId::RunPass);
    }
    PassRecord lastRecord() {
        EXPECT_NE(wb.record().lastRecordId(), 0);
        return recorder.store().load(wb.record().lastRecordId());
    }

    ShellPlatform p;
    PassRecorder recorder;
    Workbench wb;
    QByteArray firmware;
};

TEST_F(WorkbenchRecord, APassingPassRecordsItsStepsImagesFusesAndLog) {
    using O = ProgramOptions;
    runPass({O::CheckSignature, O::EraseChip, O::ProgramFlash, O::VerifyFlash, O::ProgramFuses,
             O::ProgramLock});
    const PassRecord r = lastRecord();
    EXPECT_EQ(r.result, "pass");
    EXPECT_EQ(r.endReason, "");
    EXPECT_EQ(stepNames(r), QStringList({"signature=pass", "erase=pass", "write flash=pass",
                                         "verify flash=pass", "fuses=pass", "lock=pass"}));
    EXPECT_EQ(r.station, "line-3");
    EXPECT_EQ(r.port, "COM1");
    EXPECT_EQ(r.model, "ATMEGA8");
    EXPECT_EQ(r.signature, "1E9307");
    EXPECT_GE(r.startedAt, kStart);
    EXPECT_GT(r.finishedAt, r.startedAt);
    ASSERT_TRUE(r.flash.has_value());
    EXPECT_EQ(r.flash->fileName, "fw.bin");
    EXPECT_EQ(r.flash->size, firmware.size());
    EXPECT_EQ(r.flash->sha256,
              QCryptographicHash::hash(firmware, QCryptographicHash::Sha256).toHex());
    EXPECT_FALSE(r.eeprom.has_value());
    // ATMEGA8's factory fuses (low E1, high D9). The window's pass sends what
    // it sent before a record was kept: nothing is read back for the record.
    EXPECT_EQ(r.fusesWritten, QByteArray::fromHex("E1D9"));
    EXPECT_TRUE(r.fusesRead.isEmpty());
    ASSERT_TRUE(r.lockWritten);
    EXPECT_FALSE(r.lockRead);
    EXPECT_FALSE(p.device.transcript().endsWith("RS#"));
    EXPECT_TRUE(r.log.contains(ProgramPass::signatureLogText() + "1E9307"));
    EXPECT_EQ(p.device.flash().left(firmware.size()), firmware);

    EXPECT_EQ(r.firmwareVersion, "") << "nobody asked the programmer";
    EXPECT_EQ(r.programVersion, QString::fromLatin1(kProgramVersion));

    // Asked for in the record settings, the fuse and lock bytes are read back.
    // The programmer's version, once the window asked for it, goes with the row.
    RecordPolicy readBack = recorder.policy();
    readBack.readBack = true;
    recorder.setPolicy(readBack);
    wb.runCommand(CommandId::FirmwareVersion);
    runPass({O::ProgramFuses, O::ProgramLock});
    const PassRecord again = lastRecord();
    EXPECT_EQ(again.firmwareVersion, QString::fromLatin1(p.device.firmwareVersionText));
    EXPECT_TRUE(p.device.transcript().endsWith("RS#"));
    EXPECT_EQ(again.fusesRead, again.fusesWritten);
    ASSERT_TRUE(again.lockWritten && again.lockRead);
    EXPECT_EQ(*again.lockRead, *again.lockWritten);
    // No signature was read by that pass: the column stays empty.
    EXPECT_EQ(again.signature, "");
}

// An ELF file is recorded like any image: by the content each memory received,
// under the file's name, with the fuse and lock bytes the file carried.
TEST_F(WorkbenchRecord, AnElfFileIsRecordedByItsImagesAndItsFuseAndLockBytes) {
    const QString images = QStringLiteral(KV_TEST_DATA "/images/");
    const QString elf = images + QStringLiteral("fuses_m8.elf");
    wb.session().flash().setPathText(elf);
    wb.session().eeprom().setPathText(elf);
    QString path = elf;
    ASSERT_EQ(wb.session().files().load(kv::MemoryKind::Flash, path), LoadStatus::Loaded);
    path = elf;
    ASSERT_EQ(wb.session().files().load(kv::MemoryKind::Eeprom, path), LoadStatus::Loaded);
    wb.runCommand(CommandId::FileFuses);
    using O = ProgramOptions;
    runPass({O::EraseChip, O::ProgramFlash, O::ProgramEeprom, O::ProgramFuses, O::ProgramLock});

    const PassRecord r = lastRecord();
    EXPECT_EQ(r.result, "pass");
    const auto sha = [&](const char* name) {
        QFile file(images + QLatin1String(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    };
    ASSERT_TRUE(r.flash && r.eeprom);
    EXPECT_EQ(r.flash->fileName, "fuses_m8.elf");
    EXPECT_EQ(r.flash->sha256, sha("fuses_m8.bin"));
    EXPECT_EQ(r.eeprom->sha256, sha("fuses_m8.eep.bin"));
    EXPECT_EQ(r.fusesWritten, QByteArray::fromHex("E4C9"));
    ASSERT_TRUE(r.lockWritten.has_value());
    EXPECT_EQ(*r.lockWritten, 0xFC);
}

// A calibration byte cannot be taken back: a cell that held another value
// keeps the bits both have. With read-back asked for, the window's write
// reads the cell back and logs the difference; without, it sends the write alone.
TEST_F(WorkbenchRecord, ACalibrationWriteIsReadBackOnlyWhenAskedFor) {
    wb.runCommand(CommandId::ReadCalibration);
    wb.schemes().setCalibrationChoice(0, CalibrationState::kTargetFlash);
    p.device.flash()[8191] = char(0x0F);  // the FLASH address box's default
    const QString differs = QStringLiteral("校准字节写入后读回不符");
    for (const bool readBack : {false, true}) {
        SCOPED_TRACE(readBack ? "read back" : "write only");
        RecordPolicy policy = recorder.policy();
        policy.readBack = readBack;
        recorder.setPolicy(policy);
        p.device.clearTranscript();
        wb.runCommand(CommandId::WriteCalibration);
        EXPECT_EQ(p.device.transcript().count('#'), readBack ? 2 : 1);
        EXPECT_EQ(wb.session().log().text().contains(differs), readBack);
        EXPECT_EQ(lastRecord().result, readBack ? "fail" : "pass");
    }
}

TEST_F(WorkbenchRecord, ASingleCommandThatChangesTheChipIsOneRecordOfOneStep) {
    wb.runCommand(CommandId::EraseChip);
    const PassRecord r = lastRecord();
    EXPECT_EQ(stepNames(r), QStringList{"erase=pass"});
    EXPECT_EQ(r.result, "pass");
    EXPECT_FALSE(r.log.isEmpty());
    // A read changes nothing and keeps no record.
    wb.runCommand(CommandId::ReadFlash);
    EXPECT_EQ(recorder.store().count({}), 1);
}

// The programmer does not acknowledge an erase. With read-back asked for in
// the record settings, one signature read follows it, so that a silent
// programmer is recorded as a failed erase; otherwise the wire carries the
// erase alone, as it did before a record was kept.
TEST_F(WorkbenchRecord, AnEraseIsConfirmedBySignatureReadOnlyWhenAskedFor) {
    wb.runCommand(CommandId::EraseChip);
    EXPECT_EQ(p.device.transcript(), "EM#");
    EXPECT_EQ(lastRecord().signature, "");
    RecordPolicy readBack = recorder.policy();
    readBack.readBack = true;
    recorder.setPolicy(readBack);
    struct Case {
        bool silent;
        const char* result;
        const char* signature;
    };
    for (const Case& c : {Case{false, "pass", "1E9307"}, Case{true, "fail", nullptr}}) {
        SCOPED_TRACE(c.silent ? "silent" : "answering");
        sim::FaultPlan plan;
        plan.silent = c.silent;
        p.device.setFaults(plan);
        p.device.clearTranscript();
        wb.runCommand(CommandId::EraseChip);
        EXPECT_EQ(p.device.transcript(), "EM#RI01#RI02#");
        const PassRecord r = lastRecord();
        EXPECT_EQ(r.result, c.result);
        if (c.signature)
            EXPECT_EQ(r.signature, c.signature);
        else
            EXPECT_TRUE(r.endReason.startsWith("erase: no answer")) << r.endReason.toStdString();
    }

    ShellPlatform plain;
    Workbench unrecorded(plain.parts());
    unrecorded.start();
    unrecorded.runCommand(CommandId::SelectModel);
    plain.device.clearTranscript();
    unrecorded.runCommand(CommandId::EraseChip);
    EXPECT_EQ(plain.device.transcript(), "EM#");
}

// A scheme whose serial file is refused leaves no numbering of the line
// before it: the pass is refused, nothing is sent, until a good file comes.
TEST_F(WorkbenchRecord, ARefusedSerialFileAfterAGoodOneRefusesThePass) {
    QTemporaryDir dir;
    Scheme scheme = wb.schemes().currentScheme();
    const QString path = dir.filePath(QStringLiteral("line.SET"));
    SchemeFile::save(path, scheme);
    const auto serial = [&](const QByteArray& text) {
        QFile file(SerialFile::besideScheme(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    serial("name=board\nwidth=2\naddress=16\n");
    p.prompts.answers << path;
    wb.runCommand(CommandId::LoadScheme);
    ASSERT_TRUE(wb.record().serialScheme().has_value());

    serial("name=board\nwidth=2\naddress=510\nformat=octal\n");
    p.prompts.answers << path;
    wb.runCommand(CommandId::LoadScheme);
    EXPECT_FALSE(wb.record().serialScheme().has_value());
    p.device.clearTranscript();
    p.prompts.warnings.clear();
    const CommandResult refused = wb.runCommand(CommandId::RunPass);
    ASSERT_TRUE(refused.error.has_value());
    EXPECT_EQ(refused.error->kind(), ErrorKind::File);
    EXPECT_EQ(p.device.transcript(), "");
    EXPECT_EQ(p.prompts.warnings.size(), 1);

    // Bytes past the end of the memory are refused the same way, by name.
    serial("name=board\nwidth=4\naddress=510\n");
    p.prompts.answers << path;
    wb.runCommand(CommandId::LoadScheme);
    const CommandResult over = wb.runCommand(CommandId::RunPass);
    ASSERT_TRUE(over.error.has_value());
    EXPECT_TRUE(over.error->text().contains(QStringLiteral("510")));
    EXPECT_EQ(p.device.transcript(), "");
}

// Each pass takes the next number and writes it where the scheme says; a
// number whose write was not confirmed is spoiled and never handed out again.
TEST_F(WorkbenchRecord, SerialNumbersAreWrittenRecordedAndSpoiledWhenTheWriteFails) {
    SerialScheme scheme;
    scheme.name = QStringLiteral("board");
    scheme.start = 100;
    scheme.width = 2;
    scheme.format = SerialScheme::Format::BinaryBigEndian;
    scheme.address = 0x10;
    wb.record().setSerialScheme(scheme);
    const QString addressBox = wb.session().model().singleAccessAddress(1).text();

    runPass({ProgramOptions::ProgramFlash});
    PassRecord r = lastRecord();
    EXPECT_EQ(r.result, "pass");
    EXPECT_EQ(r.serial, 100);
    EXPECT_EQ(r.serialSequence, "board");
    EXPECT_EQ(stepNames(r), QStringList({"write flash=pass", "serial=pass"}));
    EXPECT_EQ(p.device.eeprom().mid(0x10, 3), QByteArray::fromHex("0064FF"));
    EXPECT_EQ(wb.session().model().singleAccessAddress(1).text(), addressBox);

    sim::FaultPlan plan;
    plan.dropWriteAcksAfter = 1;
    p.device.setFaults(plan);
    runPass({ProgramOptions::ProgramFlash});
    r = lastRecord();
    EXPECT_EQ(r.result, "fail");
    EXPECT_EQ(r.serial, std::nullopt) << "a number not in the chip is not its serial";
    EXPECT_EQ(r.spoiledSerial, 101);
    EXPECT_EQ(stepNames(r), QStringList({"write flash=pass", "serial=fail"}));
    SerialNumbers numbers(recorder.store());
    EXPECT_EQ(numbers.state("board", 100), SerialNumbers::State::Used);
    EXPECT_EQ(numbers.state("board", 101), SerialNumbers::State::Spoiled);

    p.device.setFaults({});
    runPass({ProgramOptions::ProgramFlash});
    EXPECT_EQ(lastRecord().serial, 102);
    EXPECT_EQ(p.device.eeprom().mid(0x10, 2), QByteArray::fromHex("0066"));
}

// The record's database refuses writes once the pass has begun: the chip is
// done, its record waits in the spool, the window says so in its log and a
// box, and the next command uploads it before its own.
TEST_F(WorkbenchRecord, ARecordLostDuringThePassWaitsInTheSpoolUntilTheNextCommand) {
    const QString spool = p.settings.fileIn(QStringLiteral("spool.jsonl"));
    recorder.setSpoolPath(spool);
    const QMetaObject::Connection lose = QObject::connect(
        &wb.session().programPass(), &ProgramPass::stepStarted,
        [&] { recorder.store().database().exec(QStringLiteral("PRAGMA query_only = ON")); });
    runPass({ProgramOptions::ProgramFlash});
    QObject::disconnect(lose);
    EXPECT_EQ(p.device.flash().left(firmware.size()), firmware);
    const qint64 pendingId = wb.record().lastRecordId();
    EXPECT_NE(pendingId, 0) << "its started row";
    ASSERT_TRUE(wb.record().recordPending().has_value());
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].second, *wb.record().recordPending());
    EXPECT_TRUE(
        wb.session().log().text().contains(QStringLiteral("芯片已完成，记录暂未写入数据库")));
    EXPECT_EQ(RecordSpool(spool).count(recorder.spoolTarget()), 1);

    recorder.store().database().exec(QStringLiteral("PRAGMA query_only = OFF"));
    runPass({ProgramOptions::ProgramFlash});
    EXPECT_EQ(RecordSpool(spool).count(recorder.spoolTarget()), 0);
    const QList<PassRecord> rows = recorder.store().list({}, 0, 10);
    ASSERT_EQ(rows.size(), 2);
    for (const PassRecord& r : rows) {
        EXPECT_EQ(r.result, u"pass");
        EXPECT_EQ(r.port, u"COM1");
    }
    EXPECT_EQ(rows[1].id, pendingId);
}

struct Failure {
    const char* name;
    std::function<void(sim::FaultPlan&)> fault;
    QStringList steps;
    const char* reasonStart;
};

class WorkbenchRecordFailure : public WorkbenchRecord,
                               public ::testing::WithParamInterface<Failure> {};

TEST_P(WorkbenchRecordFailure, RecordsTheStepsSoFarAndWhyThePassEnded) {
    using O = ProgramOptions;
    sim::FaultPlan plan;
    GetParam().fault(plan);
    p.device.setFaults(plan);
    runPass({O::EraseChip, O::ProgramFlash, O::VerifyFlash, O::ProgramLock});
    const PassRecord r = lastRecord();
    EXPECT_EQ(r.result, "fail");
    EXPECT_EQ(stepNames(r), GetParam().steps) << stepNames(r).join(',').toStdString();
    EXPECT_TRUE(r.endReason.startsWith(QString::fromUtf8(GetParam().reasonStart)))
        << r.endReason.toStdString();
    EXPECT_TRUE(r.flash.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WorkbenchRecordFailure,
    ::testing::Values(Failure{"VerifyMismatch",
                              [](sim::FaultPlan& f) { f.stuckFlashByte = 5; },
                              {"erase=pass", "write flash=pass", "verify flash=fail", "lock=pass"},
                              "verify flash: mismatch at 0x0005"},
                      Failure{"HangUpMidWrite",
                              [](sim::FaultPlan& f) { f.hangUpAfterBytes = 200; },
                              {"erase=pass", "write flash=fail"},
                              "端口COM1的连接已断开"}),
    [](const auto& info) { return std::string(info.param.name); });

class WorkbenchRecordUnreachable : public WorkbenchRecord,
                                   public ::testing::WithParamInterface<bool> {
protected:
    WorkbenchRecordUnreachable() : WorkbenchRecord(unreachable()) {}
    static RecordPolicy unreachable() {
        // A folder that cannot exist: its parent is a device.
        return {QStringLiteral("sqlite:/dev/null/r.sqlite"), GetParam(), QString()};
    }
};

TEST_P(WorkbenchRecordUnreachable, RefusesBeforeAnythingIsSentUnlessAllowed) {
    const bool allowed = GetParam();
    runPass({ProgramOptions::EraseChip, ProgramOptions::ProgramFlash});
    EXPECT_EQ(wb.record().lastRecordId(), 0);
    if (allowed) {
        EXPECT_TRUE(p.prompts.warnings.isEmpty());
        EXPECT_TRUE(p.device.transcript().startsWith("EM#"));
        EXPECT_TRUE(wb.session().log().text().contains(PassRecorder::logUnrecordedText(QString())));
    } else {
        EXPECT_EQ(p.device.transcript(), "");
        ASSERT_EQ(p.prompts.warnings.size(), 1);
        // The store's own reason, as the line reads it.
        EXPECT_EQ(p.prompts.warnings[0].second,
                  thrownText([] { RecordStore(unreachable().url).ensureReachable(); }));
    }
}

// Serial numbers are taken from the record's shared sequence; without the
// record a pass that needs one is refused even where unrecorded programming
// is allowed, and the log says why.
TEST_P(WorkbenchRecordUnreachable, APassWithSerialNumbersIsRefusedEvenWhenAllowed) {
    SerialScheme scheme;
    scheme.name = QStringLiteral("board");
    wb.record().setSerialScheme(scheme);
    runPass({ProgramOptions::EraseChip, ProgramOptions::ProgramFlash});
    EXPECT_EQ(p.device.transcript(), "");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    const QString reason = thrownText([] { RecordStore(unreachable().url).ensureReachable(); });
    EXPECT_TRUE(p.prompts.warnings[0].second.contains(reason));
    if (GetParam()) {
        EXPECT_TRUE(p.prompts.warnings[0].second.contains(QStringLiteral("序列号")));
        EXPECT_TRUE(wb.session().log().text().contains(p.prompts.warnings[0].second));
    }
}

INSTANTIATE_TEST_SUITE_P(Setting, WorkbenchRecordUnreachable, ::testing::Bool());

}  // namespace
}  // namespace kv::test
