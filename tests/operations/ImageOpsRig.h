// SPDX-License-Identifier: MIT
#pragma once

#include <QRandomGenerator>

#include "catalogue/ChipModelTable.h"
#include "core/OperationError.h"
#include "images/ImageSlot.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "operations/OutcomeBoxes.h"
#include "operations/WindowEvents.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/SimRig.h"

namespace kv::test {

inline MemoryGeometry geometryOf(const QString& model) {
    const ChipModel& row = ChipModelTable::resolve(model);
    return {row.flashSize, row.eepromSize, row.pageWords};
}

// A simulated programmer with the image writer and reader of one model.
struct ImageOpsRig {
    explicit ImageOpsRig(const QString& model = QStringLiteral("ATMEGA8"))
        : sim(model),
          geometry(geometryOf(model)),
          writer(sim.programmer, flash, eeprom, [this] { return geometry; }),
          reader(sim.programmer, flash, eeprom, [this] { return geometry; }) {
        sim.programmer.setEventSink(windowEvents(sim.link, flash, eeprom));
    }

    // The operations as the window runs them: what calls for a box is shown
    // in one, and an error that ends a read is shown after it.
    ReadOutcome read(MemoryKind memory) {
        try {
            return reader.read(memory);
        } catch (const OperationError& e) {
            prompts.warning(kTitle, e.text());
            return {};
        }
    }
    VerifyOutcome verify(MemoryKind memory) {
        const VerifyOutcome outcome = reader.verify(memory);
        if (const auto box = boxFor(outcome))
            prompts.warning(kTitle, *box);
        return outcome;
    }
    WriteOutcome write(MemoryKind memory) {
        const WriteOutcome outcome = writer.write(memory);
        if (const auto box = boxFor(outcome))
            prompts.warning(kTitle, *box);
        return outcome;
    }
    static inline const QString kTitle = QStringLiteral("KELVARO 测试");

    static QByteArray randomBytes(int n, quint32 seed) {
        QRandomGenerator generator(seed);
        QByteArray bytes(n, Qt::Uninitialized);
        for (char& b : bytes)
            b = char(generator.bounded(256));
        return bytes;
    }
    // Milliseconds of protocol time that fn took.
    template <typename Fn>
    qint64 timed(Fn fn) {
        const qint64 start = sim.clock.nowUs();
        fn();
        return sim.elapsedMsSince(start);
    }
    void clearLog() { sim.log.clear(); }

    SimRig sim;
    ImageSlot flash{MemoryKind::Flash};
    ImageSlot eeprom{MemoryKind::Eeprom};
    FakePrompts prompts;
    MemoryGeometry geometry;
    ImageWriter writer;
    ImageReader reader;
};

}  // namespace kv::test
