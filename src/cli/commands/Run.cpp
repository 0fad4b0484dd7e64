// SPDX-License-Identifier: MIT
// "run SCHEME.SET": the programming pass as the window runs it, planned
// from the scheme file and the files it names.
#include <QCoreApplication>
#include <QFileInfo>

#include "catalogue/ChipModelTable.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"

namespace kv::cli::commands {

namespace {

// The scheme's option boxes; a step runs only for a box that holds exactly 1.
enum Option {
    kErase = 0,
    kWriteFlash = 1,
    kWriteEeprom = 2,
    kFuses = 3,
    kLock = 4,
    kReload = 5,
    kSignature = 6,
    kCalibration = 7,
    kVerifyFlash = 8,
    kVerifyEeprom = 9,
};

// The scheme's fuse bit string (cell 31 first) as the bytes "WS" and "WL"
// send: "1" and a bit the model lacks ("*") as 1. A cell of any other text
// leaves its byte unsendable: the refusal.
QString bitsToBytes(const QString& bits, int firstCell, int lastCell, quint32& value) {
    value = 0;
    for (int cell = firstCell; cell <= lastCell; ++cell) {
        const int p = 31 - cell;
        const QChar c = p < bits.size() ? bits.at(p) : QChar();
        if (c != u'0' && c != u'1' && c != u'*')
            return QCoreApplication::translate("CliChipCommands",
                                               "方案的熔丝位不完整（第%1位），未做任何操作。")
                .arg(cell);
        if (c != u'0')
            value |= 1u << (cell - firstCell);
    }
    return {};
}

// A file the scheme names, read once when its box 5 asks for the reload
// (the window's start-up has no image otherwise); empty when it names none.
ImagePlan imageOf(const QString& path, MemoryKind memory, bool reload) {
    if (!reload || path.isEmpty())
        return {};
    // A file that is not there leaves the image empty, refused below when
    // the scheme writes or verifies that memory.
    if (!QFileInfo::exists(path))
        return ImagePlan::fromBytes({}, QFileInfo(path).fileName());
    const ImageFile file = ImageFile::load(path, memory);
    return steps::imagePlan(file.bytes(memory), path);
}

void runScheme(CommandRun& run) {
    const CliRequest& request = run.request();
    Scheme scheme;
    try {
        scheme = SchemeFile::load(request.file);
    } catch (const OperationError& e) {
        CommandRun::end(Ending::File, e.text());
    }
    if (!request.model.isEmpty() && canonicalModel(scheme.model) != request.model) {
        CommandRun::end(
            Ending::Usage,
            QCoreApplication::translate("CliChipCommands", "方案的型号是%1，与 --model %2 不符。")
                .arg(scheme.model, request.model));
    }
    const ChipModel& model = ChipModelTable::resolve(scheme.model);
    const auto on = [&scheme](Option option) { return scheme.options.at(option) == 1; };
    PassPlan plan = steps::planFor(model);
    if (on(kSignature))
        plan.expectedSignature = model.signature;
    plan.erase = on(kErase);
    plan.writeFlash = on(kWriteFlash);
    plan.writeEeprom = on(kWriteEeprom);
    plan.verifyFlash = on(kVerifyFlash);
    plan.verifyEeprom = on(kVerifyEeprom);
    plan.flash = imageOf(scheme.flashPath, MemoryKind::Flash, on(kReload));
    plan.eeprom = imageOf(scheme.eepromPath, MemoryKind::Eeprom, on(kReload));
    // A step chosen on an image that did not load would pass while writing
    // nothing; the window's user sees the empty view, a script would not.
    for (const MemoryKind memory : {MemoryKind::Flash, MemoryKind::Eeprom}) {
        const bool flash = memory == MemoryKind::Flash;
        const bool chosen =
            flash ? plan.writeFlash || plan.verifyFlash : plan.writeEeprom || plan.verifyEeprom;
        if (chosen && plan.image(memory).isEmpty()) {
            QString text =
                QCoreApplication::translate("CliChipCommands",
                                            "方案选中了%1的编程或校验，但%1文件“%2”没有载入。")
                    .arg(memoryName(memory), flash ? scheme.flashPath : scheme.eepromPath);
            if (const auto hint = unloadedFilesHint(scheme))
                text += u'\n' + *hint;
            CommandRun::end(Ending::File, text);
        }
    }
    quint32 value = 0;
    plan.writeFuses = on(kFuses);
    plan.fusesRefusal = bitsToBytes(scheme.fuseBits, 0, model.extendedFuse ? 23 : 15, value);
    plan.fuses.low = quint8(value);
    plan.fuses.high = quint8(value >> 8);
    if (model.extendedFuse)
        plan.fuses.extended = quint8(value >> 16);
    plan.writeLock = on(kLock);
    plan.lockRefusal = bitsToBytes(scheme.fuseBits, 24, 31, value);
    plan.lock = quint8(value);
    if (on(kCalibration)) {
        const bool toFlash = scheme.calibrationTarget == 0;
        plan.calibration =
            steps::calibrationPlan(model, scheme.calibrationSlot.value_or(-1),
                                   toFlash ? MemoryKind::Flash : MemoryKind::Eeprom,
                                   toFlash ? scheme.flashAddress : scheme.eepromAddress);
    }
    run.find(QStringLiteral("model"), model.name);
    run.openPort();
    // The scheme's own options, unchanged: the pass exactly as the window runs it.
    run.runPlan(plan, true);
}

}  // namespace

const Subcommand& run() {
    static const Subcommand command{
        .name = QStringLiteral("run"),
        .arguments = 1,
        .usage = QStringLiteral("run SCHEME.SET"),
        .summary = QStringLiteral("the programming pass exactly as the window runs it"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 --json run LINE3.SET"),
        .reach = Reach::Port,
        .changesChip = true,
        .onGang = true,
        .invoke = runScheme,
    };
    return command;
}

}  // namespace kv::cli::commands
