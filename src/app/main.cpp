#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include "app/DataFolder.h"
#include "app/ShellTexts.h"
#include "link/PortMap.h"
#include "link/QtEventPump.h"
#include "link/QtSerialControl.h"
#include "link/SystemClock.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/WidgetPrompts.h"

int main(int argc, char* argv[]) {
    // "--data-folder" prints where "Set" and the help file were found and ends,
    // without a window: a quick check of an installed or moved copy.
    if (argc == 2 && qstrcmp(argv[1], "--data-folder") == 0) {
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
    kv::SettingsStore settings(kv::ShellTexts::AppTitle());
    kv::PortMap portMap(&settings);
    kv::QtSerialControl port(portMap);
    kv::SystemClock clock;
    kv::QtEventPump pump(clock);
    kv::ui::WidgetPrompts prompts;

    kv::ui::MainWindow window({port, clock, pump, prompts, settings,
                               kv::findDataFolder(QCoreApplication::applicationDirPath()),
                               &portMap});
    prompts.setParent(&window);
    window.load();
    window.show();
    return app.exec();
}
