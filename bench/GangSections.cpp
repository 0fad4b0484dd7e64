// SPDX-License-Identifier: MIT
// Gang programming: four sockets against one, and what the runner itself
// costs while its children work or wait.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <vector>

#include "BenchRig.h"
#include "Section.h"
#include "core/SystemClock.h"
#include "gang/GangRunner.h"

namespace kv::bench {

namespace {

// Simulators with an ATMEGA32 each, and a runner with one socket per
// simulator running the scheme; every pass is recorded, as on a production line.
struct Gang {
    Gang(const QTemporaryDir& dir, const QString& scheme, int sockets, const QString& record,
         const QByteArray& simCommand = {})
        : runner(QCoreApplication::applicationDirPath() + QStringLiteral("/kelvaro-cli"), clock) {
        QList<GangSocket> list;
        for (int i = 0; i < sockets; ++i) {
            sims.push_back(std::make_unique<PtySim>(
                QCoreApplication::applicationDirPath() + QStringLiteral("/kelvaro-sim"),
                QStringLiteral("ATMEGA32")));
            if (!simCommand.isEmpty())
                sims.back()->command(simCommand);
            list.append({sims.back()->pts(), QString::number(BenchRig::kBaud)});
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        runner.setEnvironment(env);
        runner.setSockets(list);
        runner.setCommand(
            {QStringLiteral("run"), scheme},
            {QStringLiteral("--record"), QStringLiteral("sqlite:") + dir.filePath(record)});
    }

    std::vector<std::unique_ptr<PtySim>> sims;
    SystemClock clock;
    GangRunner runner;
};

struct GangRun {
    QString failure;  // the first socket's reason when one did not pass
    qint64 wallUs = 0;
    qint64 cpuUs = 0;  // of this process, the runner's
    int passed = 0;
};

GangRun runGang(const QTemporaryDir& dir, const QString& scheme, int sockets) {
    Gang gang(dir, scheme, sockets, QStringLiteral("record.sqlite"));
    GangRunner& runner = gang.runner;
    QEventLoop loop;
    QObject::connect(&runner, &GangRunner::allFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(300'000, &loop, &QEventLoop::quit);
    GangRun run;
    const qint64 cpuBefore = processCpuUs();
    QElapsedTimer wall;
    wall.start();
    runner.startAll();
    loop.exec();
    run.wallUs = wall.nsecsElapsed() / 1000;
    run.cpuUs = processCpuUs() - cpuBefore;
    for (int i = 0; i < sockets; ++i) {
        const bool passed = runner.state(i).phase == SocketState::Phase::Passed;
        run.passed += passed;
        if (!passed && run.failure.isEmpty())
            run.failure = runner.state(i).reason;
    }
    return run;
}

// Children that wait on silent programmers: the runner has nothing to read.
qint64 idleCpuUs(const QTemporaryDir& dir, const QString& scheme, int sockets, qint64 spanUs,
                 int* stillWaiting) {
    Gang gang(dir, scheme, sockets, QStringLiteral("idle.sqlite"), "fault delay 60000");
    GangRunner& runner = gang.runner;
    runner.setStopGraceMs(2000);
    runner.startAll();
    QEventLoop loop;
    // The children's start-up first; then only their waiting is measured.
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 before = processCpuUs();
    QTimer::singleShot(int(spanUs / 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 used = processCpuUs() - before;
    *stillWaiting = 0;
    for (int i = 0; i < sockets; ++i)
        *stillWaiting += runner.isRunning(i);
    QObject::connect(&runner, &GangRunner::allFinished, &loop, &QEventLoop::quit);
    runner.stopAll();
    if (runner.anyRunning())
        loop.exec();
    return used;
}

QList<Measurement> gangRun(BenchRig&, const Options&) {
    QTemporaryDir dir;
    const QString scheme = writeFullPassScheme(dir, QStringLiteral("gang.SET"));
    const GangRun one = runGang(dir, scheme, 1);
    const GangRun four = runGang(dir, scheme, 4);

    Measurement ratio;
    ratio.measure = QStringLiteral("gang: 4 sockets vs 1, full ATMEGA32 pass");
    ratio.valueUs = double(four.wallUs);
    ratio.floorUs = double(one.wallUs);
    ratio.maxRatio = 1.10;
    ratio.details << QStringLiteral("gang: one socket %1 ms (%2 passed), four %3 ms (%4 passed)")
                         .arg(one.wallUs / 1000)
                         .arg(one.passed)
                         .arg(four.wallUs / 1000)
                         .arg(four.passed);
    if (one.passed != 1 || four.passed != 4)
        ratio.details << QStringLiteral("gang: NOT every socket passed: %1")
                             .arg(one.failure.isEmpty() ? four.failure : one.failure);

    Measurement busy;
    busy.measure = QStringLiteral("gang runner CPU per socket, children working");
    busy.valueUs = double(four.cpuUs) / 4;
    busy.floorUs = double(four.wallUs) * 0.02;
    busy.maxRatio = 1.0;
    busy.details << QStringLiteral("gang runner: floor column is 2 % of the wall time per socket");

    // Shorter than the children's own wait for an answer, so that all of them still wait.
    constexpr qint64 kSpanUs = 3'000'000;
    int stillWaiting = 0;
    const qint64 idle = idleCpuUs(dir, scheme, 4, kSpanUs, &stillWaiting);
    Measurement waiting;
    waiting.measure = QStringLiteral("gang runner CPU per socket, children waiting");
    waiting.valueUs = double(idle) / 4;
    waiting.floorUs = double(kSpanUs) * 0.02;
    waiting.maxRatio = 1.0;
    waiting.details << QStringLiteral(
                           "gang runner: %1 of 4 children still waiting after %2 s; floor column "
                           "is 2 % of the span")
                           .arg(stillWaiting)
                           .arg(kSpanUs / 1'000'000);
    return {ratio, busy, waiting};
}

}  // namespace

QList<Section> gangSections() {
    return {{QStringLiteral("gang"), gangRun}};
}

}  // namespace kv::bench
