// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace kv::bench {

class BenchRig;

struct Options {
    int eepromWrites = 1000;  // "WE" exchanges
    int flashReadKiB = 32;    // size of the "RF" read
};

// One timed figure against the least time the line and the device allow.
struct Measurement {
    QString measure;      // what was timed, e.g. "per WE exchange"
    double valueUs = 0;   // measured
    double floorUs = 0;   // least possible; 0 when there is none
    double maxRatio = 0;  // target for value/floor; 0: reported only
    QStringList details;  // extra lines printed under the table
};

// A group of measurements on one simulator session. Sections run in order on
// the same rig; each leaves the link in text mode with nothing pending.
struct Section {
    QString name;
    std::function<QList<Measurement>(BenchRig&, const Options&)> run;
    // Runs a simulation in this process: its CPU time is the simulator's, not
    // the program's, and stays out of the program's CPU share.
    bool simulatesInProcess = false;
};

// Exchanges of single commands and the timed FLASH read (LinkSections.cpp).
QList<Section> linkSections();
// FLASH and EEPROM image write and verify, HEX file load (ImageSections.cpp).
QList<Section> imageSections();
// The command-line programmer's scheme run as a process (CliSections.cpp).
QList<Section> cliSections();
// Gang programming: sockets side by side, the runner's own cost (GangSections.cpp).
QList<Section> gangSections();
// The open programmer's firmware on the simulated board (FirmwareSections.cpp).
QList<Section> firmwareSections();

}  // namespace kv::bench
