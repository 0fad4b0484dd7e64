// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <optional>

#include <QString>
#include <functional>
#include "core/OperationError.h"

namespace kv {

class FirmwareFile;
class ProgrammerLink;
class SettingsStore;
class UserPrompts;

// The firmware update dialog's state and its dialogue with the programmer's
// loader. The dialog shows the fields and forwards clicks; everything it shows
// is re-read on changed().
//
// Loader dialogue: wait up to 10 s for "B"; send the mode ("B" encrypted, "D"
// plain), "0", "0"; for each page wait up to 100 ms for "?", send ">" and the
// page as hex digits (a short last page filled with "F"); finally "!".
// Each "?" after a page acknowledges it: "升级完毕。" only when all came,
// otherwise the closing text counts the pages left unacknowledged. When the
// first "?" does not come, the update ends there as a failure.
class FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    enum class Phase { Idle, WaitingForLoader, Transferring };

    static constexpr int kGreetingLimitMs = 9999;  // the wait ends once more has passed
    static constexpr int kPageRequestLimitMs = 100;

    // connectionChanged: called after the update closed the port, so the window
    // refreshes its connection indicators and device controls.
    FirmwareUpdate(ProgrammerLink& link, SettingsStore& settings, UserPrompts& prompts,
                   std::function<void()> connectionChanged, QObject* parent = nullptr);
    ~FirmwareUpdate() override;

    // Dialog opening: status lines cleared, file path from the settings store.
    void open();

    QString fileName() const { return m_fileName; }
    void setFileName(const QString& path);
    // 0, 1, 2: pages of 32, 64, 128 bytes (16, 32, 64 words). 1 at opening.
    int pageOption() const { return m_pageOption; }
    void setPageOption(int option);
    int pageSize() const { return 32 << m_pageOption; }
    bool encrypted() const { return m_encrypted; }
    void setEncrypted(bool on);

    QString restartPrompt() const { return m_restartPrompt; }  // first status line
    QString status() const { return m_status; }                // progress and errors
    QString byteText() const { return m_byteText; }            // byte sent, final message
    bool upgradeEnabled() const { return m_phase == Phase::Idle; }
    Phase phase() const { return m_phase; }
    // How the last upgrade() ended, for callers that report it beyond the
    // status lines (the command line's exit code).
    enum class Outcome { None, Done, PagesMissed, LoaderSilent, TimedOut, Cancelled, Failed };
    Outcome lastOutcome() const { return m_outcome; }
    // The error that ended the last update, when one did.
    const std::optional<OperationError>& failure() const { return m_failure; }

    // "...": picks a file and stores its path.
    void browse();
    // "升  级": runs the whole update; returns when it has ended in any way.
    void upgrade();
    // "停  止": ends the wait for the loader's greeting.
    void stop();
    // The dialog asks before closing. Idle: true. Waiting for the greeting: the
    // wait is stopped and closeRequested() follows when it has ended. During the
    // transfer: false, since a half-written firmware leaves only the loader.
    bool requestClose();

Q_SIGNALS:
    void changed();
    void closeRequested();

private:
    enum class Greeting { Received, TimedOut, Cancelled };
    Greeting waitForGreeting();
    // False when the loader asked for nothing after its greeting; nothing
    // beyond the start characters was sent then.
    bool transfer(const FirmwareFile& file);
    // One "?" wait; a missing "?" after the first one counts as a page missed.
    bool pageRequested();
    static int pageCount(const FirmwareFile& file);
    void sendTail(const FirmwareFile& file);
    void setStatus(const QString& text);
    void showByte(const QByteArray& digits);

    ProgrammerLink& m_link;
    SettingsStore& m_settings;
    UserPrompts& m_prompts;
    std::function<void()> m_connectionChanged;

    QString m_fileName;
    int m_pageOption = 1;
    bool m_encrypted = false;
    QString m_restartPrompt, m_status, m_byteText;
    Phase m_phase = Phase::Idle;
    bool m_cancelRequested = false;
    bool m_closePending = false;
    bool m_loaderAsked = false;
    int m_pagesMissed = 0;
    Outcome m_outcome = Outcome::None;
    std::optional<OperationError> m_failure;
};

}  // namespace kv
