// SPDX-License-Identifier: MIT
#include "app/ImageFileDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <tuple>

#include "core/UserPrompts.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

QString openFilter(MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    // The FLASH loader takes no ".eep" (an EEPROM file), so FLASH does not offer one.
    QString filter = QCoreApplication::translate("ImageFiles", "所有支持的文件") +
                     (flash ? QStringLiteral("|*.HEX;*.BIN;*.ELF|")
                            : QStringLiteral("|*.EEP;*.HEX;*.BIN;*.ELF|"));
    filter += flash ? QCoreApplication::translate(
                          "ImageFiles", "Intel HEX 文件 (*.HEX)|*.HEX|二进制文件(*.BIN)|*.BIN")
                    : QCoreApplication::translate("ImageFiles",
                                                  "EEPROM文件(*.EEP)|*.EEP|二进制文件(*.BIN)|*.BIN|"
                                                  "Intel Hex文件(*.HEX)|*.HEX");
    // avr-gcc's own output: FLASH takes its program, EEPROM its .eeprom section.
    filter += QCoreApplication::translate("ImageFiles", "|ELF 文件(*.ELF)|*.ELF");
    filter += u'|' + QCoreApplication::translate("ImageFiles", "所有文件") + QStringLiteral("|*");
    return filter;
}

std::optional<QString> openImageFile(ImageFiles& files, ImageSlot& slot, UserPrompts& prompts,
                                     SettingsStore& settings) {
    FileDialogRequest request;
    request.filter = openFilter(slot.kind());
    request.filterIndex = 1;
    request.initialDir = slot.pathText();
    const std::optional<QString> chosen = prompts.openFile(request);
    if (!chosen)
        return std::nullopt;
    loadImageFile(files, slot, prompts, settings, *chosen);
    return chosen;
}

void loadImageFile(ImageFiles& files, ImageSlot& slot, UserPrompts& prompts,
                   SettingsStore& settings, const QString& path) {
    slot.setPathText(path);
    const LoadOutcome loaded = files.load(slot.kind(), slot.pathText());
    if (loaded.status == LoadStatus::Failed)
        prompts.warning(settings.applicationName(), loaded.problem);
    // A failure is in the log already; the loaded file serves this run anyway.
    std::ignore =
        settings.write(slot.isFlash() ? SettingsKeys::kFlashFile : SettingsKeys::kEepromFile,
                       SettingsKeys::kImagePath, slot.pathText());
}

std::optional<MemoryKind> memoryForFile(const QString& path) {
    const QString ending = QFileInfo(path).suffix().toUpper();
    if (ending == u"EEP")
        return MemoryKind::Eeprom;
    if (ending == u"HEX" || ending == u"BIN" || ending == u"ELF")
        return MemoryKind::Flash;
    return std::nullopt;
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
