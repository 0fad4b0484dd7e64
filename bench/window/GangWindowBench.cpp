// SPDX-License-Identifier: MIT
#include "GangWindowBench.h"

#include <sys/resource.h>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/ShellTexts.h"
#include "core/SystemClock.h"
#include "core/UserPrompts.h"
#include "gang/GangSocket.h"
#include "schemes/SchemeFile.h"
#include "settings/SettingsStore.h"
#include "ui/GangWindow.h"

namespace kv::bench {

namespace {

constexpr int kSockets = 4;
constexpr int kSpanMs = 3000;

qint64 ownCpuUs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1'000'000LL + u.ru_utime.tv_usec +
           u.ru_stime.tv_usec;
}

// A simulator whose every answer comes a minute late, so its child waits.
struct SlowSim {
    explicit SlowSim(const QString& path) {
        process.start(path, {QStringLiteral("--model"), QStringLiteral("ATMEGA32")});
        if (!process.waitForStarted(10'000) || !process.waitForReadyRead(10'000))
            throw std::runtime_error("kelvaro-sim did not start");
        const QString greeting = QString::fromUtf8(process.readLine()).trimmed();
        pts = greeting.mid(greeting.indexOf(QStringLiteral(" on ")) + 4);
        process.write("fault delay 60000\n");
        process.waitForBytesWritten(3000);
    }
    ~SlowSim() {
        process.write("quit\n");
        if (!process.waitForFinished(3000))
            process.kill();
    }
    QProcess process;
    QString pts;
};

class NoPrompts : public UserPrompts {
public:
    void warning(const QString&, const QString& text) override { warnings << text; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return {}; }
    QStringList warnings;
};

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

GangWindowIdle gangWindowIdle(const QString& simPath, const QString& cliPath) {
    QTemporaryDir dir;
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder");
    // The children keep their settings and record in the temporary folder.
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());

    std::vector<std::unique_ptr<SlowSim>> sims;
    QList<GangSocket> sockets;
    for (int i = 0; i < kSockets; ++i) {
        sims.push_back(std::make_unique<SlowSim>(simPath));
        sockets.append({sims.back()->pts, QStringLiteral("115200,n,8,1")});
    }
    Scheme scheme;
    scheme.model = QStringLiteral("ATMEGA32");
    scheme.fuseBits = QStringLiteral("11111111111111111001100111100001");
    // Erase, then FLASH: each child then waits for the slow programmer's
    // page acknowledgements.
    scheme.options = {1, 1, 0, 0, 0, 1, 0, 0, 0, 0};  // erase, FLASH from the file
    scheme.flashPath = dir.filePath(QStringLiteral("flash.bin"));
    QFile flash(scheme.flashPath);
    if (!flash.open(QIODevice::WriteOnly) || flash.write(QByteArray(32768, '\x5A')) != 32768)
        throw std::runtime_error("cannot write the FLASH image");
    flash.close();
    scheme.flashAddress = QStringLiteral("32767");
    scheme.eepromAddress = QStringLiteral("1023");
    const QString schemePath = dir.filePath(QStringLiteral("idle.SET"));
    SchemeFile::save(schemePath, scheme);

    SettingsStore settings(ShellTexts::appTitle(), dir.filePath(QStringLiteral("window")));
    if (!GangSockets::store(settings, sockets) || !GangSockets::storeScheme(settings, schemePath))
        throw std::runtime_error("cannot store the sockets");

    SystemClock clock;
    NoPrompts prompts;
    ui::GangWindow window(settings, prompts, clock, cliPath);
    window.show();
    window.startAllButton()->click();
    if (!window.runner().anyRunning())
        throw std::runtime_error("the sockets did not start: " +
                                 prompts.warnings.join(u' ').toStdString());
    // The children's start-up first; then only their waiting is measured.
    wait(1000);
    const qint64 before = ownCpuUs();
    wait(kSpanMs);
    const qint64 used = ownCpuUs() - before;

    GangWindowIdle idle;
    idle.sockets = kSockets;
    idle.spanS = kSpanMs / 1000.0;
    for (int i = 0; i < kSockets; ++i)
        idle.stillWaiting += window.runner().isRunning(i);
    idle.percentPerSocket = 100.0 * double(used) / (kSpanMs * 1000.0) / kSockets;
    for (int i = 0; i < kSockets; ++i) {
        if (!window.runner().isRunning(i))
            idle.endedEarly = window.runner().state(i).reason;
    }

    QEventLoop loop;
    QObject::connect(&window.runner(), &GangRunner::allFinished, &loop, &QEventLoop::quit);
    window.runner().setStopGraceMs(2000);
    window.stopAllButton()->click();
    if (window.runner().anyRunning())
        loop.exec();
    return idle;
}

}  // namespace kv::bench
