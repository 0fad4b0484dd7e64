#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

#include "app/UserPrompts.h"

namespace kv::test {

// Answers dialogs from queued replies (cancel when none is queued) and keeps
// every warning and every dialog request.
class FakeUserPrompts : public UserPrompts {
public:
    void warning(const QString& title, const QString& text) override {
        warnings.append({title, text});
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        openRequests.append(request);
        return next();
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        saveRequests.append(request);
        return next();
    }

    QList<QPair<QString, QString>> warnings;  // (title, text)
    QList<FileDialogRequest> openRequests, saveRequests;
    QList<std::optional<QString>> answers;

private:
    std::optional<QString> next() { return answers.isEmpty() ? std::nullopt : answers.takeFirst(); }
};

}  // namespace kv::test
