// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "schemes/Scheme.h"

namespace kv {

class SchemeTarget;
class UserPrompts;

// Applies a checked scheme to the window in the order of the load: model and
// fuse definitions, fuse bits, options, paths, the reload of both files when
// option 5 ("文件重载") is 1, calibration choices, addresses, spinners.
void applyScheme(const Scheme& scheme, SchemeTarget& target);

// What a program that starts from the scheme alone (the command line, each
// socket of the gang) must be told: the scheme writes or verifies FLASH or
// EEPROM, but without "文件重载" its files are never loaded, so there is no
// image to write. nullopt when the scheme loads what it uses.
std::optional<QString> unloadedFilesHint(const Scheme& scheme);

// "SaveSet": asks for a file name and writes the set-up. Returns false when the
// user cancelled. Throws OperationError when the file cannot be written; the
// previous file is then left as it was. A name without an extension gets
// ".SET", so the open dialog's filter shows the file. savedPath: the file written.
bool saveSchemeCommand(UserPrompts& prompts, const Scheme& scheme, QString* savedPath = nullptr);

// "LoadSet": asks for a file, reads and checks all of it, then applies it.
// Returns false when the user cancelled. A file that cannot be read or fails a
// check throws OperationError before anything is applied. loadedPath, when
// given, receives the file's path.
bool loadSchemeCommand(UserPrompts& prompts, SchemeTarget& target, QString* loadedPath = nullptr);

}  // namespace kv
