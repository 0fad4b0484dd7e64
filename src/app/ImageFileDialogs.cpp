// SPDX-License-Identifier: MIT
#include "app/ImageFileDialogs.h"

#include <QCoreApplication>
#include <tuple>

#include "core/UserPrompts.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

void openImageFile(ImageFiles& files, ImageSlot& slot, UserPrompts& prompts,
                   SettingsStore& settings) {
    const bool flash = slot.isFlash();
    FileDialogRequest request;
    request.filter =
        flash ? QCoreApplication::translate("ImageFiles",
                                            "Intel HEX 文件 (*.HEX)|*.HEX|二进制文件(*.BIN)|*.BIN")
              : QCoreApplication::translate("ImageFiles",
                                            "EEPROM文件(*.EEP)|*.EEP|二进制文件(*.BIN)|*.BIN|"
                                            "Intel Hex文件(*.HEX)|*.HEX");
    // avr-gcc's own output: FLASH takes its program, EEPROM its .eeprom section.
    request.filter += QCoreApplication::translate("ImageFiles", "|ELF 文件(*.ELF)|*.ELF");
    request.filterIndex = 1;
    request.initialDir = slot.pathText();
    const std::optional<QString> chosen = prompts.openFile(request);
    if (!chosen)
        return;
    slot.setPathText(*chosen);
    const LoadOutcome loaded = files.load(slot.kind(), slot.pathText());
    if (loaded.status == LoadStatus::Failed)
        prompts.warning(settings.applicationName(), loaded.problem);
    // A failure is in the log already; the loaded file serves this run anyway.
    std::ignore = settings.write(flash ? SettingsKeys::kFlashFile : SettingsKeys::kEepromFile,
                                 SettingsKeys::kImagePath, slot.pathText());
}

void saveImageFile(const ImageSlot& slot, UserPrompts& prompts, const SettingsStore& settings) {
    FileDialogRequest request;
    request.filter = QCoreApplication::translate("ImageFiles", "二进制文件(*.BIN)|*.BIN");
    request.filterIndex = 1;
    const std::optional<QString> chosen = prompts.saveFile(request);
    if (!chosen)
        return;
    QString error;
    if (!saveImageToBin(slot.image(), *chosen, &error)) {
        prompts.warning(
            settings.applicationName(),
            (slot.isFlash() ? QCoreApplication::translate("ImageFiles", "FLASH文件保存失败！")
                            : QCoreApplication::translate("ImageFiles", "EEPROM文件保存失败！")) +
                u'\n' + error);
    }
}

}  // namespace kv
