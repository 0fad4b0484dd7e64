// SPDX-License-Identifier: MIT
// The fuse definition reader (*.FUS): any bytes, read as the window reads a
// file of the "Set" folder.
#include <QSet>

#include "FuzzTarget.h"
#include "fuses/FuseBitText.h"
#include "fuses/FuseDefinitionReader.h"
#include "fuses/OptionKey.h"

KV_FUZZ_TARGET(fuse_definitions) {
    const QString fileName = QStringLiteral("FUZZ.FUS");
    QStringList log;
    const auto result = kv::FuseDefinitionReader::parse(kv::fuzz::bytesOf(data, size), fileName,
                                                        [&](const QString& line) { log << line; });
    // Every complaint names the file it is about.
    for (const QString& line : std::as_const(log))
        KV_FUZZ_CHECK(line.contains(fileName));
    const kv::FuseDefinitions& d = result.definitions;
    if (result.outcome != kv::FuseDefinitionReader::Outcome::Loaded) {
        KV_FUZZ_CHECK(result.outcome == kv::FuseDefinitionReader::Outcome::Refused);
        KV_FUZZ_CHECK(d.defaultBits.isEmpty() && d.names.isEmpty() && d.options.isEmpty());
        KV_FUZZ_CHECK(!log.isEmpty());
        return 0;
    }
    // What the editor relies on: 32 clean default bits, 32 names, and options
    // with distinct keys that parse, within the limits.
    KV_FUZZ_CHECK(d.defaultBits.size() >= 32);
    KV_FUZZ_CHECK(kv::fusebits::isClean(QStringView(d.defaultBits).left(32)));
    KV_FUZZ_CHECK(d.names.size() == 32);
    KV_FUZZ_CHECK(d.options.size() <= kv::FuseDefinitionReader::kMaxOptions);
    QSet<QString> keys;
    for (const kv::FuseOption& option : d.options) {
        KV_FUZZ_CHECK(kv::OptionKey::parse(option.key).has_value());
        KV_FUZZ_CHECK(!keys.contains(option.key));
        keys.insert(option.key);
    }
    return 0;
}
