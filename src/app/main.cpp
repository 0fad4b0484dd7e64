#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <algorithm>

#include "app/DataFolder.h"
#include "app/PassRecorder.h"
#include "app/ShellTexts.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/WidgetPrompts.h"

namespace {

bool hasArgument(int argc, char* argv[], const char* name) {
    return std::any_of(argv + 1, argv + argc,
                       [name](const char* a) { return qstrcmp(a, name) == 0; });
}

}  // namespace

int main(int argc, char* argv[]) {
    // Two questions scripts ask without a display, and without starting the
    // window: where this version keeps its set-up, and where "Set" and the help
    // file were found (a quick check of an installed or moved copy).
    if (hasArgument(argc, argv, "--settings-path")) {
        QCoreApplication core(argc, argv);
        QTextStream(stdout) << kv::SettingsStore(kv::ShellTexts::appTitle()).filePath() << '\n';
        return 0;
    }
    if (hasArgument(argc, argv, "--data-folder")) {
        QCoreApplication query(argc, argv);
        QTextStream(stdout) << QDir::toNativeSeparators(
                                   kv::findDataFolder(QCoreApplication::applicationDirPath()))
                            << Qt::endl;
        return 0;
    }
    QApplication app(argc, argv);
    // The window speaks Chinese; so should the buttons of Qt's own dialogs.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    // Every setting lives under the window title, so each version keeps its own.
    kv::SettingsStore settings(kv::ShellTexts::appTitle());
    kv::PortMap portMap(&settings);
    kv::QtSerialControl port(portMap);
    kv::SystemClock clock;
    kv::QtEventPump pump(clock);
    kv::ui::WidgetPrompts prompts;
    kv::PassRecorder recorder(kv::RecordPolicy::fromSettings(settings), clock,
                              [] { return QDateTime::currentDateTimeUtc(); });

    kv::ui::MainWindow window({port, clock, pump, prompts, settings,
                               kv::findDataFolder(QCoreApplication::applicationDirPath()), &portMap,
                               nullptr, &recorder});
    prompts.setParent(&window);
    window.load();
    window.show();
    return app.exec();
}
