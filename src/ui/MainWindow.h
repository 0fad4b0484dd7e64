// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "app/CommandTable.h"
#include "app/OptionCaptions.h"
#include "app/ShellDialogs.h"

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace kv {
class Clock;
class EventPump;
class PassRecorder;
class PortMap;
class SerialControl;
class SettingsStore;
class StoppableSerialControl;
class UserPrompts;
class Workbench;
}  // namespace kv

namespace kv::ui {

class ClickableLabel;
class FuseFrame;
class GangWindow;
class HelpWindow;
class ImageTab;
class MainToolbar;
class OptionTree;
class OtherTab;
class ProgramOptionsBox;
class RecordViewer;
class StatusPanels;

// What the window is built on; everything must outlive it.
struct MainWindowParts {
    SerialControl& port;
    Clock& clock;
    EventPump& pump;
    UserPrompts& prompts;
    SettingsStore& settings;  // named with ShellTexts::appTitle()
    QString dataFolder;       // holds "Set" and the help file
    PortMap* portMap = nullptr;
    // Null: the window's own dialogs. Tests pass a recorder.
    ShellDialogs* dialogs = nullptr;
    // The production record; null: none is kept.
    PassRecorder* passRecorder = nullptr;
};

// The main window: builds the controls at their places, binds them to the
// controller's state and forwards every click to it.
class MainWindow : public QWidget, public ShellDialogs {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowParts& parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's load: runs the start-up; call once before show().
    void load();

    Workbench& workbench() { return *m_workbench; }

    // ShellDialogs
    void showAbout() override;
    void showPortSettings() override;
    void showFirmwareDialog() override;
    void showRecordViewer() override;
    void showRecordSettings() override;
    bool openExternal(const QUrl& url) override;
    bool showHelp(const QUrl& page) override;
    // The open help window; null before F1.
    HelpWindow* helpWindow() const;
    // The gang window ("量产"): made on first use, then shown again as it was.
    void showGangWindow();
    GangWindow* gangWindow() const { return m_gangWindow; }

    // Controls, for tests and screenshots.
    MainToolbar* toolbar() const { return m_toolbar; }
    StatusPanels* statusPanels() const { return m_status; }
    QTabWidget* tabs() const { return m_tabs; }
    OptionTree* optionTree() const { return m_tree; }
    // Shown over the empty option list while the cells are not the selected
    // model's definitions.
    QLabel* definitionsWarning() const { return m_definitionsWarning; }
    FuseFrame* fuseFrame(int i) const { return m_frames[i]; }
    ImageTab* flashTab() const { return m_flashTab; }
    ImageTab* eepromTab() const { return m_eepromTab; }
    OtherTab* otherTab() const { return m_otherTab; }
    ProgramOptionsBox* optionsBox() const { return m_options; }
    QPlainTextEdit* logView() const { return m_log; }
    ClickableLabel* linkLabel() const { return m_linkLabel; }
    QLineEdit* fileNameText(int i) const { return m_fileName[i]; }
    QPushButton* openFileButton(int i) const { return m_openFile[i]; }
    QProgressBar* progressBar(int i) const { return m_progress[i]; }
    // Stops the running command at its next whole page; shown and enabled
    // only while one runs.
    QPushButton* stopButton() const { return m_stop; }
    // The window's button of a command (the pass, the reads, the single
    // accesses, the file buttons); null for a command without one.
    QAbstractButton* commandButton(CommandId id) const;
    // The open record viewer; null when none is open.
    RecordViewer* recordViewer() const;

    // Loads dropped or recent files: by their type, asking when the name
    // does not say which memory.
    void openFiles(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void describeCommands();
    // Places every control for the window's size.
    void arrange();
    void bindShell();
    void bindFuses();
    void bindModel();
    void bindImages();
    void bindOptions();
    void bindCalibration();
    void refreshDeviceControls();
    void refreshFuseCells();
    void refreshOptionList();
    void refreshOptionChecks();
    void refreshDefinitionsWarning();
    void bindStop();
    void bindFileMenus();
    // Asked when the window is closed during a command: stop it, wait for
    // its end, or keep the window.
    void offerStopOnClose();

    ShellDialogs* m_dialogsOverride;
    const Clock& m_clock;
    PortMap* m_portMap;
    GangWindow* m_gangWindow = nullptr;
    // Around the given port: the window's Stop ends a command there.
    std::unique_ptr<StoppableSerialControl> m_stoppablePort;
    std::unique_ptr<Workbench> m_workbench;

    MainToolbar* m_toolbar = nullptr;
    StatusPanels* m_status = nullptr;
    QTabWidget* m_tabs = nullptr;
    OptionTree* m_tree = nullptr;
    QLabel* m_definitionsWarning = nullptr;
    std::array<FuseFrame*, 4> m_frames{};
    ImageTab* m_flashTab = nullptr;
    ImageTab* m_eepromTab = nullptr;
    OtherTab* m_otherTab = nullptr;
    ProgramOptionsBox* m_options = nullptr;
    QGroupBox* m_logBox = nullptr;
    QPlainTextEdit* m_log = nullptr;
    ClickableLabel* m_linkLabel = nullptr;
    std::array<QLineEdit*, 2> m_fileName{};
    std::array<QPushButton*, 2> m_openFile{};
    std::array<QProgressBar*, 2> m_progress{};
    QPushButton* m_stop = nullptr;
    QPointer<QWidget> m_closeQuestion;
    bool m_closeAnswered = false;
    QPointer<RecordViewer> m_recordViewer;
    QPointer<HelpWindow> m_helpWindow;
    bool m_closing = false;
    // Read when the option list is first shown in English.
    OptionCaptions m_englishCaptions;
    bool m_englishCaptionsRead = false;
};

}  // namespace kv::ui
