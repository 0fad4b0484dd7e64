// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "core/MemoryKind.h"

namespace kv {

// What an operation tells its front end while it runs. Every front end gets
// the same events: the window turns them into log lines and progress bars,
// the command line into its lines and JSON, the record into its row. Each
// happening is one event, so it is reported once.
struct ProgrammerEvent {
    enum class Kind {
        Progress,  // a transfer moved on: percent, and the bytes confirmed so far
        Reply,     // the programmer's own text (text: as the log shows it)
        Note,      // what the operation is doing or found that is not a fault
        Problem,   // a finding that leaves the work undone: silence, missing acks, a bad reply
        StepDone,  // a step of a pass ended (step: its name; text: its fault, empty when passed)
    };
    Kind kind = Kind::Note;
    QString text;
    std::optional<MemoryKind> memory;  // Progress: which memory
    int percent = 0;                   // Progress: what a bar shows
    qint64 confirmed = 0;              // Progress: bytes the programmer has confirmed
    qint64 total = 0;                  // Progress: bytes of the transfer
    QString step;                      // StepDone

    static ProgrammerEvent make(Kind kind, const QString& text = {}) {
        ProgrammerEvent e;
        e.kind = kind;
        e.text = text;
        return e;
    }
    static ProgrammerEvent note(const QString& text) { return make(Kind::Note, text); }
    static ProgrammerEvent problem(const QString& text) { return make(Kind::Problem, text); }
    static ProgrammerEvent reply(const QString& text) { return make(Kind::Reply, text); }
    static ProgrammerEvent progress(MemoryKind memory, int percent, qint64 confirmed,
                                    qint64 total) {
        ProgrammerEvent e = make(Kind::Progress);
        e.memory = memory;
        e.percent = percent;
        e.confirmed = confirmed;
        e.total = total;
        return e;
    }
    static ProgrammerEvent stepDone(const QString& step, const QString& fault) {
        ProgrammerEvent e = make(Kind::StepDone, fault);
        e.step = step;
        return e;
    }
    // Whether the event is a line of the message log.
    bool isLogLine() const {
        return kind == Kind::Reply || kind == Kind::Note || kind == Kind::Problem;
    }
};

using EventSink = std::function<void(const ProgrammerEvent&)>;

// The bytes each memory's transfer had confirmed when the work ended, from
// the Progress events: only memories the work touched appear, and only bytes
// the programmer confirmed count (a stop message says no more than happened).
class TransferTally {
public:
    void take(const ProgrammerEvent& event);
    bool touched(MemoryKind memory) const { return m_total[index(memory)] > 0; }
    qint64 confirmed(MemoryKind memory) const { return m_confirmed[index(memory)]; }
    qint64 total(MemoryKind memory) const { return m_total[index(memory)]; }
    // Confirmed share of the transfer in percent; 0 for an untouched memory.
    int percent(MemoryKind memory) const;

private:
    static int index(MemoryKind memory) { return memory == MemoryKind::Flash ? 0 : 1; }
    qint64 m_confirmed[2] = {0, 0};
    qint64 m_total[2] = {0, 0};
};

}  // namespace kv
