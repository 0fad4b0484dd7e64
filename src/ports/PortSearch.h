// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace kv {

class ProgrammerLink;

// Finds the port the programmer is on: each port number from 1 to kLastPort is
// opened in turn with the port's current settings and asked "CC#"; the
// programmer is on the first port whose whole reply, read 200 ms later, is
// "连接成功!". A port that cannot be opened, or fails during its probe, is
// skipped; the search never throws.
class PortSearch {
public:
    static constexpr int kLastPort = 15;
    static QString expectedReply() { return QStringLiteral("连接成功!"); }

    // devicePath: the device behind a port number, empty when there is none;
    // numbers without a device, or with a device already probed under another
    // number, are skipped without opening. Without it every number is probed.
    explicit PortSearch(ProgrammerLink& link,
                        std::function<QString(int)> devicePath = std::function<QString(int)>());

    // Returns the programmer's port number with that port left open and set on
    // the link; nullopt when no port answered, the port number then being that
    // of the last probe, possibly still open.
    std::optional<int> run();
    // One probe of port n as run() makes it; the port stays open afterwards
    // when it could be opened.
    bool answers(int n) { return probe(n); }

    // The numbers opened for a probe in the last run, in order.
    const QList<int>& probed() const { return m_probed; }

private:
    bool probe(int n);

    ProgrammerLink& m_link;
    std::function<QString(int)> m_devicePath;
    QList<int> m_probed;
};

}  // namespace kv
