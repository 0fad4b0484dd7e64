// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "core/MemoryKind.h"

namespace kv {

class ImageFiles;
class ImageSlot;
class SettingsStore;
class UserPrompts;

// The open and save buttons of a memory's file: the dialogs, and the boxes
// for what went wrong, titled with the program's name.
//
// Open: choose a file, show it in the path box, load it, remember it (also
// when the load failed: the choice stands). The chosen file; nullopt: cancelled.
std::optional<QString> openImageFile(ImageFiles& files, ImageSlot& slot, UserPrompts& prompts,
                                     SettingsStore& settings);
// The open without its dialog: a file given by name (dropped, or recent).
void loadImageFile(ImageFiles& files, ImageSlot& slot, UserPrompts& prompts,
                   SettingsStore& settings, const QString& path);
// The memory a file is for by its name: ".eep" is EEPROM, ".hex", ".bin" and
// ".elf" are FLASH (an ELF file's EEPROM section goes along); nullopt: the
// name does not say.
std::optional<MemoryKind> memoryForFile(const QString& path);
// The filter of the open dialogs: every file a memory takes first, each kind
// on its own, then every file.
QString openFilter(MemoryKind memory);
// Save: choose a file name, write the image as raw bytes.
void saveImageFile(const ImageSlot& slot, UserPrompts& prompts, const SettingsStore& settings);

}  // namespace kv
