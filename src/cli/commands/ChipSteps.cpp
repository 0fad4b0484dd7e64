// SPDX-License-Identifier: MIT
#include "cli/commands/ChipSteps.h"

#include <QCoreApplication>

#include "app/Workbench.h"
#include "catalogue/ChipModelTable.h"
#include "core/HexDigits.h"
#include "operations/CalibrationLayout.h"
#include "operations/ProgramPass.h"

namespace kv::cli::steps {

namespace {

const char* const kByteNames[4] = {QT_TRANSLATE_NOOP("CliFuseCommands", "熔丝低字节"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "熔丝高字节"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "扩展熔丝位"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "锁定位")};

}  // namespace

MemoryKind memoryOf(bool flash) {
    return flash ? MemoryKind::Flash : MemoryKind::Eeprom;
}

void loadImage(CommandRun& run, bool flash, const QString& path, bool mayBeEmpty) {
    Session& session = run.workbench().session();
    const LoadOutcome loaded = session.files().load(memoryOf(flash), path);
    switch (loaded.status) {
        case LoadStatus::NotFound:
            CommandRun::end(
                Ending::File,
                QCoreApplication::translate("CliChipCommands", "找不到文件 %1").arg(path));
        case LoadStatus::Unsupported:
            CommandRun::end(
                Ending::File,
                flash ? QCoreApplication::translate("CliChipCommands",
                                                    "FLASH文件应为 .hex、.bin 或 .elf：%1")
                            .arg(path)
                      : QCoreApplication::translate("CliChipCommands",
                                                    "EEPROM文件应为 .eep、.hex、.bin 或 .elf：%1")
                            .arg(path));
        case LoadStatus::Failed:
            CommandRun::end(Ending::File, loaded.problem + QLatin1Char(' ') + path);
        case LoadStatus::Loaded:
            break;
    }
    ImageSlot& slot = session.slot(memoryOf(flash));
    // The record names the file as the window's file box would.
    slot.setPathText(path);
    if (slot.image().isEmpty() && !mayBeEmpty)
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate("CliChipCommands", "文件 %1 中没有数据").arg(path));
}

void checkImageFits(CommandRun& run, bool flash) {
    Session& session = run.workbench().session();
    const ModelState& model = session.model();
    const qint64 bytes = session.slot(memoryOf(flash)).image().byteCount();
    const qint64 capacity = flash ? model.flashSize() : model.eepromSize();
    if (bytes > capacity) {
        CommandRun::end(Ending::File,
                        QCoreApplication::translate(
                            "CliChipCommands", "%1映像有%2字节，超出%3的容量（%4字节），未写入。")
                            .arg(memoryName(memoryOf(flash)))
                            .arg(bytes)
                            .arg(model.selectedModelName())
                            .arg(capacity));
    }
}

void startWithFile(CommandRun& run, bool flash) {
    const QString& file = run.request().file;
    // Files first: a bad file is found before the port is even opened.
    loadImage(run, flash, file);
    const auto checkFile = [&] {
        // An ELF file's reader checks each section against the model's
        // memories and fuse bytes, and says which one does not fit.
        if (file.endsWith(QLatin1String(".elf"), Qt::CaseInsensitive))
            loadImage(run, flash, file);
        checkImageFits(run, flash);
    };
    run.openPort();
    if (!run.request().model.isEmpty())
        checkFile();
    run.identify();
    if (run.request().model.isEmpty())
        checkFile();
}

PassOutcome runRecordedPass(CommandRun& run) {
    Workbench& wb = run.workbench();
    PassOutcome pass;
    const CommandResult result = wb.runner().runRecorded(std::nullopt, [&] {
        pass = wb.session().programPass().runPass();
        return RecordKeeper::StepFinding{};
    });
    const std::optional<CommandEnd> found = passFindings(run, pass);
    // An error that ended the pass says more than the findings before it.
    run.check(result);
    if (found)
        throw *found;
    return pass;
}

PassOutcome runPass(CommandRun& run, const QList<int>& options) {
    ProgramOptions::Values values{};
    for (const int option : options)
        values.at(option) = 1;
    run.workbench().schemes().setProgramOptions(values);
    return runRecordedPass(run);
}

std::optional<CommandEnd> passFindings(CommandRun& run, const PassOutcome& pass) {
    if (pass.signature && !pass.signature->isEmpty())
        run.find(QStringLiteral("signature"), *pass.signature);
    // The cable, not the chip: no step may be blamed on the chip it never reached.
    if (pass.silent())
        return noAnswer();
    // A reply of the wrong shape is the line's fault, not the chip's.
    if (const StepOutcome* step = pass.step(PassStep::Signature); step && step->garbled)
        return garbledSignature(step->signature.value_or(QString()));
    if (pass.signatureRejected) {
        return CommandEnd{
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliChipCommands", "标识字与所选型号%1不符，编程未进行。")
                .arg(run.workbench().session().model().selectedModelName())};
    }
    std::optional<CommandEnd> first;
    for (const StepOutcome& step : pass.steps) {
        if (!step.verify || !step.verify->ran())
            continue;
        const VerifyOutcome& verify = *step.verify;
        const bool flash = verify.memory == MemoryKind::Flash;
        run.find(flash ? QStringLiteral("flashVerified") : QStringLiteral("eepromVerified"),
                 verify.passed());
        if (first)
            continue;
        first = endOf(verify);
        if (verify.result == VerifyOutcome::Result::ReadIncomplete) {
            run.find(QStringLiteral("memory"), memoryName(verify.memory).toLower());
            run.find(QStringLiteral("readStoppedAt"), verify.read.stoppedAt());
        } else if (verify.result == VerifyOutcome::Result::Differs) {
            run.find(QStringLiteral("memory"), memoryName(verify.memory).toLower());
            run.find(QStringLiteral("address"), verify.firstDifference);
        }
    }
    for (const StepOutcome& step : pass.steps) {
        if (!first && step.write)
            first = endOf(*step.write);
    }
    return first;
}

QJsonObject fuseFindings(CommandRun& run, const QString& reading) {
    const QString model = run.workbench().session().model().selectedModelName();
    QJsonObject found{
        {"lock", reading.left(2)}, {"high", reading.mid(4, 2)}, {"low", reading.mid(6, 2)}};
    found.insert(QStringLiteral("ext"), FuseCommands::hasExtendedFuseByte(model)
                                            ? QJsonValue(reading.mid(2, 2))
                                            : QJsonValue(QJsonValue::Null));
    return found;
}

void readFuses(CommandRun& run) {
    Session& s = run.workbench().session();
    QString reading;
    run.check(run.workbench().runner().runExchange(
        [&] { reading = s.fuseCommands().readFuses(s.model().selectedModelName()); }));
    run.fuseReading = reading;
    if (reading.isEmpty()) {
        CommandRun::end(
            Ending::Programmer,
            QCoreApplication::translate("CliFuseCommands", "读熔丝位失败：编程器的应答无效。"));
    }
    const QJsonObject found = fuseFindings(run, reading);
    run.findAll(found);
    QString human = QStringLiteral("low=%1 high=%2").arg(reading.mid(6, 2), reading.mid(4, 2));
    if (found.value(QStringLiteral("ext")).isString())
        human += QStringLiteral(" ext=") + reading.mid(2, 2);
    human += QStringLiteral(" lock=") + reading.left(2);
    run.setHuman(human);
}

void confirmFuses(CommandRun& run, const QString& sent) {
    const QString readBack = run.fuseReading.mid(2);
    const bool extended =
        FuseCommands::hasExtendedFuseByte(run.workbench().session().model().selectedModelName());
    if (readBack.mid(extended ? 0 : 2).compare(sent.mid(extended ? 0 : 2), Qt::CaseInsensitive) !=
        0) {
        CommandRun::end(
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliFuseCommands", "熔丝位未得到确认：写入%1，读回%2。")
                .arg(sent, readBack));
    }
}

void confirmLock(CommandRun& run, const QString& sent) {
    const QString readBack = run.fuseReading.left(2);
    if (readBack.compare(sent, Qt::CaseInsensitive) != 0) {
        CommandRun::end(
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliFuseCommands", "锁定位未得到确认：写入%1，读回%2。")
                .arg(sent, readBack));
    }
}

void readCalibration(CommandRun& run) {
    Workbench& wb = run.workbench();
    const QString model = wb.session().model().selectedModelName();
    if (CalibrationLayout::forModel(model).bytes.isEmpty())
        CommandRun::end(
            Ending::Usage,
            QCoreApplication::translate("CliFuseCommands", "%1没有校准字节。").arg(model));
    run.check(wb.runCommand(CommandId::ReadCalibration));
    const CalibrationState& state = wb.session().calibration();
    QJsonObject values;
    QStringList shown;
    for (int slot = 0; slot < CalibrationState::kSlotCount; ++slot) {
        if (!state.isSlotEnabled(slot))
            continue;
        values.insert(CalibrationState::slotCaption(slot), state.slotValue(slot));
        shown << CalibrationState::slotCaption(slot) + u'=' + state.slotValue(slot);
    }
    if (values.isEmpty()) {
        CommandRun::end(Ending::Programmer,
                        QCoreApplication::translate("CliFuseCommands", "校准字节的应答无效。"));
    }
    run.find(QStringLiteral("calibration"), values);
    run.setHuman(shown.join(u' '));
}

void recordedFuseWrite(CommandRun& run, bool fuses) {
    Session& s = run.workbench().session();
    std::optional<QString> reply;
    const CommandResult result = run.workbench().runner().runRecorded(
        CommandTable::info(fuses ? CommandId::WriteFuses : CommandId::WriteLock).recordStep, [&] {
            RecordKeeper::StepFinding finding;
            reply = fuses ? s.fuseCommands().writeFuses(s.model().selectedModelName())
                          : s.fuseCommands().writeLockBits();
            if (reply && reply->isEmpty())
                finding.fault = QStringLiteral("no answer");
            return finding;
        });
    run.check(result);
    if (!reply)
        CommandRun::end(Ending::Usage,
                        QCoreApplication::translate("CliFuseCommands", "熔丝位未设定好，未写入。"));
    if (reply->isEmpty())
        throw noAnswer();
}

// A cell the model lacks ("*") is sent as 1 and cannot take a 0.
void setByte(QString& bits, int b, int value, const QString& model) {
    for (int k = 0; k < 8; ++k) {
        const int index = 31 - (8 * b + k);
        const bool one = (value >> k) & 1;
        if (index >= bits.size())
            CommandRun::end(Ending::Usage, QCoreApplication::translate("CliFuseCommands",
                                                                       "熔丝定义不完整，未写入。"));
        if (bits.at(index) == u'*') {
            if (!one) {
                CommandRun::end(
                    Ending::Usage,
                    QCoreApplication::translate("CliFuseCommands",
                                                "%1没有%2的第%3位，它只能为1，未写入。")
                        .arg(model, QCoreApplication::translate("CliFuseCommands", kByteNames[b]))
                        .arg(k));
            }
            continue;
        }
        bits[index] = one ? u'1' : u'0';
    }
}

}  // namespace kv::cli::steps

#include <QDir>
#include <QFileInfo>

#include "images/ImageFiles.h"
#include "images/IntelHexWriter.h"
#include "operations/ImageReader.h"

namespace kv::cli::steps {

namespace {

// write: erase first (FLASH only, unless --no-erase), then write; verify
// when asked. verify alone: the verify step.
void imageCommand(CommandRun& run, bool flash, bool write) {
    startWithFile(run, flash);
    QList<int> options;
    if (write && flash && !run.request().noErase)
        options << ProgramOptions::EraseChip;
    if (write)
        options << (flash ? ProgramOptions::ProgramFlash : ProgramOptions::ProgramEeprom);
    if (!write || run.request().verify)
        options << (flash ? ProgramOptions::VerifyFlash : ProgramOptions::VerifyEeprom);
    const qint64 bytes = run.workbench().session().slot(memoryOf(flash)).image().byteCount();
    try {
        runPass(run, options);
    } catch (...) {
        run.find(QStringLiteral("bytes"), bytes);
        throw;
    }
    run.find(QStringLiteral("bytes"), bytes);
}

}  // namespace

void writeFile(CommandRun& run, bool flash) {
    imageCommand(run, flash, true);
}

void verifyFile(CommandRun& run, bool flash) {
    imageCommand(run, flash, false);
}

void readToFile(CommandRun& run, bool flash) {
    const QString& file = run.request().file;
    const QFileInfo target(file);
    if (!target.absoluteDir().exists())
        CommandRun::end(Ending::File,
                        QCoreApplication::translate("CliChipCommands", "文件夹不存在：%1")
                            .arg(target.absolutePath()));
    run.openPort();
    run.identify();
    Workbench& wb = run.workbench();
    ReadOutcome read;
    run.check(wb.runner().runExchange([&] { read = wb.session().reader().read(memoryOf(flash)); }));
    if (read.stop == ReadOutcome::Stop::Stopped || read.stop == ReadOutcome::Stop::TooSlow)
        run.find(QStringLiteral("readStoppedAt"), read.stoppedAt());
    if (const std::optional<CommandEnd> end = endOf(read))
        throw *end;
    const MemoryImage image = wb.session().slot(memoryOf(flash)).image();
    const QString suffix = target.suffix().toLower();
    const bool hex = suffix == u"hex" || (!flash && suffix == u"eep");
    QString error;
    const bool saved =
        hex ? SaveImageToHex(image, file, &error) : saveImageToBin(image, file, &error);
    if (!saved)
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate("CliChipCommands", "无法写入 %1：%2").arg(file, error));
    run.find(QStringLiteral("bytes"), image.byteCount());
    run.find(QStringLiteral("file"), file);
}

}  // namespace kv::cli::steps
