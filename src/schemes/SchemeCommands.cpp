// SPDX-License-Identifier: MIT
#include "schemes/SchemeCommands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "core/UserPrompts.h"
#include "schemes/SchemeFile.h"
#include "schemes/SchemeTarget.h"
#include "schemes/SchemeText.h"

namespace kv {

namespace {

constexpr int kReloadOption = 5;

FileDialogRequest schemeDialog() {
    FileDialogRequest request;
    request.filter = SchemeFile::dialogFilter();
    request.filterIndex = 1;
    return request;
}

}  // namespace

void applyScheme(const Scheme& scheme, SchemeTarget& target) {
    target.selectModel(scheme.model);
    target.applyFuseBits(scheme.fuseBits);
    target.setProgramOptions(scheme.options);
    target.setImagePaths(scheme.flashPath, scheme.eepromPath);
    if (scheme.options[kReloadOption] == 1) {
        if (!scheme.flashPath.isEmpty()) {
            target.reloadFile(MemoryKind::Flash, scheme.flashPath);
        }
        if (!scheme.eepromPath.isEmpty()) {
            target.reloadFile(MemoryKind::Eeprom, scheme.eepromPath);
        }
    }
    target.setCalibrationChoice(scheme.calibrationSlot, scheme.calibrationTarget);
    target.setCalibrationAddresses(scheme.flashAddress, scheme.eepromAddress);
    target.syncCalibrationSpinners();
}

std::optional<QString> unloadedFilesHint(const Scheme& scheme) {
    // Options 1, 2: write FLASH, EEPROM; 8, 9: verify them.
    const auto on = [&scheme](int index) { return scheme.options[index] == 1; };
    QStringList memories;
    if (on(1) || on(8))
        memories << QStringLiteral("FLASH");
    if (on(2) || on(9))
        memories << QStringLiteral("EEPROM");
    if (memories.isEmpty() || on(kReloadOption))
        return std::nullopt;
    return QCoreApplication::translate(
               "SchemeCommands",
               "方案没有勾选“文件重载”，所以不会载入它的%1文件。请在主窗口载入这个方案，"
               "勾选“文件重载”后再保存方案。")
        .arg(memories.join(u'/'));
}

bool saveSchemeCommand(UserPrompts& prompts, const Scheme& scheme, QString* savedPath) {
    schemeToText(scheme);  // a set-up that cannot be saved is refused before the dialog
    std::optional<QString> path = prompts.saveFile(schemeDialog());
    if (!path || path->isEmpty()) {
        return false;
    }
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QStringLiteral(".SET");
    SchemeFile::save(*path, scheme);
    if (savedPath)
        *savedPath = *path;
    return true;
}

bool loadSchemeCommand(UserPrompts& prompts, SchemeTarget& target, QString* loadedPath) {
    const std::optional<QString> path = prompts.openFile(schemeDialog());
    if (!path || path->isEmpty()) {
        return false;
    }
    applyScheme(SchemeFile::load(*path), target);
    if (loadedPath)
        *loadedPath = *path;
    return true;
}

}  // namespace kv
