// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <functional>

namespace kv {

class CalibrationBytes;
class FuseCommands;
class ImageFiles;
class ImageReader;
class ImageSlot;
class ImageWriter;
class ModelState;
class ProgramOptions;
class ProgrammerLink;
class UserPrompts;

// The button "编 程" (ProCommand): one programming pass over the chip in a fixed
// order, each step chosen by its option being 1: signature check (6), erase
// (0), FLASH reload (5) and write (1), EEPROM reload (5) and write (2), FLASH
// verify (8), EEPROM verify (9), fuses (3), lock bits (4), calibration byte (7).
//
// With the fuse or lock step chosen while the fuse editor lacks the selected
// model's definitions, the pass is refused before anything is sent.
// Findings of a step go to the log and the pass goes on; a signature mismatch
// ends it quietly after its two log lines; an OperationError ends it with a
// warning box titled `title`, shown once the exchange is over. The link is held
// busy for the whole pass, so the window refuses other device commands until
// it ends.
class ProgramPass : public QObject {
    Q_OBJECT
public:
    // Everything the pass drives; all must outlive it.
    struct Parts {
        ProgrammerLink& link;
        ModelState& model;
        ProgramOptions& options;
        ImageSlot& flash;
        ImageSlot& eeprom;
        ImageFiles& files;
        ImageWriter& writer;
        ImageReader& reader;
        FuseCommands& fuses;
        CalibrationBytes& calibration;
        UserPrompts& prompts;
    };

    ProgramPass(const Parts& parts, QString title, QObject* parent = nullptr);

    // Does nothing while a pass is already running.
    void runProgrammingPass();
    // The same pass for a caller that shows the error itself after its own
    // exchange: the OperationError that ends the pass propagates.
    void runPass();

    bool isRunning() const { return m_running; }
    // ProCommand is enabled exactly when no pass runs.
    bool isStartEnabled() const { return !m_running; }
    // True when the last pass ended at its signature check.
    bool lastSignatureRejected() const { return m_signatureRejected; }
    // The signature the last pass read; empty when it did not check one.
    const QString& lastSignature() const { return m_signature; }

    static QString signatureLogText() {
        return QCoreApplication::translate("ProgramPass", "读标识字:");
    }
    static QString mismatchText() {
        return QCoreApplication::translate("ProgramPass", "标识字与所选芯片不符!");
    }

Q_SIGNALS:
    void runningChanged(bool running);
    // Around each chosen step; a step that throws ends the pass without its
    // stepFinished, so a listener knows which one failed.
    void stepStarted(const QString& name);
    void stepFinished(const QString& name);

private:
    void run();
    bool signatureMatches();
    void setRunning(bool running);
    void runStep(const QString& name, const std::function<void()>& step);

    Parts m_parts;
    QString m_title;
    bool m_running = false;
    bool m_signatureRejected = false;
    QString m_signature;
};

}  // namespace kv
