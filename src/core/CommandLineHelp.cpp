// SPDX-License-Identifier: MIT
#include "core/CommandLineHelp.h"

#include <QCoreApplication>

namespace kv {

QString helpWithProgramName(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.isEmpty())
        return text;
    const QString lead = QStringLiteral("Usage: ");
    const QString started = lead + arguments.constFirst();
    if (text.startsWith(started))
        text.replace(0, started.size(), lead + QCoreApplication::applicationName());
    return text;
}

}  // namespace kv
