// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/UserPrompts.h"

namespace kv::test {

// Keeps every warning box and file dialog request; answers the dialogs from
// queued replies, cancelling when none is queued.
class FakePrompts : public UserPrompts {
public:
    void warning(const QString& title, const QString& text) override {
        warnings.append({title, text});
        if (onWarning)
            onWarning();
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        openRequests.append(request);
        return nextAnswer();
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        saveRequests.append(request);
        return nextAnswer();
    }

    QStringList titles() const { return column(true); }
    QStringList texts() const { return column(false); }
    // Each warning as "title|text".
    QStringList lines() const {
        QStringList out;
        for (const auto& [title, text] : warnings)
            out << title + QLatin1Char('|') + text;
        return out;
    }

    QList<QPair<QString, QString>> warnings;  // (title, text)
    QList<FileDialogRequest> openRequests, saveRequests;
    QList<std::optional<QString>> answers;
    std::function<void()> onWarning;  // runs while the box is up

private:
    std::optional<QString> nextAnswer() {
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    QStringList column(bool title) const {
        QStringList out;
        for (const auto& w : warnings)
            out << (title ? w.first : w.second);
        return out;
    }
};

}  // namespace kv::test
