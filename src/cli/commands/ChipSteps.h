// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>

#include "catalogue/ChipModel.h"
#include "cli/CliImageFile.h"
#include "cli/CommandRun.h"
#include "operations/CalibrationLayout.h"
#include "pass/PassPlan.h"

// What several commands do alike: their image file, their plan, the fuse bytes.
namespace kv::cli::steps {

// The command's file for the memory, read once; refused when it holds no
// data for it.
ImageFile loadFile(CommandRun& run, MemoryKind memory);
// Once the model is known: the file's memories, sections and fuse bytes
// against the model's.
void checkFits(const ImageFile& file, const ChipModel& model, bool flash, bool eeprom);
// Opens the port and identifies the chip, checking the file against the
// model as soon as it is known (from --model, before anything is sent).
const ChipModel& identifyFor(CommandRun& run, const ImageFile& file, bool flash, bool eeprom);

// A plan for the model with nothing chosen yet; the record reads back what
// it wrote.
PassPlan planFor(const ChipModel& model);
ImagePlan imagePlan(const QByteArray& bytes, const QString& path);

// The chip's fuse and lock bytes, logged as the window logs them; throws
// when the programmer gives none.
FuseReading readFuses(CommandRun& run);
// The reading as the JSON result and a person read it.
void fuseFindings(CommandRun& run, const FuseReading& reading);
// Which bits of each byte (low, high, extended, lock) the model has, from
// its fuse definitions' default bits ("*" for a bit it lacks).
std::array<quint8, 4> existingBits(const CommandRun& run, const ChipModel& model);
// A byte to send: a 0 in a bit the model lacks is refused (usage), the
// lacking bits are sent as 1.
quint8 byteToSend(int value, int b, quint8 existing, const ChipModel& model);

}  // namespace kv::cli::steps

namespace kv::cli::steps {

// write-flash / write-eeprom FILE, verify-flash / verify-eeprom FILE and
// read-flash / read-eeprom FILE: one body per kind, for either memory.
void writeFile(CommandRun& run, MemoryKind memory);
void verifyFile(CommandRun& run, MemoryKind memory);
void readToFile(CommandRun& run, MemoryKind memory);

}  // namespace kv::cli::steps

namespace kv::cli::steps {

// The model's calibration bytes: information byte addresses, and for each
// its MHz slot (0 for 1 MHz ... 3 for 8 MHz); refused for a model without any.
CalibrationLayout calibrationLayout(const ChipModel& model);
// "1MHz" ... "8MHz".
QString slotCaption(int slot);
// Where a calibration byte goes: a byte address text as the window's box
// takes it (the leading number, at most the memory's last byte); the plan's
// refusal when the text is no address.
CalibrationPlan calibrationPlan(const ChipModel& model, int slot, MemoryKind target,
                                const QString& addressText);

}  // namespace kv::cli::steps
