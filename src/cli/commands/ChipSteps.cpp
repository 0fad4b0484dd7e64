// SPDX-License-Identifier: MIT
#include "cli/commands/ChipSteps.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "catalogue/ChipModelTable.h"
#include "fuses/FuseDefinitionReader.h"

namespace kv::cli::steps {

namespace {

const char* const kByteNames[4] = {QT_TRANSLATE_NOOP("CliFuseCommands", "熔丝低字节"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "熔丝高字节"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "扩展熔丝位"),
                                   QT_TRANSLATE_NOOP("CliFuseCommands", "锁定位")};

void checkCapacity(const QByteArray& bytes, MemoryKind memory, const ChipModel& model) {
    const qint64 capacity = memory == MemoryKind::Flash ? model.flashSize : model.eepromSize;
    if (bytes.size() > capacity) {
        CommandRun::end(Ending::File,
                        QCoreApplication::translate(
                            "CliChipCommands", "%1映像有%2字节，超出%3的容量（%4字节），未写入。")
                            .arg(memoryName(memory))
                            .arg(bytes.size())
                            .arg(model.name)
                            .arg(capacity));
    }
}

}  // namespace

ImageFile loadFile(CommandRun& run, MemoryKind memory) {
    const QString& path = run.request().file;
    ImageFile file = ImageFile::load(path, memory);
    if (file.raw) {
        run.report().warning(
            ImageFiles::rawBinaryText(QFileInfo(path).fileName(), file.raw->bytes));
        // A text file would go into the chip as its characters, with exit 0.
        if (file.raw->looksLikeText && !run.request().raw)
            CommandRun::end(Ending::File,
                            QCoreApplication::translate(
                                "CliChipCommands",
                                "%1 看起来是文本，不是EEPROM数据；确要按原始字节写入请加 --raw")
                                .arg(path));
    }
    if (file.bytes(memory).isEmpty())
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate("CliChipCommands", "文件 %1 中没有数据").arg(path));
    return file;
}

void checkFits(const ImageFile& file, const ChipModel& model, bool flash, bool eeprom) {
    file.checkElf({model.flashSize, model.eepromSize, model.extendedFuse ? 3 : 2});
    if (flash)
        checkCapacity(file.flash, MemoryKind::Flash, model);
    if (eeprom)
        checkCapacity(file.eeprom, MemoryKind::Eeprom, model);
}

const ChipModel& identifyFor(CommandRun& run, const ImageFile& file, bool flash, bool eeprom) {
    run.openPort();
    if (const ChipModel* given = ChipModelTable::find(run.request().model))
        checkFits(file, *given, flash, eeprom);
    const ChipModel& model = run.identify();
    checkFits(file, model, flash, eeprom);
    return model;
}

PassPlan planFor(const ChipModel& model) {
    PassPlan plan;
    plan.model = model.name;
    plan.geometry = {model.flashSize, model.eepromSize, model.pageWords};
    plan.extendedFuse = model.extendedFuse;
    // A script has no one watching the log: what it wrote is read back for
    // the record, whatever the window's own setting says.
    plan.readBack = true;
    return plan;
}

ImagePlan imagePlan(const QByteArray& bytes, const QString& path) {
    // The record names the file as the window's file box would.
    return ImagePlan::fromBytes(bytes, QFileInfo(path).fileName());
}

FuseReading readFuses(CommandRun& run) {
    const FuseReading reading = run.programmer().readFuses();
    if (!reading.answered())
        throw noAnswer();
    if (!reading.valid()) {
        CommandRun::end(
            Ending::Programmer,
            QCoreApplication::translate("CliFuseCommands", "读熔丝位失败：编程器的应答无效。"));
    }
    const QString& f = reading.digits;
    const QString fuses = run.model().extendedFuse ? f.right(6) : QStringLiteral("..") + f.right(4);
    run.log(
        QCoreApplication::translate("FuseCommands", "读熔丝位:%1 锁定位:%2").arg(fuses, f.left(2)));
    return reading;
}

void fuseFindings(CommandRun& run, const FuseReading& reading) {
    const QString& f = reading.digits;
    const bool extended = run.model().extendedFuse;
    run.findAll({{"lock", f.left(2)},
                 {"high", f.mid(4, 2)},
                 {"low", f.mid(6, 2)},
                 {"ext", extended ? QJsonValue(f.mid(2, 2)) : QJsonValue(QJsonValue::Null)}});
    QString human = QStringLiteral("low=%1 high=%2").arg(f.mid(6, 2), f.mid(4, 2));
    if (extended)
        human += QStringLiteral(" ext=") + f.mid(2, 2);
    human += QStringLiteral(" lock=") + f.left(2);
    run.setHuman(human);
}

std::array<quint8, 4> existingBits(const CommandRun& run, const ChipModel& model) {
    std::array<quint8, 4> existing{0xFF, 0xFF, 0xFF, 0xFF};
    const QString fileName = model.name + QStringLiteral(".FUS");
    const QString path =
        FuseDefinitionReader::locate({run.paths().dataFolder + QStringLiteral("/Set")}, fileName);
    if (path.isEmpty())
        return existing;
    const auto result = FuseDefinitionReader::read(path, fileName, {});
    if (result.outcome != FuseDefinitionReader::Outcome::Loaded)
        return existing;
    // Character p is cell 31 - p: bit (31 - p) % 8 of byte (31 - p) / 8.
    const QString& bits = result.definitions.defaultBits;
    for (int p = 0; p < 32 && p < bits.size(); ++p) {
        if (bits.at(p) == u'*')
            existing[(31 - p) / 8] &= quint8(~(1u << ((31 - p) % 8)));
    }
    return existing;
}

quint8 byteToSend(int value, int b, quint8 existing, const ChipModel& model) {
    for (int k = 0; k < 8; ++k) {
        if (!((existing >> k) & 1) && !((value >> k) & 1)) {
            CommandRun::end(
                Ending::Usage,
                QCoreApplication::translate("CliFuseCommands",
                                            "%1没有%2的第%3位，它只能为1，未写入。")
                    .arg(model.name, QCoreApplication::translate("CliFuseCommands", kByteNames[b]))
                    .arg(k));
        }
    }
    return quint8(value | ~existing);
}

}  // namespace kv::cli::steps

#include <QDir>

#include "images/ImageFiles.h"
#include "images/IntelHexWriter.h"
#include "images/MemoryImage.h"

namespace kv::cli::steps {

namespace {

// write: erase first (FLASH only, unless --no-erase), then write; verify
// when asked. verify alone: the verify step.
void imageCommand(CommandRun& run, MemoryKind memory, bool write) {
    const bool flash = memory == MemoryKind::Flash;
    const ImageFile file = loadFile(run, memory);
    const ChipModel& model = identifyFor(run, file, flash, !flash);
    PassPlan plan = planFor(model);
    (flash ? plan.flash : plan.eeprom) = imagePlan(file.bytes(memory), file.path);
    plan.erase = write && flash && !run.request().noErase;
    (flash ? plan.writeFlash : plan.writeEeprom) = write;
    (flash ? plan.verifyFlash : plan.verifyEeprom) = !write || run.request().verify;
    run.find(QStringLiteral("bytes"), file.bytes(memory).size());
    run.runPlan(plan, true);
}

}  // namespace

void writeFile(CommandRun& run, MemoryKind memory) {
    imageCommand(run, memory, true);
}

void verifyFile(CommandRun& run, MemoryKind memory) {
    imageCommand(run, memory, false);
}

void readToFile(CommandRun& run, MemoryKind memory) {
    const QString& path = run.request().file;
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        CommandRun::end(Ending::File,
                        QCoreApplication::translate("CliChipCommands", "文件夹不存在：%1")
                            .arg(target.absolutePath()));
    run.openPort();
    const ChipModel& model = run.identify();
    const bool flash = memory == MemoryKind::Flash;
    const ReadResult read =
        run.programmer().read(memory, flash ? model.flashSize : model.eepromSize);
    if (read.outcome.stop == ReadOutcome::Stop::Stopped ||
        read.outcome.stop == ReadOutcome::Stop::TooSlow)
        run.find(QStringLiteral("readStoppedAt"), read.outcome.stoppedAt());
    if (const std::optional<CommandEnd> end = endOf(read.outcome))
        throw *end;
    const MemoryImage image = MemoryImage::fromBytes(read.bytes);
    const QString suffix = target.suffix().toLower();
    const bool hex = suffix == u"hex" || (!flash && suffix == u"eep");
    QString error;
    const bool saved =
        hex ? SaveImageToHex(image, path, &error) : saveImageToBin(image, path, &error);
    if (!saved)
        CommandRun::end(
            Ending::File,
            QCoreApplication::translate("CliChipCommands", "无法写入 %1：%2").arg(path, error));
    run.find(QStringLiteral("bytes"), read.bytes.size());
    run.find(QStringLiteral("file"), path);
}

}  // namespace kv::cli::steps

#include "core/LeadingNumber.h"
#include "operations/AddressText.h"

namespace kv::cli::steps {

CalibrationLayout calibrationLayout(const ChipModel& model) {
    const CalibrationLayout layout = CalibrationLayout::forModel(model.name);
    if (layout.bytes.isEmpty())
        CommandRun::end(
            Ending::Usage,
            QCoreApplication::translate("CliFuseCommands", "%1没有校准字节。").arg(model.name));
    return layout;
}

QString slotCaption(int slot) {
    return QStringLiteral("%1MHz").arg(1 << slot);
}

CalibrationPlan calibrationPlan(const ChipModel& model, int slot, MemoryKind target,
                                const QString& addressText) {
    CalibrationPlan plan;
    const CalibrationLayout layout = CalibrationLayout::forModel(model.name);
    for (const CalibrationLayout::Byte& byte : layout.bytes) {
        if (byte.slot == slot)
            plan.chosen = int(plan.infoAddresses.size());
        plan.infoAddresses << byte.address;
    }
    plan.target = target;
    const int largest = (target == MemoryKind::Flash ? model.flashSize : model.eepromSize) - 1;
    const qint64 number = qBound<qint64>(0, leadingNumber(addressText), qint64(largest));
    const std::optional<int> address = checkedAddress(QString::number(number), largest);
    if (address)
        plan.address = *address;
    else
        plan.addressRefusal = addressFormatError();
    plan.noValueRefusal = QCoreApplication::translate("CliFuseCommands", "校准字节的应答无效。");
    return plan;
}

}  // namespace kv::cli::steps
