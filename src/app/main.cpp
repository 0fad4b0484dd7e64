#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <algorithm>

#include "app/ShellTexts.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/WidgetPrompts.h"

namespace {

// "Set" and the help file sit beside the program; an installed copy keeps
// them in its data folder.
QString dataFolder() {
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo(QDir(beside).filePath(QStringLiteral("Set"))).isDir())
        return beside;
    return QStringLiteral(KV_INSTALL_DATADIR);
}

bool hasArgument(int argc, char* argv[], const char* name) {
    return std::any_of(argv + 1, argv + argc,
                       [name](const char* a) { return qstrcmp(a, name) == 0; });
}

}  // namespace

int main(int argc, char* argv[]) {
    // Scripts prepare a set-up in the file this version reads; telling its path
    // needs no display and must not start the window.
    if (hasArgument(argc, argv, "--settings-path")) {
        QCoreApplication core(argc, argv);
        QTextStream(stdout) << kv::SettingsStore(kv::ShellTexts::AppTitle()).filePath() << '\n';
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

    kv::ui::MainWindow window({port, clock, pump, prompts, settings, dataFolder(), &portMap});
    prompts.setParent(&window);
    window.load();
    window.show();
    return app.exec();
}
