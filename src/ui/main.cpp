// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QTextStream>
#include <cstdio>

#include "app/DataFolder.h"
#include "app/Language.h"
#include "app/MessageLog.h"
#include "app/PassRecorder.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "core/CommandLineHelp.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "core/Version.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "record/RecordStore.h"
#include "settings/SettingsStore.h"
#include "ui/Icons.h"
#include "ui/MainWindow.h"
#include "ui/WidgetPrompts.h"

namespace {

// Qt's own options, which QApplication takes out of the command line. The
// first look below happens before it does, so it must know them too.
const char* const kQtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The options the program answers on standard output without opening the
// window. Qt's options are single-dash words ("-platform offscreen"), so
// single-dash words read as long options.
struct ProgramOptions {
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    // Not Qt's version option, which takes -v: that is the verbose flag, as
    // in kelvaro-cli.
    const QCommandLineOption version{QStringLiteral("version"),
                                     QStringLiteral("Print the version and exit.")};
    const QCommandLineOption verbose{
        {QStringLiteral("v"), QStringLiteral("verbose")},
        QStringLiteral("Also write every message of the window's log to standard error.")};
    const QCommandLineOption settingsPath{
        QStringLiteral("settings-path"),
        QStringLiteral("Print the settings file this version reads and exit.")};
    const QCommandLineOption dataFolder{
        QStringLiteral("data-folder"),
        QStringLiteral("Print the folder the fuse definitions and the help file are read from "
                       "and exit.")};
    const QCommandLineOption language{
        QStringLiteral("lang"),
        QStringLiteral("Language of the window: en (English) or zh (Chinese). Default: the "
                       "stored choice, else English on an English desktop, else Chinese."),
        QStringLiteral("en|zh")};

    ProgramOptions() {
        parser.setApplicationDescription(
            QStringLiteral("Control program of a serial high-voltage AVR programmer.\n"
                           "Without options it opens the window."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({version, verbose, settingsPath, dataFolder, language});
        for (const char* name : kQtValueOptions)
            addHidden(
                QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("x")));
        for (const char* name : kQtFlags)
            addHidden(QCommandLineOption(QString::fromLatin1(name)));
    }
    void addHidden(QCommandLineOption option) {
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    bool anyQuery() const {
        return parser.isSet(help) || parser.isSet(QStringLiteral("help-all")) ||
               parser.isSet(version) || parser.isSet(settingsPath) || parser.isSet(dataFolder);
    }
};

// The command line as text, before any application object exists.
QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void put(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The answers that need no window: a refused command line, --help,
// --version, --settings-path and --data-folder. The exit code.
int answerWithoutWindow(const ProgramOptions& options, bool parsed) {
    const QCommandLineParser& parser = options.parser;
    const QString name = QCoreApplication::applicationName();
    if (!parsed) {
        put(stderr, QStringLiteral("%1: %2\n(%1 --help)\n").arg(name, parser.errorText()));
        return 1;
    }
    if (parser.isSet(options.help) || parser.isSet(QStringLiteral("help-all"))) {
        put(stdout, kv::helpWithProgramName(parser));
        return 0;
    }
    if (parser.isSet(options.version)) {
        put(stdout, name + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }
    QTextStream out(stdout);
    if (parser.isSet(options.settingsPath))
        out << kv::SettingsStore(kv::ShellTexts::appTitle()).filePath() << '\n';
    if (parser.isSet(options.dataFolder))
        out << QDir::toNativeSeparators(kv::findDataFolder(QCoreApplication::applicationDirPath()))
            << '\n';
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("kelvaro"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kv::kProgramVersion));
    ProgramOptions options;
    // A first look, without a window: the answers below need no display, and
    // a window start would abort without one. Qt's own options are known to
    // the parser, so everything else it does not know is refused here.
    const bool parsed = options.parser.parse(rawArguments(argc, argv));
    if (!parsed || options.anyQuery()) {
        QCoreApplication core(argc, argv);
        return answerWithoutWindow(options, parsed);
    }
    // Refused before the window's start, so that it needs no display either.
    const QString given = options.parser.value(options.language);
    if (options.parser.isSet(options.language) && !kv::languageFromCode(given)) {
        std::fprintf(stderr, "kelvaro: %s\n", kv::badLanguageText(given).toLocal8Bit().constData());
        return 1;
    }
    const bool verbose = options.parser.isSet(options.verbose);
    QApplication app(argc, argv);
    QApplication::setWindowIcon(kv::ui::Icons::application());
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvaro.Kelvaro"));
    // Every setting lives under the window title, so each version keeps its own.
    kv::SettingsStore settings(kv::ShellTexts::appTitle());
    const kv::LanguageTexts texts(
        kv::chooseLanguage(given, settings.read(kv::languageSection(), kv::languageKey())), true);
    kv::PortMap portMap(&settings);
    kv::QtSerialControl port(portMap);
    kv::SystemClock clock;
    kv::QtEventPump pump(clock);
    kv::ui::WidgetPrompts prompts;
    kv::PassRecorder recorder(kv::RecordPolicy::fromSettings(settings), clock,
                              [] { return QDateTime::currentDateTimeUtc(); });
    kv::RecordStore::setWallClock([] { return QDateTime::currentDateTimeUtc(); });

    const QString dataFolder = kv::findDataFolder(QCoreApplication::applicationDirPath());
    kv::loadModelTable(dataFolder);
    kv::ui::MainWindow window(
        {port, clock, pump, prompts, settings, dataFolder, &portMap, nullptr, &recorder});
    prompts.setParent(&window);
    if (verbose) {
        QObject::connect(&window.workbench().session().log(), &kv::MessageLog::entryAdded,
                         [](const QString& message, const QString& stamp) {
                             put(stderr, stamp + u' ' + message + u'\n');
                         });
    }
    window.load();
    window.show();
    return app.exec();
}
