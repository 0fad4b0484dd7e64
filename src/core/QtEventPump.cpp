// SPDX-License-Identifier: MIT
#include "core/QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

namespace kv {

void QtEventPump::yieldUntil(qint64 deadlineUs) {
    Frame frame;
    m_frames.append(&frame);
    const auto pop = qScopeGuard([this, &frame] { m_frames.removeOne(&frame); });

    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (frame.woken) {
        return;
    }
    const qint64 leftUs = deadlineUs - m_clock.nowUs();
    if (leftUs <= 0) {
        return;
    }
    // Qt timers count whole milliseconds; a shorter rest is slept off without
    // events (under 1 ms, so the window does not notice).
    if (leftUs < 1000) {
        QThread::usleep(static_cast<unsigned long>(leftUs));
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(std::min<qint64>(leftUs / 1000, INT_MAX)));
    frame.loop = &loop;
    const int result = loop.exec();
    frame.loop = nullptr;
    // Once the application has been told to quit, every event loop returns at
    // once; sleep the rest in short steps so a wait in progress does not spin.
    if (result < 0 && !frame.woken) {
        const qint64 restUs = deadlineUs - m_clock.nowUs();
        if (restUs > 0) {
            QThread::usleep(static_cast<unsigned long>(std::min<qint64>(restUs, 10'000)));
        }
    }
}

void QtEventPump::wake() {
    for (Frame* frame : std::as_const(m_frames)) {
        frame->woken = true;
        if (frame->loop) {
            frame->loop->quit();
        }
    }
}

}  // namespace kv
