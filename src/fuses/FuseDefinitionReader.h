// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

#include "fuses/FuseTypes.h"

namespace kv {

// Reads a fuse definition file (code page 936, CR LF lines): line 1 the
// default fuseBitString, lines 2-33 the names of cells 31 down to 0, comments
// up to the first line that is exactly "##", then one option per line up to
// the next "##" or the end. Lines that break the format are skipped and a file
// that cannot be used is refused; either way the log says which file and line.
class FuseDefinitionReader {
public:
    using LogFn = std::function<void(const QString&)>;

    enum class Outcome { Loaded, Missing, Refused };
    struct Result {
        Outcome outcome = Outcome::Missing;
        FuseDefinitions definitions;  // filled only when Loaded
    };

    static constexpr int kMaxOptions = 255;
    static constexpr int kMaxGroupOptions = 200;  // per kind FDB, FDE, FDL

    // The first folder that holds fileName; a differently-cased name is
    // accepted when the exact one is absent. Empty when none does.
    static QString locate(const QStringList& folders, const QString& fileName);

    // fileName only names the file in log messages.
    static Result read(const QString& path, const QString& fileName, const LogFn& log);
    static Result parse(const QByteArray& data, const QString& fileName, const LogFn& log);

private:
    static bool addOption(const QString& line, int lineNumber, const QString& fileName,
                          const LogFn& log, FuseDefinitions& out);
};

}  // namespace kv
