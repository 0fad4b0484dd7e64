// SPDX-License-Identifier: MIT
#pragma once

#include <QTemporaryDir>

#include "settings/SettingsStore.h"

namespace kv::test {

namespace detail {
struct TempFolder {
    QTemporaryDir dir;
};
}  // namespace detail

// A settings store in a temporary folder of its own, removed with it, so no
// test reaches the user's settings. The folder may take the test's files too.
class TempSettings : private detail::TempFolder, public SettingsStore {
public:
    explicit TempSettings(const QString& applicationName = QStringLiteral("kelvaro-test"))
        : SettingsStore(applicationName, dir.path()) {}
    QString fileIn(const QString& name) const { return dir.filePath(name); }
};

}  // namespace kv::test
