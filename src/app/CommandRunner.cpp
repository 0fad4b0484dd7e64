// SPDX-License-Identifier: MIT
#include "app/CommandRunner.h"

#include "app/RecordKeeper.h"
#include "app/Session.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "images/ImageFiles.h"
#include "link/StoppableSerialControl.h"
#include "operations/OutcomeBoxes.h"
#include "record/RecordDatabase.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

// Runs a command; the error that ended it. Any exception ends the command
// there: none may leave a window event's handler.
std::optional<OperationError> failureOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const OperationError& e) {
        return e;
    } catch (const std::exception& e) {
        return OperationError(QString::fromLocal8Bit(e.what()), ErrorKind::Garbled);
    }
    return std::nullopt;
}

}  // namespace

CommandRunner::CommandRunner(Session& session, RecordKeeper& record, QObject* parent)
    : QObject(parent), m_session(session), m_record(record) {}

QString CommandRunner::busyText() {
    return tr("正在与编程器通讯，请等本次操作结束。");
}

bool CommandRunner::isBusy() const {
    return m_session.link().isBusy() || m_commandDepth > 0;
}

// Also while a file load or a dialog runs: the loads yield to the window, and
// a command started there would act on a half-loaded image or open a second
// dialog over the first.
bool CommandRunner::refuseWhileBusy() {
    if (!isBusy())
        return false;
    m_session.log().sendInfo(busyText());
    return true;
}

bool CommandRunner::canStop() const {
    return m_exchangeDepth > 0 && m_session.platform().stopper;
}

QString CommandRunner::stopRequestedText() {
    return tr("正在停止：本次操作在下一条命令或下一整页之前停止。");
}

QString CommandRunner::stoppedText() {
    return tr("已停止：停在两次交换之间，FLASH只含整页；未做的步骤没有执行。");
}

bool CommandRunner::requestStop() {
    StoppableSerialControl* stopper = m_session.platform().stopper;
    if (!canStop() || stopper->isStopRequested())
        return false;
    stopper->requestStop(stoppedText());
    m_session.log().sendInfo(stopRequestedText());
    return true;
}

CommandRunner::ExchangeMark::ExchangeMark(CommandRunner& runner) : m_runner(runner) {
    if (m_runner.m_exchangeDepth++ > 0)
        return;
    if (StoppableSerialControl* stopper = m_runner.m_session.platform().stopper)
        stopper->clearStop();
    Q_EMIT m_runner.exchangeRunningChanged(true);
}

CommandRunner::ExchangeMark::~ExchangeMark() {
    if (--m_runner.m_exchangeDepth > 0)
        return;
    if (StoppableSerialControl* stopper = m_runner.m_session.platform().stopper)
        stopper->clearStop();
    Q_EMIT m_runner.exchangeRunningChanged(false);
}

void CommandRunner::report(const OperationError& error) {
    // The user asked for it: a box would only say so again.
    if (error.kind() == ErrorKind::Stopped)
        m_session.log().sendInfo(error.text());
    else
        showError(error.text());
}

void CommandRunner::showError(const QString& text) {
    m_session.platform().prompts.warning(m_session.appCaption(), text);
}

void CommandRunner::present(const LoadOutcome& outcome) {
    // The loaders' boxes carry the program's own name, as they always have.
    if (outcome.status == LoadStatus::Failed)
        m_session.platform().prompts.warning(m_session.platform().settings.applicationName(),
                                             outcome.problem);
}

void CommandRunner::present(const StepOutcome& outcome) {
    if (const auto text = boxFor(outcome))
        showError(*text);
}

CommandResult CommandRunner::runExchange(const std::function<void()>& command) {
    // The exchange ends as the error leaves it, so the box comes after the
    // exchange and nothing waits behind it.
    return runGuarded([&] {
        ExchangeMark mark(*this);
        ProgrammerLink::Exchange exchange(m_session.link());
        command();
    });
}

CommandResult CommandRunner::runRecorded(
    const std::optional<QString>& step, const std::function<RecordKeeper::StepFinding()>& command) {
    CommandResult result;
    if (refuseWhileBusy())
        return result;
    result.ran = true;
    // The command's record work, before and after the exchange, shares one deadline.
    const RecordDatabase::CommandScope recordDeadline;
    if (const auto refusal = m_record.admit(!step)) {
        showError(refusal->text());
        result.error = refusal;
        return result;
    }
    ++m_commandDepth;
    std::optional<OperationError> unstarted;
    std::optional<QString> unrecorded;
    {
        ExchangeMark mark(*this);
        {
            ProgrammerLink::Exchange exchange(m_session.link());
            unstarted = m_record.begin(step);
            if (!unstarted) {
                RecordKeeper::StepFinding finding;
                result.error = failureOf([&] { finding = command(); });
                m_record.complete(result.error, finding);
            }
        }
        if (!unstarted)
            unrecorded = m_record.finish(result.error);
    }
    if (unstarted) {
        // Its row could not be written: nothing was sent.
        showError(unstarted->text());
        result.error = unstarted;
    } else {
        if (unrecorded)
            showError(*unrecorded);
        else if (m_record.recordPending())
            showError(*m_record.recordPending());
        if (result.error)
            report(*result.error);
        else if (unrecorded)
            result.error = OperationError(*unrecorded, ErrorKind::RecordLost);
    }
    --m_commandDepth;
    afterCommand();
    return result;
}

CommandResult CommandRunner::runGuarded(const std::function<void()>& command) {
    CommandResult result;
    if (refuseWhileBusy())
        return result;
    result.ran = true;
    ++m_commandDepth;
    result.error = failureOf(command);
    if (result.error)
        report(*result.error);
    --m_commandDepth;
    afterCommand();
    return result;
}

// No yield happens inside an edit, so it needs no busy mark of its own. An
// edit refused for its own reason (no usable definitions) shows it in a box.
CommandResult CommandRunner::runEdit(const std::function<void()>& edit) {
    CommandResult result;
    if (refuseWhileBusy())
        return result;
    result.ran = true;
    result.error = failureOf(edit);
    if (result.error)
        showError(result.error->text());
    return result;
}

void CommandRunner::runQuietly(const std::function<void()>& work) {
    ++m_commandDepth;
    struct Done {
        CommandRunner& runner;
        ~Done() {
            --runner.m_commandDepth;
            runner.afterCommand();
        }
    } done{*this};
    work();
}

bool CommandRunner::requestClose() {
    if (!isBusy())
        return true;
    if (!m_closePending)
        m_session.log().sendInfo(tr("本次操作结束后关闭窗口。"));
    m_closePending = true;
    return false;
}

void CommandRunner::onLineEvent() {
    // Reading now would take reply bytes away from the running exchange.
    if (isBusy()) {
        m_lineEventPending = true;
        return;
    }
    m_lineEventPending = false;
    QString waiting;
    try {
        waiting = m_session.link().readInput();
    } catch (const OperationError&) {
    }
    m_session.log().sendInfo(waiting);
}

// What waited for the command to end: a line event, a close.
void CommandRunner::afterCommand() {
    if (isBusy())
        return;
    if (m_lineEventPending)
        onLineEvent();
    if (m_closePending) {
        m_closePending = false;
        Q_EMIT closeRequested();
    }
}

}  // namespace kv
