// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace kv::sim::avr {

class FirmwareHost;

// The command lines of kelvaro-sim --firmware (from stdin), the same as the
// built-in simulator's where they make sense for real firmware:
//   model NAME                  a fresh chip of that model in the socket
//   fuses LOW HIGH EXT LOCK     the chip's fuse and lock bytes, hex; ".." keeps one
//   dump                        one JSON line: the chip's contents and fuses
//   transcript                  hex of every byte the firmware received
//   violations                  the chip's timing and entry findings, one line
//   loader                      press the board's reset button
//   rail MV                     the 12 V rail in millivolts (0: switched off)
//   hangup | quit
// Each command answers one line: "ok ...", the requested data, or "error: ...".
class FirmwareConsole : public QObject {
    Q_OBJECT
public:
    FirmwareConsole(FirmwareHost& host, QObject* parent = nullptr);

    QString execute(const QString& line);
    void listen(int fd);

Q_SIGNALS:
    void quitRequested();

private:
    QString dump();
    void onReadable();

    FirmwareHost& m_host;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_partial;
};

}  // namespace kv::sim::avr
