// SPDX-License-Identifier: MIT
// What the gang makes of its children's output: each NUL-separated part is one
// child's run (its stdout lines), fed to the socket's state as they arrive,
// then the child's end; every line is also passed on tagged with its port.
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzTarget.h"
#include "cli/CliGang.h"
#include "gang/SocketState.h"

KV_FUZZ_TARGET(gang_lines) {
    using Phase = kv::SocketState::Phase;
    kv::SocketTracker tracker;
    qint64 now = 0;
    int runs = 0;
    for (const QByteArray& run : kv::fuzz::partsOf(data, size)) {
        if (++runs > 16)
            break;
        const int passesBefore = tracker.state().passes;
        const int failsBefore = tracker.state().fails;
        tracker.started(now);
        bool okResult = false;
        const QList<QByteArray> lines = run.split('\n');
        for (const QByteArray& raw : lines) {
            const QJsonObject line = QJsonDocument::fromJson(raw).object();
            const bool wasRunning = tracker.state().isRunning();
            tracker.feed(line, now += 7);
            if (wasRunning && line.value(QLatin1String("event")).toString() == u"result" &&
                line.value(QLatin1String("ok")).toBool())
                okResult = true;
            KV_FUZZ_CHECK(tracker.state().progress >= 0 && tracker.state().progress <= 100);
            // The station's own line: the child's, with its port, still one
            // object, whatever its event name holds. (Children never write a
            // port of their own.)
            if (line.contains(QLatin1String("port")))
                continue;
            const QString port = QStringLiteral("COM%1").arg(runs);
            const QJsonDocument tagged = QJsonDocument::fromJson(
                kv::cli::CliGang::tagged(QJsonDocument(line).toJson(QJsonDocument::Compact), port));
            KV_FUZZ_CHECK(tagged.isObject());
            KV_FUZZ_CHECK(tagged.object().value(QLatin1String("port")).toString() == port);
            KV_FUZZ_CHECK(tagged.object().size() == line.size() + 1);
        }
        const quint8 end = run.isEmpty() ? 0 : quint8(run.back());
        tracker.exited(end & 0x7F, end & 0x80, end & 0x40, QString(), now += 7);
        const kv::SocketState& s = tracker.state();
        // Every run ends settled, counted once; a pass only on the child's word.
        KV_FUZZ_CHECK(s.isSettled());
        KV_FUZZ_CHECK((s.phase == Phase::Passed) == okResult);
        KV_FUZZ_CHECK(s.passes + s.fails - passesBefore - failsBefore ==
                      (s.phase == Phase::Stopped ? 0 : 1));
        KV_FUZZ_CHECK(s.finishedMs >= s.startedMs);
    }
    return 0;
}
