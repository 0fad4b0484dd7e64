// SPDX-License-Identifier: MIT
// The production record's connection setting.
#include "FuzzTarget.h"
#include "core/OperationError.h"
#include "record/RecordUrl.h"

KV_FUZZ_TARGET(record_url) {
    const QString text = QString::fromUtf8(kv::fuzz::bytesOf(data, size));
    kv::RecordUrl url;
    try {
        url = kv::RecordUrl::parse(text);
    } catch (const kv::OperationError& e) {
        // The refusal shows what was given, but never a password.
        KV_FUZZ_CHECK(e.text().contains(kv::RecordUrl::redacted(text)));
        return 0;
    }
    if (!url.isPostgres()) {
        KV_FUZZ_CHECK(!url.path.isEmpty());
        return 0;
    }
    // A server is reached at a port that exists, in a named database.
    KV_FUZZ_CHECK(url.port == -1 || (url.port >= 1 && url.port <= 65535));
    KV_FUZZ_CHECK(!url.database.isEmpty());
    // Messages never carry the password: they read the same without it.
    kv::RecordUrl withoutPassword = url;
    withoutPassword.password.clear();
    KV_FUZZ_CHECK(url.displayText() == withoutPassword.displayText());
    return 0;
}
