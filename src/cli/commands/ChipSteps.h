// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include "cli/CommandRun.h"
#include "operations/Outcomes.h"

// What several commands do alike: the image files, the pass, the fuse bytes.
namespace kv::cli::steps {

MemoryKind memoryOf(bool flash);

// The file into the memory's image; mayBeEmpty: a file without data for
// this memory is no failure.
void loadImage(CommandRun& run, bool flash, const QString& path, bool mayBeEmpty = false);
// Before anything reaches the chip: an image larger than the model's memory.
void checkImageFits(CommandRun& run, bool flash);
// Loads a file command's file, opens the port and identifies the chip,
// checking the file against the model as soon as it is known.
void startWithFile(CommandRun& run, bool flash);

// The pass with only these options, recorded; throws its ending when it
// did not end well.
PassOutcome runPass(CommandRun& run, const QList<int>& options);
// The pass as the options stand, recorded.
PassOutcome runRecordedPass(CommandRun& run);
// What the pass found, into the findings; its ending when it did not end well.
std::optional<CommandEnd> passFindings(CommandRun& run, const PassOutcome& pass);

// The fuse and lock bytes of a reading (lock, extended, high, low) as the
// JSON result names them.
QJsonObject fuseFindings(CommandRun& run, const QString& reading);
// Reads the fuse and lock bytes into the findings and run.fuseReading.
void readFuses(CommandRun& run);
// Against the last fuse read: what "WS" / "WL" sent.
void confirmFuses(CommandRun& run, const QString& sent);
void confirmLock(CommandRun& run, const QString& sent);
// Reads the calibration bytes into the findings; refuses a model without any.
void readCalibration(CommandRun& run);
// A fuse ("WS") or lock ("WL") write with the record around it; a silent
// programmer is found from the reply the write returns.
void recordedFuseWrite(CommandRun& run, bool fuses);
// Puts value into byte b (0 low .. 3 lock) of a fuse bit string; throws a
// usage ending for a 0 in a bit the model lacks.
void setByte(QString& bits, int b, int value, const QString& model);

}  // namespace kv::cli::steps

namespace kv::cli::steps {

// write-flash / write-eeprom FILE, verify-flash / verify-eeprom FILE and
// read-flash / read-eeprom FILE: one body per kind, for either memory.
void writeFile(CommandRun& run, bool flash);
void verifyFile(CommandRun& run, bool flash);
void readToFile(CommandRun& run, bool flash);

}  // namespace kv::cli::steps
