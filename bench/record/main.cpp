// SPDX-License-Identifier: MIT
// kelvaro-bench-record: the time one record adds to a pass, on SQLite and on a
// local PostgreSQL server (a throwaway cluster on a Unix socket, or --postgres
// URL), and the viewer's first page of 100 000 records. Each figure is shown
// against its target; the exit code is 0 unless the run itself failed.
// --burst N starts N processes at once on a new SQLite file, round after round
// (--rounds), and counts the rounds in which any was refused.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "RecordBench.h"
#include "core/OperationError.h"
#include "record/PassRecord.h"
#include "record/RecordStore.h"

using namespace kv::bench;

namespace {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

void print(const RecordMeasurement& m, bool& allPass) {
    const double ratio = m.valueMs / m.targetMs;
    allPass = allPass && ratio <= 1.0;
    out() << m.backend.leftJustified(12) << m.measure.leftJustified(36)
          << QStringLiteral("%1 ms").arg(m.valueMs, 0, 'f', 3).rightJustified(12)
          << QStringLiteral("< %1 ms").arg(m.targetMs, 0, 'f', 0).rightJustified(10)
          << QString::number(ratio, 'f', 3).rightJustified(8) << "  "
          << (ratio <= 1.0 ? "PASS" : "FAIL") << '\n';
    out().flush();
}

// A throwaway server for the run; stopped when the object goes.
class Cluster {
public:
    explicit Cluster(const QString& dir) : m_dir(dir) {
        QProcess script;
        script.start(QStringLiteral(KV_PG_CLUSTER_SCRIPT), {QStringLiteral("start"), m_dir});
        if (!script.waitForFinished(60000) || script.exitCode() != 0)
            throw std::runtime_error("could not start PostgreSQL: " +
                                     script.readAllStandardError().toStdString());
        m_url = QString::fromUtf8(script.readAllStandardOutput()).trimmed();
    }
    ~Cluster() {
        QProcess::execute(QStringLiteral(KV_PG_CLUSTER_SCRIPT), {QStringLiteral("stop"), m_dir});
    }
    const QString& url() const { return m_url; }

private:
    QString m_dir;
    QString m_url;
};

// One station's start: opens the record at url and appends a pass. The child
// of --burst; exit 0 when it got in, else the refusal on stderr.
int openAndAppend(const QString& url) {
    try {
        kv::RecordStore store(url);
        store.ensureReachable();
        kv::PassRecord r;
        r.startedAt = r.finishedAt = QDateTime::currentDateTimeUtc();
        r.station = QStringLiteral("burst");
        r.result = QStringLiteral("pass");
        store.append(r);
        return 0;
    } catch (const kv::OperationError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
}

// rounds of n processes started together on a new SQLite file each round.
// Prints each failed round's refusals; returns the number of failed rounds.
int burst(int n, int rounds) {
    int failedRounds = 0;
    for (int round = 1; round <= rounds; ++round) {
        QTemporaryDir dir;
        const QString url =
            QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("fresh.sqlite"));
        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < n; ++i) {
            children.push_back(std::make_unique<QProcess>());
            children.back()->start(QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--burst-child"), url});
        }
        int failed = 0;
        for (auto& child : children) {
            child->waitForFinished(-1);
            if (child->exitStatus() != QProcess::NormalExit || child->exitCode() != 0) {
                ++failed;
                out() << "round " << round << ": "
                      << QString::fromUtf8(child->readAllStandardError()).trimmed() << '\n';
            }
        }
        int rows = 0;
        try {
            rows = int(kv::RecordStore(url).count({}));
        } catch (const kv::OperationError& e) {
            out() << "round " << round << ": " << e.text() << '\n';
        }
        if (failed > 0 || rows != n)
            ++failedRounds;
        if (round % 10 == 0 || round == rounds) {
            out() << "burst of " << n << ": " << round << " rounds, " << failedRounds
                  << " failed\n";
            out().flush();
        }
    }
    return failedRounds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--burst-child") == 0) {
        QCoreApplication app(argc, argv);
        return openAndAppend(QString::fromUtf8(argv[2]));
    }
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the production record on SQLite and PostgreSQL."));
    parser.addHelpOption();
    const QCommandLineOption appendsOption(QStringLiteral("appends"),
                                           QStringLiteral("Passes appended (200)."),
                                           QStringLiteral("n"), QStringLiteral("200"));
    const QCommandLineOption recordsOption(QStringLiteral("records"),
                                           QStringLiteral("Records the viewer opens (100000)."),
                                           QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption postgresOption(
        QStringLiteral("postgres"),
        QStringLiteral("An empty PostgreSQL database to use instead of a throwaway cluster."),
        QStringLiteral("url"));
    const QCommandLineOption burstOption(
        QStringLiteral("burst"),
        QStringLiteral(
            "Instead: n processes open one new SQLite file at once, for --rounds rounds."),
        QStringLiteral("n"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds of --burst (200)."),
                                          QStringLiteral("n"), QStringLiteral("200"));
    parser.addOptions({appendsOption, recordsOption, postgresOption, burstOption, roundsOption});
    parser.process(app);
    if (parser.isSet(burstOption)) {
        const int failed = burst(std::max(2, parser.value(burstOption).toInt()),
                                 std::max(1, parser.value(roundsOption).toInt()));
        return failed == 0 ? 0 : 1;
    }
    const int appends = std::max(2, parser.value(appendsOption).toInt());
    const int records = std::max(100, parser.value(recordsOption).toInt());

    bool allPass = true;
    try {
        QTemporaryDir dir;
        out() << "kelvaro-bench-record: " << appends << " appends, " << records
              << " records in the viewer\n\n";
        print(timeAppends(QStringLiteral("sqlite"),
                          QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("a.sqlite")),
                          appends),
              allPass);
        for (const RecordMeasurement& m : timeViewerOpen(
                 QStringLiteral("sqlite"),
                 QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("v.sqlite")), records))
            print(m, allPass);

        std::unique_ptr<Cluster> cluster;
        QString server = parser.value(postgresOption);
        if (server.isEmpty()) {
            cluster = std::make_unique<Cluster>(
                QStringLiteral("/tmp/kelvaro-bench-pg-%1").arg(QCoreApplication::applicationPid()));
            server = cluster->url();
        }
        print(timeAppends(QStringLiteral("postgresql"), server, appends), allPass);
        for (const RecordMeasurement& m :
             timeViewerOpen(QStringLiteral("postgresql"), server, records))
            print(m, allPass);
    } catch (const kv::OperationError& e) {
        std::fprintf(stderr, "kelvaro-bench-record: %s\n", qPrintable(e.text()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvaro-bench-record: %s\n", e.what());
        return 1;
    }
    out() << "\nall targets met: " << (allPass ? "yes" : "no") << '\n';
    return 0;
}
