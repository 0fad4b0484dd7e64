// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/MemoryKind.h"
#include "images/MemoryGeometry.h"
#include "programmer/ProgrammerOutcomes.h"

namespace kv {

// One memory's image as a pass gets it: bytes, where they came from and
// their digest, made once where the plan is made.
struct ImagePlan {
    QByteArray bytes;
    QString source;  // the file's name; empty when the bytes came from none
    QString sha256;  // 64 lower-case hex digits of bytes
    // The window holds images as text, and not every text is bytes: a write
    // refuses such an image with this text (nothing sent) ...
    QString refusal;
    // ... and a verify asks the chip for all the bytes the text covers, the
    // ones that are not bytes counting as different. -1: bytes.size().
    qint64 coveredBytes = -1;

    static ImagePlan fromBytes(const QByteArray& bytes, const QString& source = {});
    qint64 size() const { return coveredBytes >= 0 ? coveredBytes : bytes.size(); }
    bool isEmpty() const { return size() == 0; }
};

// Where the chip's oscillator calibration byte goes.
struct CalibrationPlan {
    QList<int> infoAddresses;  // where the model keeps its calibration bytes
    int chosen = -1;           // index into infoAddresses of the byte written; -1: none
    MemoryKind target = MemoryKind::Eeprom;
    qint64 address = 0;  // byte address in the target memory
    // An address the window's box could not give: the step is refused with it.
    QString addressRefusal;
    // The refusal when no byte is chosen or its read was no byte.
    QString noValueRefusal;
};

// The unit's serial number, written after every other step passed.
struct SerialPlan {
    QString sequence;
    qint64 number = 0;
    MemoryKind memory = MemoryKind::Eeprom;
    qint64 address = 0;  // byte address of the first byte
    QByteArray bytes;
};

// A programming pass as a value: what to do to one chip, with every byte it
// needs. Front ends make a plan from their input (the window from its state,
// the command line from a scheme and its files) and run it with PassRunner.
struct PassPlan {
    QString model;
    MemoryGeometry geometry;
    bool extendedFuse = false;  // the model has an extended fuse byte

    std::optional<QString> expectedSignature;  // six hex digits; nullopt: no check
    bool erase = false;
    ImagePlan flash;
    ImagePlan eeprom;
    bool writeFlash = false;
    bool writeEeprom = false;
    bool verifyFlash = false;
    bool verifyEeprom = false;
    bool writeFuses = false;
    FuseBytes fuses;
    QString fusesRefusal;  // non-empty: the fuse step sends nothing and logs this
    bool writeLock = false;
    quint8 lock = 0xFF;
    QString lockRefusal;
    std::optional<CalibrationPlan> calibration;
    std::optional<SerialPlan> serial;
    // Read the chip again for the record: the signature after an erase that
    // ends the pass, the fuse and lock bytes after they were written.
    bool readBack = false;

    const ImagePlan& image(MemoryKind memory) const {
        return memory == MemoryKind::Flash ? flash : eeprom;
    }
    // Why the plan cannot do what it says, found before anything is sent: a
    // memory to write or verify without an image, an image larger than the
    // memory or not bytes, a fuse or lock step that would send nothing. The
    // window runs such plans as it always has (the steps report it); the
    // command line refuses them.
    QStringList problems() const;
};

}  // namespace kv
