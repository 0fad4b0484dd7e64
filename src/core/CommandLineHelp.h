// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineParser>
#include <QString>

namespace kv {

// The parser's --help text with the program named by its application name:
// Qt names it as it was started, often by its whole path.
QString helpWithProgramName(const QCommandLineParser& parser);

}  // namespace kv
