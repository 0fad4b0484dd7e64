// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "gang/GangRunner.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QGridLayout;

namespace kv {
class Clock;
class PortMap;
class SettingsStore;
class UserPrompts;
}  // namespace kv

namespace kv::ui {

// The "量产" window: one tile per socket of the gang, each showing its port,
// chip, step and progress, result, elapsed time and counts since the window
// opened. The runner does the work; the window only binds to it.
class GangWindow : public QWidget {
    Q_OBJECT
public:
    // cliPath: the kelvaro-cli each socket runs; portMap (may be null): the
    // device shown behind a socket's COMn.
    GangWindow(SettingsStore& settings, UserPrompts& prompts, const Clock& clock,
               const QString& cliPath, const PortMap* portMap = nullptr, QWidget* parent = nullptr);
    ~GangWindow() override;

    GangRunner& runner() { return m_runner; }
    QPushButton* startAllButton() const { return m_startAll; }
    QPushButton* stopAllButton() const { return m_stopAll; }
    QWidget* tile(int index) const { return m_tiles.value(index).box; }
    // The tile's line for a part: "port", "chip", "step", "result", "time", "counts".
    QLabel* tileLabel(int index, const QString& part) const;
    QProgressBar* tileProgress(int index) const { return m_tiles.value(index).progress; }
    QPushButton* tileStart(int index) const { return m_tiles.value(index).start; }

    // Asked before sockets start: a refusal (the record cannot be kept) is
    // shown in a box and nothing starts. The window opens the record here, so
    // that the sockets' processes do not race to create a fresh one.
    void setPreparation(std::function<std::optional<QString>()> prepare) {
        m_prepare = std::move(prepare);
    }
    // The COM number the main window holds open (nullopt: none). A socket on
    // that port, by name or by the device behind it, is refused with a box
    // saying why: its process could not open the port.
    void setHeldPort(std::function<std::optional<int>()> held) { m_heldPort = std::move(held); }

    // Sockets and scheme from the settings; refused while any socket runs.
    void reload();
    void chooseScheme();
    void configureSockets();

protected:
    void closeEvent(class QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Tile {
        QWidget* box = nullptr;
        QLabel* port = nullptr;
        QLabel* chip = nullptr;
        QLabel* step = nullptr;
        QProgressBar* progress = nullptr;
        QLabel* result = nullptr;
        QLabel* time = nullptr;
        QLabel* counts = nullptr;
        QPushButton* start = nullptr;
    };
    void buildTiles();
    void showState(int index);
    void showTimes();
    void refreshButtons();
    bool prepared();
    // Why these sockets may not start; nullopt when they may.
    std::optional<QString> heldPortProblem(const QList<int>& sockets) const;

    SettingsStore& m_settings;
    UserPrompts& m_prompts;
    const PortMap* m_portMap;
    GangRunner m_runner;
    QString m_scheme;
    QLabel* m_schemeLabel;
    QPushButton* m_startAll;
    QPushButton* m_stopAll;
    QPushButton* m_chooseScheme;
    QPushButton* m_configure;
    QGridLayout* m_grid;
    QList<Tile> m_tiles;
    // Elapsed times tick only while a socket runs; an idle window does nothing.
    QTimer m_ticker;
    std::function<std::optional<QString>()> m_prepare;
    std::function<std::optional<int>()> m_heldPort;
};

}  // namespace kv::ui
