// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <functional>

#include "images/ImageFiles.h"
#include "operations/Outcomes.h"
#include "pass/PassPlan.h"

namespace kv {

class CalibrationBytes;
class FuseCommands;
class ImageFiles;
class ImageSlot;
class ModelState;
class ProgramOptions;
class Programmer;
class ProgrammerLink;
struct PassHooks;

// The button "编 程" (ProCommand): turns the window's state into a PassPlan,
// each step chosen by its option being 1: signature check (6), erase (0),
// FLASH reload (5) and write (1), EEPROM reload (5) and write (2), FLASH
// verify (8), EEPROM verify (9), fuses (3), lock bits (4), calibration byte
// (7), and runs it with PassRunner; the reload of the files happens between
// the steps, as the window always did it.
//
// With the fuse or lock step chosen while the fuse editor lacks the selected
// model's definitions, the pass is refused before anything is sent.
// Findings of a step go to the log and into the step's outcome, and the pass
// goes on; a signature mismatch ends it quietly after its two log lines; an
// OperationError ends it and propagates to the caller. The link is held busy
// for the whole pass, so the window refuses other device commands until it
// ends.
class ProgramPass : public QObject {
    Q_OBJECT
public:
    // Everything the pass drives; all must outlive it.
    struct Parts {
        ProgrammerLink& link;
        Programmer& programmer;
        ModelState& model;
        ProgramOptions& options;
        ImageSlot& flash;
        ImageSlot& eeprom;
        ImageFiles& files;
        FuseCommands& fuses;
        CalibrationBytes& calibration;
    };
    // What the record adds to a plan before it runs (the serial number, the
    // read-back); none by default.
    using PlanAmender = std::function<void(PassPlan& plan)>;

    explicit ProgramPass(const Parts& parts, QObject* parent = nullptr);

    // Returns what the pass did (ran is false while one already runs). The
    // OperationError that ends a pass propagates; the steps done before it
    // were reported through stepFinished, and lastOutcome() has them all.
    PassOutcome runPass();
    // The window's state as a plan: the images as they are now (a reload
    // replaces them during the pass). Throws OperationError when the fuse or
    // lock step is chosen without the model's definitions.
    PassPlan makePlan() const;
    void setPlanAmender(PlanAmender amender) { m_amend = std::move(amender); }
    // The plan and the outcome of the last pass, also one an error ended.
    const PassPlan& lastPlan() const { return m_lastPlan; }
    const PassOutcome& lastOutcome() const { return m_lastOutcome; }

    bool isRunning() const { return m_running; }
    // ProCommand is enabled exactly when no pass runs.
    bool isStartEnabled() const { return !m_running; }

    static QString signatureLogText() {
        return QCoreApplication::translate("ProgramPass", "读标识字:");
    }
    static QString mismatchText() {
        return QCoreApplication::translate("ProgramPass", "标识字与所选芯片不符!");
    }

Q_SIGNALS:
    void runningChanged(bool running);
    // Around each chosen step, as it happens, so a front end can show a
    // finding before the pass goes on; a step that throws ends the pass
    // without its stepFinished, so a listener knows which one failed.
    void stepStarted(kv::PassStep step);
    void stepFinished(const kv::StepOutcome& outcome);
    // The reload of an image file before its write, when it did not load.
    void reloadFailed(kv::MemoryKind memory, const kv::LoadOutcome& outcome);

private:
    bool reload(MemoryKind memory, ImagePlan& image);
    void setRunning(bool running);

    Parts m_parts;
    PlanAmender m_amend;
    PassPlan m_lastPlan;
    PassOutcome m_lastOutcome;
    bool m_running = false;
};

}  // namespace kv
