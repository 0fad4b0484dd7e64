// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "app/RecordKeeper.h"
#include "core/OperationError.h"

namespace kv {

class Session;
struct LoadOutcome;
struct StepOutcome;

// How a command a front end started ended.
struct CommandResult {
    bool ran = false;                     // false: refused while another command ran
    std::optional<OperationError> error;  // what ended it, shown in a box already
    bool ok() const { return ran && !error; }
};

// Runs the commands a front end starts, one at a time. While a command runs
// (an exchange, a dialog, a file load that yields to the window), every other
// one is refused with a log entry, line events wait, and closing is deferred
// until it ends. A failure that ends a command is shown in a warning box once
// its exchange is over, so that nothing waits behind the box.
class CommandRunner : public QObject {
    Q_OBJECT
public:
    CommandRunner(Session& session, RecordKeeper& record, QObject* parent = nullptr);

    static QString busyText();

    // A command runs: an exchange, a dialog or a file load.
    bool isBusy() const;
    // An exchange with the programmer runs.
    bool isExchangeRunning() const { return m_exchangeDepth > 0; }
    // An exchange runs that a stop can end.
    bool canStop() const;
    // Ends the running exchange at its next whole command or FLASH page; the
    // command ends with an error of kind Stopped, which is logged, not boxed.
    // False (and nothing logged) when nothing can be stopped.
    bool requestStop();
    static QString stopRequestedText();
    static QString stoppedText();
    // Logs busyText() and returns true while a command runs.
    bool refuseWhileBusy();

    // A command that talks to the programmer; marked busy while it runs.
    CommandResult runExchange(const std::function<void()>& command);
    // An exchange that changes the chip: refused before anything is sent when
    // no record can be kept (ErrorKind::Record), and recorded with `step` as
    // its one step and the command's finding; the programming pass (no step)
    // names its own steps and takes a serial number.
    CommandResult runRecorded(const std::optional<QString>& step,
                              const std::function<RecordKeeper::StepFinding()>& command);
    // A command that opens a dialog or changes the set-up.
    CommandResult runGuarded(const std::function<void()>& command);
    // An edit of the window's state; no yield happens inside it. False when
    // refused or failed, so the window shows the state again.
    CommandResult runEdit(const std::function<void()>& edit);
    // Work that yields to the window without talking to the programmer (the
    // start-up's file reload): counted as a command while it runs.
    void runQuietly(const std::function<void()>& work);

    // Window close. False while a command runs: the close is deferred and
    // closeRequested() follows when it has ended.
    bool requestClose();
    // The serial control's line event: whatever waits in the receive buffer
    // becomes one log entry; during a command it waits until the command ends.
    void onLineEvent();
    void showError(const QString& text);
    // The box for what a load or a step found, when it calls for one.
    void present(const LoadOutcome& outcome);
    void present(const StepOutcome& outcome);

Q_SIGNALS:
    // A close that was deferred may now proceed.
    void closeRequested();
    // An exchange began (true) or the last one ended (false).
    void exchangeRunningChanged(bool running);

private:
    void afterCommand();
    // What ended a command: a stop goes to the log, anything else in a box.
    void report(const OperationError& error);
    // Marks an exchange for the lifetime of the scope; a stop asked for
    // before it, or left after it, never reaches another command.
    class ExchangeMark {
    public:
        explicit ExchangeMark(CommandRunner& runner);
        ~ExchangeMark();
        ExchangeMark(const ExchangeMark&) = delete;
        ExchangeMark& operator=(const ExchangeMark&) = delete;

    private:
        CommandRunner& m_runner;
    };

    Session& m_session;
    RecordKeeper& m_record;
    int m_commandDepth = 0;
    int m_exchangeDepth = 0;
    bool m_lineEventPending = false;
    bool m_closePending = false;
};

}  // namespace kv
