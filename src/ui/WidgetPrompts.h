// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "core/UserPrompts.h"

namespace kv::ui {

// UserPrompts with real message boxes and file dialogs, parented to a window.
class WidgetPrompts : public UserPrompts {
public:
    explicit WidgetPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void warning(const QString& title, const QString& text) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;

    // "caption|*.EXT|caption|*.EXT" as name filters of the dialog, each
    // pattern in its written, lower and upper case (file names are
    // case-sensitive here, the program's patterns are not).
    static QStringList nameFilters(const QString& filter);

private:
    std::optional<QString> run(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
    // Folder of the last file chosen, by filter: a dialog given no folder
    // starts there, so a scheme is looked for where the last one went.
    QHash<QString, QString> m_lastFolder;
};

}  // namespace kv::ui
