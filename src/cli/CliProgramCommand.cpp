// SPDX-License-Identifier: MIT
// "program FILE.elf": everything an avr-gcc ELF file holds, through the
// window's own pass and its "调入文件熔丝位" entry.
#include <QCoreApplication>
#include <QJsonArray>

#include "app/Workbench.h"
#include "cli/CliRunner.h"

namespace kv::cli {

int CliRunner::loadProgramFile() {
    const QString& path = m_request.file;
    // The fuse and lock bytes, and the memories in one file, are what
    // makes an ELF file the one for this command.
    if (!path.endsWith(QLatin1String(".elf"), Qt::CaseInsensitive))
        return fail(kExitFile,
                    QCoreApplication::translate("CliProgramCommand",
                                                "program 需要 avr-gcc 的 ELF 文件（.elf）：%1")
                        .arg(path));
    for (const bool flash : {true, false}) {
        if (const int code = loadImage(flash, path, true))
            return code;
    }
    const std::optional<FileFuses> file = m_workbench->session().files().fileFuses();
    if (m_request.fuses && (!file || file->fuses.isEmpty())) {
        return fail(kExitFile, QCoreApplication::translate(
                                   "CliProgramCommand",
                                   "%1 没有熔丝位（.fuse 段），--fuses 无从写入，未做任何操作。")
                                   .arg(path));
    }
    if (m_request.lock && (!file || !file->lock)) {
        return fail(kExitFile, QCoreApplication::translate(
                                   "CliProgramCommand",
                                   "%1 没有锁定位（.lock 段），--lock 无从写入，未做任何操作。")
                                   .arg(path));
    }
    if (m_workbench->session().flash().image().isEmpty() &&
        m_workbench->session().eeprom().image().isEmpty() && !m_request.fuses && !m_request.lock) {
        return fail(kExitFile, QCoreApplication::translate("CliProgramCommand",
                                                           "文件 %1 中没有FLASH和EEPROM数据")
                                   .arg(path));
    }
    return kExitDone;
}

// The pass keeps the safe order itself: erase, FLASH, EEPROM, the verifies,
// then fuses and the lock byte last, so a locked chip has been verified.
int CliRunner::programChip() {
    Workbench& wb = *m_workbench;
    const bool flash = !wb.session().flash().image().isEmpty();
    const bool eeprom = !wb.session().eeprom().image().isEmpty();
    QList<int> options;
    QStringList written;
    if (m_request.erase)
        options << ProgramOptions::EraseChip;
    if (flash) {
        options << ProgramOptions::ProgramFlash;
        written << QStringLiteral("flash");
        m_findings.insert(QStringLiteral("flashBytes"), wb.session().flash().image().byteCount());
    }
    if (eeprom) {
        options << ProgramOptions::ProgramEeprom;
        written << QStringLiteral("eeprom");
        m_findings.insert(QStringLiteral("eepromBytes"), wb.session().eeprom().image().byteCount());
    }
    if (m_request.verify && flash)
        options << ProgramOptions::VerifyFlash;
    if (m_request.verify && eeprom)
        options << ProgramOptions::VerifyEeprom;
    QString fuseField, lockByte;
    if (m_request.fuses || m_request.lock) {
        // The cells hold the chip's bytes first: a fuse byte the file lacks
        // keeps its value, as with "fuses write".
        if (const int code = fuseRead())
            return code;
        const CommandResult applied = wb.runCommand(CommandId::FileFuses);
        if (applied.error)
            return fail(kExitFile, applied.error->text());
        if (m_request.fuses) {
            options << ProgramOptions::ProgramFuses;
            fuseField = FuseCommands::fuseField(wb.session().fuses(),
                                                wb.session().model().selectedModelName());
            written << QStringLiteral("fuses");
        }
        if (m_request.lock) {
            options << ProgramOptions::ProgramLock;
            lockByte = wb.session().fuses().byteText(3);
            written << QStringLiteral("lock");
        }
    }
    m_findings.insert(QStringLiteral("written"), QJsonArray::fromStringList(written));
    m_findings.insert(QStringLiteral("erased"), m_request.erase);
    if (const int code = runPass(options))
        return code;
    if (m_request.fuses || m_request.lock) {
        if (const int code = fuseRead())
            return code;
        if (m_request.fuses) {
            if (const int code = confirmFuses(fuseField))
                return code;
        }
        if (m_request.lock) {
            if (const int code = confirmLock(lockByte))
                return code;
        }
    }
    m_human = QCoreApplication::translate("CliProgramCommand", "已写入 %1").arg(written.join(u' '));
    return kExitDone;
}

}  // namespace kv::cli
