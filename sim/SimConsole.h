// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

namespace kv::sim {

class PtyServer;
class SimulatedProgrammer;

// Line commands that steer a running simulator (from stdin):
//   model NAME          fresh chip of that model
//   signature 1E9307    signature bytes the chip reports
//   loader              restart into the firmware loader
//   loaderpage N        loader page size in bytes
//   fault NAME VALUE    silent|lowercase 0/1; delay|trickle MS; pageacks|
//                       writeacks|loaderacks|hangupafter|readlimit|stuckflash|
//                       stuckeeprom N (-1 off); garbage TEXT; "fault clear"
//                       removes all
//   fuses LOW HIGH EXT LOCK  the chip's fuse and lock bytes (hex; ".." keeps one)
//   dump                one JSON line: chip contents, fuses, loader firmware
//   transcript          hex of every byte received
//   hangup              close the line as a pulled cable would
//   quit
// Each command answers one line: "ok ...", the requested data, or "error: ...".
class SimConsole : public QObject {
    Q_OBJECT
public:
    SimConsole(SimulatedProgrammer& device, PtyServer* server, QObject* parent = nullptr);

    QString execute(const QString& line);
    // Reads command lines from fd and writes the answers to stdout.
    void listen(int fd);

Q_SIGNALS:
    void quitRequested();

private:
    QString dump() const;
    QString setFault(const QString& name, const QString& value);
    void onReadable();

    SimulatedProgrammer& m_device;
    PtyServer* m_server;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_partial;
};

// "LOW HIGH EXT LOCK" of the fuses command as four bytes, -1 for "..";
// false unless each is two hex digits or "..".
bool parseFuseWords(const QStringList& words, int values[4]);

}  // namespace kv::sim
