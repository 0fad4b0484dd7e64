// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QTextStream>
#include <cstring>

#include "core/OperationError.h"
#include "record/RecordStore.h"
#include "record/SerialNumbers.h"
#include "tests/record/RecordRig.h"
#include "tests/support/TestMain.h"

// "test_record --take-serials URL SEQUENCE COUNT STATION": the child process
// of the concurrency tests; prints each number it took on a line of its own.
static int takeSerials(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        kv::RecordStore store(QString::fromUtf8(argv[2]));
        kv::SerialNumbers serials(store);
        QTextStream out(stdout);
        for (int i = 0, n = std::atoi(argv[4]); i < n; ++i)
            out << serials.takeNext(QString::fromUtf8(argv[3]), QString::fromUtf8(argv[5])) << '\n';
        return 0;
    } catch (const kv::OperationError& e) {
        QTextStream(stderr) << e.text() << '\n';
        return 1;
    }
}

// "test_record --append URL": opens the record as a station does and appends
// one pass; prints its id. The child of the fresh-file burst.
static int appendOne(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        kv::RecordStore store(QString::fromUtf8(argv[2]));
        store.ensureReachable();
        QTextStream(stdout) << store.append(kv::test::passingRecord()) << '\n';
        return 0;
    } catch (const kv::OperationError& e) {
        QTextStream(stderr) << e.text() << '\n';
        return 1;
    }
}

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "--take-serials") == 0)
        return takeSerials(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--append") == 0)
        return appendOne(argc, argv);
    return kv::test::runAllTests<QCoreApplication>(argc, argv);
}
