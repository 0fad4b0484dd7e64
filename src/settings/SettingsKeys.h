// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv::SettingsKeys {

// Sections and keys of the settings file that more than one part of the
// program reads or writes; stored files depend on every character.
inline const QString kPort = QStringLiteral("属性");
inline const QString kLineSettings = QStringLiteral("设置");
inline const QString kPortNumber = QStringLiteral("通信端口");
inline const QString kHandshaking = QStringLiteral("握手");
inline const QString kLanguage = QStringLiteral("语言");
inline const QString kChip = QStringLiteral("芯片");
inline const QString kModel = QStringLiteral("型号");
inline const QString kFuses = QStringLiteral("熔丝");
inline const QString kFuseBits = QStringLiteral("设置");
// The remembered image files: section "FLASH" or "EEPROM", key "文件".
inline const QString kFlashFile = QStringLiteral("FLASH");
inline const QString kEepromFile = QStringLiteral("EEPROM");
inline const QString kImagePath = QStringLiteral("文件");
// The main window's place and size, as Qt saves a window's geometry (Base64).
inline const QString kWindow = QStringLiteral("窗口");
inline const QString kWindowGeometry = QStringLiteral("位置");
// The window's "Open recent" list: image and scheme files, newest first, one
// path a line.
inline const QString kRecent = QStringLiteral("最近打开");
inline const QString kRecentFiles = QStringLiteral("文件");

// The line settings of a port that has none stored.
inline QString defaultLineSettings() {
    return QStringLiteral("115200,n,8,1");
}

}  // namespace kv::SettingsKeys
