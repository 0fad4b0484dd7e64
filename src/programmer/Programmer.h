// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "images/MemoryGeometry.h"
#include "programmer/ProgrammerEvents.h"
#include "programmer/ProgrammerOutcomes.h"

namespace kv {

// How a signature is read: all three bytes, or the two after the vendor byte
// (which every supported part shares), with stale input dropped first and,
// for an automatic model selection, a short settle after that.
enum class SignatureRead { AllThree, AfterVendor, AfterVendorSettled };

// A programmer under every front end: what it can do to the chip in its
// socket, each call one whole exchange that returns what happened. Calls
// report their progress, the programmer's texts and their findings as
// events to the sink; a call throws OperationError only for what ends the
// work (a port failure, a stop, input it refuses before sending anything).
//
// An implementation owns its waits and its recovery: after a call that ended
// before its reply was complete, the next call first drops what is left of
// it, so an answer is always the call's own.
class Programmer {
public:
    virtual ~Programmer() = default;

    // A front end that listens beside another wraps the sink it finds.
    void setEventSink(EventSink sink) { m_sink = std::move(sink); }
    const EventSink& eventSink() const { return m_sink; }
    // The chip's sizes and FLASH page, for the calls that follow.
    void setGeometry(const MemoryGeometry& geometry) { m_geometry = geometry; }
    const MemoryGeometry& geometry() const { return m_geometry; }

    // Whether the programmer is there; its text.
    virtual Reply checkConnection() = 0;
    virtual Reply firmwareVersion() = 0;
    // The signature's hex digits as read ("1E9307"); what a silent
    // programmer gives depends on `how` ("" or "1E").
    virtual QString identify(SignatureRead how) = 0;
    virtual Reply erase() = 0;

    // The image from address 0. An empty image sends nothing. An image larger
    // than the memory is refused (OperationError) before anything is sent.
    virtual WriteOutcome write(MemoryKind memory, const QByteArray& image) = 0;
    // The memory's first `count` bytes.
    virtual ReadResult read(MemoryKind memory, qint64 count) = 0;
    // The image against the chip. `count` asks for more bytes than the image
    // holds (a text form whose tail is no bytes): those never match. -1: the
    // image's size.
    virtual VerifyOutcome verify(MemoryKind memory, const QByteArray& image, qint64 count = -1) = 0;

    virtual FuseReading readFuses() = 0;
    virtual Reply writeFuses(const FuseBytes& fuses) = 0;
    // The chip's fuses forced back (the high-voltage recovery of a chip whose
    // fuses lock it out).
    virtual Reply resetFuses(const FuseBytes& fuses) = 0;
    virtual Reply writeLock(quint8 lock) = 0;

    // One FLASH word (word address, the byte at the even address first) or
    // EEPROM byte; true when the programmer confirmed it.
    virtual bool writeCell(MemoryKind memory, qint64 address, const QByteArray& cell) = 0;
    // The cell's reply as received: 4 hex digits for a word, 2 for a byte.
    virtual QString readCell(MemoryKind memory, qint64 address) = 0;
    // Information bytes (the calibration bytes live there) as received, one
    // reply per address.
    virtual QStringList readInfoBytes(const QList<int>& addresses) = 0;
    // One calibration byte into the chip's own memory at a byte address (in
    // FLASH, the other half of its word stays erased); true when confirmed.
    virtual bool writeCalibration(MemoryKind memory, qint64 address, quint8 value) = 0;

    // Sends an event down the route the calls use: the pass and the window's
    // operations report their own lines here too, so every front end gets
    // them the same way.
    void report(const ProgrammerEvent& event) const {
        if (m_sink)
            m_sink(event);
    }
    void note(const QString& text) const { report(ProgrammerEvent::note(text)); }
    void problem(const QString& text) const { report(ProgrammerEvent::problem(text)); }

private:
    EventSink m_sink;
    MemoryGeometry m_geometry;
};

}  // namespace kv
