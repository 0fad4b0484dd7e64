// SPDX-License-Identifier: MIT
#include "GangWindowBench.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <stdexcept>
#include <vector>

#include "../BenchRig.h"
#include "WindowBench.h"
#include "app/ShellTexts.h"
#include "core/SystemClock.h"
#include "gang/GangSocket.h"
#include "settings/SettingsStore.h"
#include "ui/GangWindow.h"

namespace kv::bench {

namespace {

constexpr int kSockets = 4;
constexpr int kSpanMs = 3000;

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

    // Programmers that answer a minute late: every child waits on its own.
    std::vector<std::unique_ptr<PtySim>> sims;
    QList<GangSocket> sockets;
    for (int i = 0; i < kSockets; ++i) {
        sims.push_back(std::make_unique<PtySim>(simPath, QStringLiteral("ATMEGA32")));
        sims.back()->command("fault delay 60000");
        sockets.append({sims.back()->pts(), QStringLiteral("115200,n,8,1")});
    }
    const QString schemePath = writeFullPassScheme(dir, QStringLiteral("idle.SET"));

    SettingsStore settings(ShellTexts::appTitle(), dir.filePath(QStringLiteral("window")));
    if (!GangSockets::store(settings, sockets) || !GangSockets::storeScheme(settings, schemePath))
        throw std::runtime_error("cannot store the sockets");

    SystemClock clock;
    CollectingPrompts prompts;
    ui::GangWindow window(settings, prompts, clock, cliPath);
    window.show();
    window.startAllButton()->click();
    if (!window.runner().anyRunning())
        throw std::runtime_error("the sockets did not start: " +
                                 prompts.warnings.join(u' ').toStdString());
    // The children's start-up first; then only their waiting is measured.
    wait(1000);
    const qint64 before = processCpuUs();
    wait(kSpanMs);
    const qint64 used = processCpuUs() - before;

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
