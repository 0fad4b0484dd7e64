// SPDX-License-Identifier: MIT
// kelvaro-cli: the programmer from the command line, on the window's own
// logic without a window. kelvaro-cli --help lists the commands.
#include <unistd.h>
#include <QCoreApplication>
#include <QDate>
#include <cstdio>

#include "app/DataFolder.h"
#include "app/Language.h"
#include "app/ShellTexts.h"
#include "cli/CliGang.h"
#include "cli/CliPlatform.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "cli/CommandRun.h"
#include "cli/Subcommands.h"
#include "core/Version.h"
#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "settings/SettingsStore.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvaro-cli"));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    kv::cli::hidePasswordsInArguments(argc, argv);
    // The language comes first, so that even a refused command line is told in it.
    const QString lang = kv::languageArgument(arguments);
    const kv::LanguageTexts texts(
        kv::chooseCommandLineLanguage(lang, kv::SettingsStore(kv::ShellTexts::appTitle())
                                                .read(kv::languageSection(), kv::languageKey())));
    const QString dataFolder = kv::findDataFolder(QCoreApplication::applicationDirPath());
    kv::loadModelTable(dataFolder);
    const std::optional<kv::cli::ParsedArguments> gang = kv::cli::parseGangArguments(arguments);
    kv::cli::ParsedArguments parsed = gang ? *gang : kv::cli::parseArguments(arguments);
    if (parsed.request.recordUrl.isEmpty() && !parsed.request.noRecord)
        parsed.request.recordUrl =
            qEnvironmentVariable(kv::GangRunner::recordVariable().toUtf8().constData());
    const kv::cli::CliRequest& request = parsed.request;
    if (parsed.error.isEmpty() && request.version) {
        std::printf("kelvaro-cli %s\n", kv::kProgramVersion);
        return kv::cli::kExitDone;
    }
    if (parsed.error.isEmpty() && request.help) {
        const QString help =
            request.unit ? kv::cli::commandHelp(*request.unit) : kv::cli::helpText();
        std::fputs(help.toUtf8().constData(), stdout);
        return kv::cli::kExitDone;
    }
    // A line that asked for JSON gets its result line even when it did not parse.
    kv::cli::CliReport report(request.json || kv::cli::jsonAsked(arguments), request.quiet,
                              ::isatty(STDERR_FILENO) == 1);
    if (!parsed.error.isEmpty()) {
        report.result(
            kv::cli::kExitUsage,
            QCoreApplication::translate("CliMain", "%1（kelvaro-cli --help）").arg(parsed.error),
            {}, {});
        return kv::cli::kExitUsage;
    }
    kv::cli::StopSignal stop;
    // Ctrl-C also ends a wait for the record's lock.
    kv::RecordDatabase::setStopCheck([] { return kv::cli::StopSignal::requested(); });
    kv::RecordStore::setWallClock([] { return QDateTime::currentDateTimeUtc(); });
    kv::cli::watchGangParent();
    if (!request.unit->invoke)  // the gang: a process per socket
        return kv::cli::CliGang(request, report, QString()).run(stop);
    kv::cli::CommandRun runner(request, report, {dataFolder, QString()});
    return runner.run();
}
