// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QStandardPaths>

namespace kv::test {

// The body of every test program's main: the Qt application object of the
// given kind (windows offscreen unless a platform is set), standard paths in
// test mode so that nothing reaches the user's own files, then every test.
template <typename Application>
int runAllTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace kv::test
