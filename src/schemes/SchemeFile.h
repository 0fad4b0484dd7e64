// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include "schemes/Scheme.h"

namespace kv {

// Scheme files on disk. Text is written in GBK (code page 936) when every
// character has a GBK form, so other copies of the program read it; otherwise
// (a path with a character outside GBK) in UTF-8 with a byte-order mark. Both
// forms are read. Errors throw OperationError with the text for the warning box.
class SchemeFile {
public:
    // The dialog filter of both scheme commands.
    static QString dialogFilter() {
        return QCoreApplication::translate("SchemeFile", "方案文件(*.SET)|*.set");
    }

    // Replaces the file only once the new content is complete on disk.
    static void save(const QString& path, const Scheme& scheme);
    // Checks the whole file before returning anything.
    static Scheme load(const QString& path);

    static QByteArray encode(const QString& text);
    // Throws when the bytes are neither UTF-8 with a byte-order mark nor GBK.
    static QString decode(const QByteArray& bytes);

    // Anything larger is not a scheme; it is refused before decoding.
    static constexpr qint64 kMaxBytes = 64 * 1024;
};

}  // namespace kv
