// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

// The one error type that stops an operation. It carries the text the user
// sees in the warning box (the system's description for port errors).
class OperationError : public std::runtime_error {
public:
    explicit OperationError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

}  // namespace kv
