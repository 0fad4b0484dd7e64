// SPDX-License-Identifier: MIT
#include "schemes/SchemeCommands.h"

#include <QFileInfo>

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
