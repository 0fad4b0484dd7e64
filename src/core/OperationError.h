// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

// Why an operation stopped. Front ends decide from the kind, never from the
// text: the command line's exit code, the gang's socket state and the
// record's reason all follow it.
enum class ErrorKind {
    Refused,        // bad input: nothing was sent
    NoAnswer,       // the programmer did not answer in time
    LineLost,       // the port failed, closed or vanished
    PortBusy,       // another program holds the port
    Garbled,        // a reply came but is not what the command expects
    ChipDisagrees,  // the chip answered, and its answer says no
    File,           // a file could not be read or written
    Record,         // the production record could not be kept
    RecordLost,     // the chip was written, and neither the record nor the spool took its row
    Stopped,        // the user (or a signal) stopped it at a safe point
};

// The one error type that stops an operation. It carries the text the user
// sees in the warning box (the system's description for port errors).
class OperationError : public std::runtime_error {
public:
    explicit OperationError(const QString& text, ErrorKind kind = ErrorKind::Refused)
        : std::runtime_error(text.toStdString()), m_text(text), m_kind(kind) {}
    OperationError(ErrorKind kind, const QString& text) : OperationError(text, kind) {}
    const QString& text() const { return m_text; }
    ErrorKind kind() const { return m_kind; }
    // A failure of the programmer or its line rather than of the input.
    bool isProgrammerFault() const {
        return m_kind == ErrorKind::NoAnswer || m_kind == ErrorKind::LineLost ||
               m_kind == ErrorKind::PortBusy || m_kind == ErrorKind::Garbled;
    }

private:
    QString m_text;
    ErrorKind m_kind;
};

}  // namespace kv
