// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "record/SerialScheme.h"

namespace kv {

class RecordStore;

// Serial numbers drawn from the record database. A number is taken in a
// transaction, so stations sharing a server (or processes sharing a file)
// never get the same one; a number whose write failed is marked spoiled and
// never handed out again.
class SerialNumbers {
public:
    enum class State { Unknown, Taken, Used, Spoiled };

    explicit SerialNumbers(RecordStore& store);

    // Creates the sequence, or updates the settings of an existing one while
    // keeping its next number (moved up to start if start is past it).
    void define(const SerialScheme& scheme);
    // The stored settings; throws OperationError when there is no such sequence.
    SerialScheme scheme(const QString& name);

    // The next number of the sequence, recorded as taken by station. Throws
    // OperationError when the sequence is unknown or its width is exhausted.
    qint64 takeNext(const QString& name, const QString& station);
    // The same inside a write transaction the caller holds, which commits
    // the number together with whatever else it writes.
    qint64 takeWithin(const QString& name, const QString& station);
    // The write of value failed: it stays out of use, with the reason.
    void markSpoiled(const QString& name, qint64 value, const QString& reason);
    // value went into the chip of the record passId.
    void markUsed(const QString& name, qint64 value, qint64 passId);
    State state(const QString& name, qint64 value);

private:
    RecordStore& m_store;
};

}  // namespace kv
