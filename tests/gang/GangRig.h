// SPDX-License-Identifier: MIT
#pragma once

#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/SystemClock.h"
#include "gang/GangRunner.h"
#include "record/RecordStore.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace kv::test {

// Simulated programmers on pseudo-terminals, one per socket, and a runner
// whose children keep their settings and record in a folder of their own.
class GangRig {
public:
    static constexpr int kPatienceMs = 120'000;

    explicit GangRig(const QStringList& models) {
        QList<GangSocket> sockets;
        for (const QString& model : models) {
            sims.push_back(std::make_unique<SimProcess>(QStringList{"--model", model}));
            sockets.append({sims.back()->pts(), QStringLiteral("115200,n,8,1")});
        }
        runner.setSockets(sockets);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath("config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath("data"));
        runner.setEnvironment(env);
    }

    // Bytes that are never 0xFF, so that every written byte shows in the chip.
    QByteArray image(int size, quint32 seed) const {
        QByteArray bytes(size, Qt::Uninitialized);
        QRandomGenerator random(seed);
        for (char& b : bytes)
            b = char(random.bounded(255));
        return bytes;
    }
    QString file(const QString& name, const QByteArray& bytes) {
        return writeFile(dir.filePath(name), bytes);
    }
    // Opened once before the sockets start, as the window and the command line do.
    QString recordUrl() {
        const QString url = QStringLiteral("sqlite:") + dir.filePath("record.sqlite");
        if (!m_recordReady) {
            RecordStore(url).open();
            m_recordReady = true;
        }
        return url;
    }

    // Runs the event loop until no child runs (or patience ends); false on timeout.
    bool waitForAll() {
        if (!runner.anyRunning())
            return true;
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
        QObject::connect(&runner, &GangRunner::allFinished, &loop, [&loop] { loop.exit(0); });
        timeout.start(kPatienceMs);
        return loop.exec() == 0;
    }

    QTemporaryDir dir;
    SystemClock clock;
    GangRunner runner{QStringLiteral(KV_BIN_DIR "/kelvaro-cli"), clock};
    std::vector<std::unique_ptr<SimProcess>> sims;

private:
    bool m_recordReady = false;
};

}  // namespace kv::test
