// SPDX-License-Identifier: MIT
// The production record's connection setting.
#include "FuzzTarget.h"
#include "core/OperationError.h"
#include "record/RecordUrl.h"

KV_FUZZ_TARGET(record_url) {
    const QString text = QString::fromUtf8(kv::fuzz::bytesOf(data, size));
    const QString stored = kv::RecordUrl::withoutPassword(text);
    // What the window stores holds no password in any form.
    KV_FUZZ_CHECK(kv::RecordUrl::passwordSpans(stored.toUtf8()).isEmpty());
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
    // The redacted text is the same address with "***" for the password:
    // every byte of the password lies inside the blanked spans.
    kv::RecordUrl shown;
    try {
        shown = kv::RecordUrl::parse(kv::RecordUrl::redacted(text));
    } catch (const kv::OperationError&) {
        KV_FUZZ_CHECK(!"a redacted valid address is refused");
    }
    kv::RecordUrl expected = url;
    if (!url.password.isEmpty())
        expected.password = QStringLiteral("***");
    KV_FUZZ_CHECK(shown == expected);
    // Stored, the address reads back as the same one without its password,
    // and a valid one is never refused once stored.
    kv::RecordUrl readBack;
    try {
        readBack = kv::RecordUrl::parse(stored);
    } catch (const kv::OperationError&) {
        KV_FUZZ_CHECK(!"a valid address is refused once stored");
    }
    KV_FUZZ_CHECK(readBack == withoutPassword);
    KV_FUZZ_CHECK(kv::RecordUrl::withoutPassword(stored) == stored);
    return 0;
}
