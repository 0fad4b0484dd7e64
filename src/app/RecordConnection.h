// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

#include "app/PassRecorder.h"

namespace kv {

class SettingsStore;

// The record connection settings dialog without its window: what the user
// typed as a setting, its check, a test of the store, and the settings the
// window and the command line both read.
class RecordConnection {
    Q_DECLARE_TR_FUNCTIONS(RecordConnection)
public:
    // The setting as stored: a plain file path becomes "sqlite:PATH"; empty
    // stays empty (the default file).
    static QString settingOf(const QString& typed);
    // Why the setting cannot be used; nullopt when it is one.
    static std::optional<QString> problem(const QString& typed);

    struct Outcome {
        bool ok = false;
        QString text;
    };
    // Opens the store as a pass would before sending anything.
    static Outcome test(const QString& typed);

    // Whether the setting carries a password, which store() leaves out, and
    // what the user is told then.
    static bool holdsPassword(const QString& typed);
    static QString passwordNotStored();

    // Writes the keys of the record's section, the address without its
    // password; false when the settings file could not be written.
    [[nodiscard]] static bool store(SettingsStore& settings, const RecordPolicy& policy);
};

}  // namespace kv
