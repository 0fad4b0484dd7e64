// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "tests/support/TestMain.h"

int main(int argc, char** argv) {
    return kv::test::runAllTests<QCoreApplication>(argc, argv);
}
