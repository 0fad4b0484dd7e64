// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "record/SerialScheme.h"

namespace kv {

// The serial number settings of a scheme, in their own file beside it
// (NAME.SET.serial), so that older copies read the scheme file unchanged.
// UTF-8 lines key=value: name, start, step, width, format (binary-le,
// binary-be, decimal, hex), target (eeprom, flash), address (decimal or 0x
// hex); "#" starts a comment line.
struct SerialFile {
    static QString besideScheme(const QString& schemePath) {
        return schemePath + QStringLiteral(".serial");
    }
    // Throws OperationError for an unreadable file, an unknown key or value.
    static SerialScheme load(const QString& path);
    // The same for a file's content; path only names the file in messages.
    static SerialScheme parse(const QByteArray& content, const QString& path);
    // The settings beside the scheme; nullopt when there is no such file.
    static std::optional<SerialScheme> loadBeside(const QString& schemePath);
    // Why the number's bytes do not fit a memory of memoryBytes at the
    // scheme's address (the text names the file, the address and the width);
    // nullopt when they fit.
    static std::optional<QString> placementProblem(const SerialScheme& scheme, qint64 memoryBytes,
                                                   const QString& path);
};

}  // namespace kv
