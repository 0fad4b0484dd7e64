// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QStandardPaths>

namespace kv::test {

// The body of every test program's main: the Qt application object of the
// given kind (windows offscreen unless a platform is set, a neutral locale), standard paths in
// test mode so that nothing reaches the user's own files, then every test.
template <typename Application>
int runAllTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The programs the tests start choose their language by the locale: a
    // neutral one keeps them in Chinese, as the tests expect, on any desktop.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    Application app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace kv::test
