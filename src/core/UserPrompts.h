// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

namespace kv {

// A file dialog as the program asks for it. `filter` uses the "caption|*.EXT|..."
// form the program's texts are written in; `filterIndex` counts from 1.
struct FileDialogRequest {
    QString filter;
    int filterIndex = 1;
    QString initialDir;  // may be a folder, a file path or empty
};

// Message boxes and file dialogs. The window implements it with real dialogs;
// tests answer it directly. Logic calls it and never touches widgets.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A modal warning box; returns when the user dismissed it.
    virtual void warning(const QString& title, const QString& text) = 0;
    // std::nullopt when the user cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
};

}  // namespace kv
