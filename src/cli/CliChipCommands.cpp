// SPDX-License-Identifier: MIT
// The commands that act on the chip in the socket, and the scheme run.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonValue>

#include "app/Workbench.h"
#include "catalogue/ChipModelTable.h"
#include "cli/CliRunner.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "images/ImageFiles.h"
#include "images/IntelHexWriter.h"
#include "operations/AddressText.h"
#include "operations/CalibrationLayout.h"
#include "operations/ImageReader.h"
#include "operations/ProgramPass.h"
#include "operations/WriteAcks.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"

namespace kv::cli {

namespace {

bool isImageCommand(std::optional<CommandId> id) {
    return id == CommandId::WriteFlashFile || id == CommandId::VerifyFlashFile ||
           id == CommandId::WriteEepromFile || id == CommandId::VerifyEepromFile;
}

bool isWrite(std::optional<CommandId> id) {
    return id == CommandId::WriteFlashFile || id == CommandId::WriteEepromFile;
}

// The memory a file command is for.
bool isFlashCommand(std::optional<CommandId> id) {
    return id == CommandId::WriteFlashFile || id == CommandId::VerifyFlashFile ||
           id == CommandId::ReadFlash;
}

QString memoryName(bool flash) {
    return kv::memoryName(flash ? MemoryKind::Flash : MemoryKind::Eeprom);
}

MemoryKind memoryOf(bool flash) {
    return flash ? MemoryKind::Flash : MemoryKind::Eeprom;
}

}  // namespace

int CliRunner::loadImage(bool flash, const QString& path, bool mayBeEmpty) {
    const LoadOutcome loaded = m_workbench->session().files().load(memoryOf(flash), path);
    switch (loaded.status) {
        case LoadStatus::NotFound:
            return fail(kExitFile,
                        QCoreApplication::translate("CliChipCommands", "找不到文件 %1").arg(path));
        case LoadStatus::Unsupported:
            return fail(kExitFile,
                        flash
                            ? QCoreApplication::translate("CliChipCommands",
                                                          "FLASH文件应为 .hex、.bin 或 .elf：%1")
                                  .arg(path)
                            : QCoreApplication::translate(
                                  "CliChipCommands", "EEPROM文件应为 .eep、.hex、.bin 或 .elf：%1")
                                  .arg(path));
        case LoadStatus::Failed:
            return fail(kExitFile, loaded.problem + QLatin1Char(' ') + path);
        case LoadStatus::Loaded:
            break;
    }
    if (loaded.raw) {
        m_report.warning(ImageFiles::rawBinaryText(QFileInfo(path).fileName(), loaded.raw->bytes));
        // A text file would go into the chip as its characters, with exit 0.
        if (loaded.raw->looksLikeText && !m_request.raw)
            return fail(kExitFile,
                        QCoreApplication::translate(
                            "CliChipCommands",
                            "%1 看起来是文本，不是EEPROM数据；确要按原始字节写入请加 --raw")
                            .arg(path));
    }
    ImageSlot& slot = flash ? m_workbench->session().flash() : m_workbench->session().eeprom();
    // The record names the file as the window's file box would.
    slot.setPathText(path);
    if (slot.image().isEmpty() && !mayBeEmpty)
        return fail(kExitFile,
                    QCoreApplication::translate("CliChipCommands", "文件 %1 中没有数据").arg(path));
    return kExitDone;
}

// Before anything reaches the chip: the logic would refuse it too, but as a
// programmer problem, after the erase.
int CliRunner::checkImageFits(bool flash) {
    const ModelState& model = m_workbench->session().model();
    const qint64 bytes = (flash ? m_workbench->session().flash() : m_workbench->session().eeprom())
                             .image()
                             .byteCount();
    const qint64 capacity = flash ? model.flashSize() : model.eepromSize();
    if (bytes > capacity) {
        return fail(kExitFile,
                    QCoreApplication::translate("CliChipCommands",
                                                "%1映像有%2字节，超出%3的容量（%4字节），未写入。")
                        .arg(memoryName(flash))
                        .arg(bytes)
                        .arg(model.selectedModelName())
                        .arg(capacity));
    }
    return kExitDone;
}

int CliRunner::loadCommandFiles() {
    const std::optional<CommandId> command = m_request.id;
    if (command == CommandId::ProgramElf)
        return loadProgramFile();
    if (isImageCommand(command))
        return loadImage(isFlashCommand(command), m_request.file);
    return kExitDone;
}

int CliRunner::checkCommandFiles() {
    const std::optional<CommandId> command = m_request.id;
    const bool program = command == CommandId::ProgramElf;
    if (!program && !isImageCommand(command))
        return kExitDone;
    // An ELF file's reader checks each section against the model's memories
    // and fuse bytes, and says which one does not fit.
    if (m_request.file.endsWith(QLatin1String(".elf"), Qt::CaseInsensitive)) {
        if (const int code = loadCommandFiles())
            return code;
    }
    for (const bool flash : {true, false}) {
        if (program || isFlashCommand(command) == flash) {
            if (const int code = checkImageFits(flash))
                return code;
        }
    }
    return kExitDone;
}

CommandResult CliRunner::runRecordedPass(PassOutcome& pass) {
    Workbench& wb = *m_workbench;
    return wb.runner().runRecorded(std::nullopt, [&] {
        pass = wb.session().programPass().runPass();
        return RecordKeeper::StepFinding{};
    });
}

int CliRunner::runPass(const QList<int>& options) {
    ProgramOptions::Values values{};
    for (const int option : options)
        values.at(option) = 1;
    m_workbench->schemes().setProgramOptions(values);
    PassOutcome pass;
    const CommandResult result = runRecordedPass(pass);
    return outcome(result, passFindings(pass));
}

// What the pass found: a silent programmer, a chip that disagrees, a
// read-back cut short; the verify results go into the findings either way.
int CliRunner::passFindings(const PassOutcome& pass) {
    if (pass.signature && !pass.signature->isEmpty())
        m_findings.insert(QStringLiteral("signature"), *pass.signature);
    // The cable, not the chip: no step may be blamed on the chip it never reached.
    if (pass.silent())
        return noAnswer();
    // A reply of the wrong shape is the line's fault, not the chip's.
    if (const StepOutcome* step = pass.step(PassStep::Signature); step && step->garbled)
        return garbledSignature(step->signature.value_or(QString()));
    if (pass.signatureRejected) {
        return fail(
            kExitChipDisagrees,
            QCoreApplication::translate("CliChipCommands", "标识字与所选型号%1不符，编程未进行。")
                .arg(m_workbench->session().model().selectedModelName()));
    }
    int chipExit = kExitDone;
    for (const StepOutcome& step : pass.steps) {
        if (!step.verify || !step.verify->ran())
            continue;
        const VerifyOutcome& verify = *step.verify;
        const bool flash = verify.memory == MemoryKind::Flash;
        m_findings.insert(
            flash ? QStringLiteral("flashVerified") : QStringLiteral("eepromVerified"),
            verify.passed());
        if (chipExit != kExitDone)
            continue;
        if (verify.result == VerifyOutcome::Result::ReadIncomplete) {
            // The chip was not judged: the read-back stopped.
            m_findings.insert(QStringLiteral("memory"), memoryName(flash).toLower());
            m_findings.insert(QStringLiteral("readStoppedAt"), verify.read.stoppedAt());
            chipExit = fail(kExitProgrammer,
                            QCoreApplication::translate(
                                "CliChipCommands",
                                "%1读回在地址 %2 处停止（收到%3字节，应为%4字节），未能校验。")
                                .arg(memoryName(flash), hexField(verify.read.stoppedAt(), 4))
                                .arg(verify.read.received)
                                .arg(verify.read.expected));
        } else if (verify.result == VerifyOutcome::Result::Differs) {
            m_findings.insert(QStringLiteral("memory"), memoryName(flash).toLower());
            m_findings.insert(QStringLiteral("address"), verify.firstDifference);
            chipExit =
                fail(kExitChipDisagrees,
                     QCoreApplication::translate("CliChipCommands", "%1地址 %2 数据校验失败。")
                         .arg(memoryName(flash), hexField(verify.firstDifference, 4)));
        }
    }
    for (const StepOutcome& step : pass.steps) {
        if (chipExit == kExitDone && step.write && step.write->unacknowledged > 0)
            chipExit = fail(kExitProgrammer, missingAcksText(step.write->unacknowledged));
    }
    return chipExit;
}

int CliRunner::garbledSignature(const QString& reading) {
    return fail(kExitProgrammer,
                QCoreApplication::translate(
                    "CliChipCommands",
                    "编程器的应答不是标识字（收到“%1”）：请等几秒再试，或拔下编程器再插上。")
                    .arg(reading.left(40)));
}

int CliRunner::identify() {
    Workbench& wb = *m_workbench;
    const CommandResult result = wb.runCommand(CommandId::SelectModel);
    const QString signature = wb.session().signature().signatureText();
    if (result.error && result.error->kind() == ErrorKind::NoAnswer)
        return fail(kExitProgrammer,
                    QCoreApplication::translate("CliChipCommands", "编程器无反应：读不到标识字。"));
    if (result.error && result.error->kind() == ErrorKind::Garbled)
        return garbledSignature(signature);
    if (result.error && result.error->kind() == ErrorKind::ChipDisagrees) {
        m_findings.insert(QStringLiteral("signature"), signature);
        return fail(
            kExitChipDisagrees,
            QCoreApplication::translate("CliChipCommands", "插座中的芯片（标识字%1）不在型号表中。")
                .arg(signature));
    }
    if (const int code = outcome(result))
        return code;
    m_findings.insert(QStringLiteral("signature"), signature);
    // The record's signature is the one read from this chip, for every command.
    wb.record().setChipSignature(signature);
    const QString model = wb.session().model().selectedModelName();
    m_findings.insert(QStringLiteral("model"), model);
    m_report.event(QStringLiteral("chip"), {{"signature", signature}, {"model", model}});
    if (!m_request.model.isEmpty() && m_request.model != model) {
        return fail(kExitChipDisagrees,
                    QCoreApplication::translate(
                        "CliChipCommands",
                        "插座中的芯片是%1（标识字%2），与 --model %3 不符，未做任何操作。")
                        .arg(model, signature, m_request.model));
    }
    m_human = signature + u' ' + model;
    return kExitDone;
}

int CliRunner::runChipCommand() {
    const std::optional<CommandId> command = m_request.id;
    const bool flash = isFlashCommand(command);
    if ((command == CommandId::ReadFlash || command == CommandId::ReadEeprom)) {
        const QFileInfo target(m_request.file);
        if (!target.absoluteDir().exists())
            return fail(kExitFile,
                        QCoreApplication::translate("CliChipCommands", "文件夹不存在：%1")
                            .arg(target.absolutePath()));
    }
    startWorkbench();
    // Files first: a bad file is found before the port is even opened.
    if (const int code = loadCommandFiles())
        return code;
    if (const int code = startOnPort())
        return code;
    if (!m_request.model.isEmpty()) {
        if (const int code = checkCommandFiles())
            return code;
    }
    if (const int code = identify())
        return code;
    if (m_request.model.isEmpty()) {
        if (const int code = checkCommandFiles())
            return code;
    }

    const QString human = m_human;
    int code = kExitDone;
    if (command == CommandId::SelectModel) {
        return kExitDone;
    } else if (command == CommandId::EraseChip) {
        Workbench& wb = *m_workbench;
        bool answered = true;
        const CommandResult result = wb.runner().runRecorded(QStringLiteral("erase"), [&] {
            RecordKeeper::StepFinding finding;
            answered = !wb.session().fuseCommands().eraseChip().isEmpty();
            if (!answered)
                finding.fault = QStringLiteral("no answer");
            return finding;
        });
        code = outcome(result, answered ? kExitDone : noAnswer());
    } else if (command == CommandId::ProgramElf) {
        code = programChip();
    } else if (isImageCommand(command)) {
        QList<int> options;
        const bool write = isWrite(command);
        if (write && flash && !m_request.noErase)
            options << ProgramOptions::EraseChip;
        if (write)
            options << (flash ? ProgramOptions::ProgramFlash : ProgramOptions::ProgramEeprom);
        if (!write || m_request.verify)
            options << (flash ? ProgramOptions::VerifyFlash : ProgramOptions::VerifyEeprom);
        code = runPass(options);
        const ImageSlot& slot =
            flash ? m_workbench->session().flash() : m_workbench->session().eeprom();
        m_findings.insert(QStringLiteral("bytes"), slot.image().byteCount());
    } else if ((command == CommandId::ReadFlash || command == CommandId::ReadEeprom)) {
        code = readCommand(flash);
    } else if (command == CommandId::ReadFuses) {
        code = fuseRead();
    } else if (command == CommandId::WriteFuses) {
        code = fuseWrite();
    } else if (command == CommandId::RecoverFuses) {
        code = fuseRecover();
    } else if (command == CommandId::WriteLock) {
        code = lockWrite();
    } else if (command == CommandId::ReadCalibration) {
        code = calibrationRead();
    } else if (command == CommandId::WriteCalibration) {
        code = calibrationWrite();
    }
    if (m_human == human)
        m_human.clear();
    return code;
}

int CliRunner::readCommand(bool flash) {
    Workbench& wb = *m_workbench;
    ReadOutcome read;
    const CommandResult result =
        wb.runner().runExchange([&] { read = wb.session().reader().read(memoryOf(flash)); });
    if (const int code = outcome(result))
        return code;
    switch (read.stop) {
        case ReadOutcome::Stop::Complete:
            break;
        case ReadOutcome::Stop::NoAnswer:
            return noAnswer();
        case ReadOutcome::Stop::Garbled:
            return fail(kExitProgrammer,
                        QCoreApplication::translate("CliChipCommands",
                                                    "%1读取应答无效：地址%2处不是十六进制数字。")
                            .arg(memoryName(flash), hexField(read.garbledAt, 4)));
        case ReadOutcome::Stop::Stopped:
        case ReadOutcome::Stop::TooSlow:
            m_findings.insert(QStringLiteral("readStoppedAt"), read.stoppedAt());
            return fail(kExitProgrammer,
                        QCoreApplication::translate(
                            "CliChipCommands", "%1读取在地址 %2 处停止（收到%3字节，应为%4字节）。")
                            .arg(memoryName(flash), hexField(read.stoppedAt(), 4))
                            .arg(read.received)
                            .arg(read.expected));
    }
    const MemoryImage image = wb.session().slot(memoryOf(flash)).image();
    const QString suffix = QFileInfo(m_request.file).suffix().toLower();
    const bool hex = suffix == u"hex" || (!flash && suffix == u"eep");
    QString error;
    const bool saved = hex ? SaveImageToHex(image, m_request.file, &error)
                           : saveImageToBin(image, m_request.file, &error);
    if (!saved)
        return fail(kExitFile, QCoreApplication::translate("CliChipCommands", "无法写入 %1：%2")
                                   .arg(m_request.file, error));
    m_findings.insert(QStringLiteral("bytes"), image.byteCount());
    m_findings.insert(QStringLiteral("file"), m_request.file);
    return kExitDone;
}

int CliRunner::runScheme() {
    Scheme scheme;
    try {
        scheme = SchemeFile::load(m_request.file);
    } catch (const OperationError& e) {
        return fail(kExitFile, e.text());
    }
    if (!m_request.model.isEmpty() && canonicalModel(scheme.model) != m_request.model) {
        return fail(kExitUsage, QCoreApplication::translate("CliChipCommands",
                                                            "方案的型号是%1，与 --model %2 不符。")
                                    .arg(scheme.model, m_request.model));
    }
    startWorkbench();
    if (const int code = startOnPort())
        return code;
    // The scheme goes in as the window's "LoadSet" puts it in; a file it
    // names that does not load leaves its image empty, found below.
    const CommandResult applied =
        m_workbench->runner().runGuarded([&] { applyScheme(scheme, m_workbench->schemes()); });
    if (applied.error)
        return fail(kExitFile, applied.error->text());
    // --serial wins over the file beside the scheme.
    m_workbench->record().setSerialScheme(m_serialScheme, m_serialSource);
    const ProgramOptions& options = m_workbench->session().options();
    m_findings.insert(QStringLiteral("model"), m_workbench->session().model().selectedModelName());
    // A step chosen on an image that did not load would pass while writing
    // nothing; the window's user sees the empty view, a script would not.
    for (const bool flash : {true, false}) {
        const int write = flash ? ProgramOptions::ProgramFlash : ProgramOptions::ProgramEeprom;
        const int verify = flash ? ProgramOptions::VerifyFlash : ProgramOptions::VerifyEeprom;
        const ImageSlot& slot =
            flash ? m_workbench->session().flash() : m_workbench->session().eeprom();
        if ((options.isOn(write) || options.isOn(verify)) && slot.image().isEmpty()) {
            return fail(kExitFile,
                        QCoreApplication::translate(
                            "CliChipCommands", "方案选中了%1的编程或校验，但%1文件“%2”没有载入。")
                            .arg(memoryName(flash), slot.pathText()));
        }
        if (const int code = checkImageFits(flash))
            return code;
    }
    // The scheme's own options, unchanged: the pass exactly as the window runs it.
    PassOutcome pass;
    const CommandResult result = runRecordedPass(pass);
    return outcome(result, passFindings(pass));
}

}  // namespace kv::cli
