// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/UserPrompts.h"

namespace kv::bench {

// A populated set-up for the window: kelvaro-sim with an ATMEGA32 on a
// pseudo-terminal mapped to COM1, and a settings folder that selects the
// ATMEGA32, stores fuse bits, options with "文件重载" on, and a 32 KiB FLASH
// HEX file and a 1 KiB EEPROM HEX file to reload at start.
class WindowSetup {
public:
    static constexpr int kFlashBytes = 32768;
    static constexpr int kEepromBytes = 1024;

    // Starts the simulator and writes the files; throws std::runtime_error.
    explicit WindowSetup(const QString& simPath);
    ~WindowSetup();
    WindowSetup(const WindowSetup&) = delete;
    WindowSetup& operator=(const WindowSetup&) = delete;

    QString settingsFolder() const { return m_dir.filePath(QStringLiteral("settings")); }

private:
    QString writeHexFile(const QString& name, int bytes);

    QTemporaryDir m_dir;
    QProcess m_sim;
};

// Warnings are collected: a benchmark has nobody to click them away.
class CollectingPrompts : public UserPrompts {
public:
    void warning(const QString&, const QString& text) override { warnings << text; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return {}; }
    QStringList warnings;
};

// Intel HEX text of bytes: 16-byte data records from address 0 and the end record.
QByteArray intelHex(const QByteArray& bytes);

}  // namespace kv::bench
