// SPDX-License-Identifier: MIT
#include "app/CommandRunner.h"

#include "app/RecordKeeper.h"
#include "app/Session.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"

namespace kv {

namespace {

// Runs a command; the text for the warning box when it failed. Any exception
// ends the command there: none may leave a window event's handler.
std::optional<QString> failureOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const OperationError& e) {
        return e.text();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
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

void CommandRunner::showError(const QString& text) {
    m_session.prompts().warning(m_session.appCaption(), text);
}

void CommandRunner::runExchange(const std::function<void()>& command) {
    if (refuseWhileBusy())
        return;
    ++m_commandDepth;
    std::optional<QString> failure;
    {
        ProgrammerLink::Exchange exchange(m_session.link());
        failure = failureOf(command);
    }
    // The box comes after the exchange so that nothing waits behind it.
    if (failure)
        showError(*failure);
    --m_commandDepth;
    afterCommand();
}

void CommandRunner::runRecorded(const std::optional<QString>& step,
                                const std::function<void()>& command) {
    if (refuseWhileBusy())
        return;
    if (const auto refusal = m_record.admit(!step)) {
        showError(*refusal);
        return;
    }
    ++m_commandDepth;
    std::optional<QString> failure;
    {
        ProgrammerLink::Exchange exchange(m_session.link());
        m_record.begin(step);
        failure = failureOf(command);
        m_record.complete(failure);
    }
    if (const auto unrecorded = m_record.finish(failure))
        showError(*unrecorded);
    if (failure)
        showError(*failure);
    --m_commandDepth;
    afterCommand();
}

void CommandRunner::runGuarded(const std::function<void()>& command) {
    if (refuseWhileBusy())
        return;
    ++m_commandDepth;
    if (const auto failure = failureOf(command))
        showError(*failure);
    --m_commandDepth;
    afterCommand();
}

// No yield happens inside an edit, so it needs no busy mark of its own. An
// edit refused for its own reason (no usable definitions) shows it in a box.
bool CommandRunner::runEdit(const std::function<void()>& edit) {
    if (refuseWhileBusy())
        return false;
    if (const auto failure = failureOf(edit)) {
        showError(*failure);
        return false;
    }
    return true;
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
