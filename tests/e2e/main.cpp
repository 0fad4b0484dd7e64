// SPDX-License-Identifier: MIT
#include <QApplication>

#include "tests/support/TestMain.h"

int main(int argc, char** argv) {
    return kv::test::runAllTests<QApplication>(argc, argv);
}
