// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "catalogue/ChipModelTable.h"
#include "tests/support/TestMain.h"

int main(int argc, char** argv) {
    // The shipped table, so that the later models' files are checked like the rest.
    kv::ChipModelTable::load(QStringLiteral(KV_SOURCE_DIR "/data/Set/models.txt"), QString());
    return kv::test::runAllTests<QCoreApplication>(argc, argv);
}
