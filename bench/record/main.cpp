// SPDX-License-Identifier: MIT
// kelvaro-bench-record: the time one record adds to a pass, on SQLite and on a
// local PostgreSQL server (a throwaway cluster on a Unix socket, or --postgres
// URL), and the viewer's first page of 100 000 records. Each figure is shown
// against its target; the exit code is 0 unless the run itself failed.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "RecordBench.h"
#include "core/OperationError.h"

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

}  // namespace

int main(int argc, char** argv) {
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
    parser.addOptions({appendsOption, recordsOption, postgresOption});
    parser.process(app);
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
