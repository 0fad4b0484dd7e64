// SPDX-License-Identifier: MIT
#pragma once

namespace kv {

class RecordDatabase;

// The record's tables, numbered by version in the table schema_version. A
// database is brought forward step by step; one newer than this program is
// refused untouched, never downgraded.
class RecordSchema {
public:
    static constexpr int kVersion = 2;

    // The version the database holds: 0 when it is empty.
    static int storedVersion(RecordDatabase& database);
    // Creates or migrates to kVersion; throws OperationError (newer schema,
    // another program's database, read-only, unreachable). Safe when several
    // stations start at once on one new file or server.
    static void bringUpToDate(RecordDatabase& database);
    // For a record opened read-only: throws when it is newer or not ours.
    static void checkReadable(RecordDatabase& database);

private:
    static void createOrMigrate(RecordDatabase& database, int found);
};

}  // namespace kv
