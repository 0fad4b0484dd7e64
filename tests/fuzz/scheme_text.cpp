// SPDX-License-Identifier: MIT
// The scheme file: its text (*.SET after decoding), and the file's bytes as
// the program reads and writes them (GBK, or UTF-8 after a byte-order mark).
// A scheme that loads is one the program can save again, and saving it gives
// back the same scheme.
#include "FuzzTarget.h"
#include "core/OperationError.h"
#include "schemes/SchemeFile.h"
#include "schemes/SchemeText.h"

namespace {

// What the file's bytes load as, through the program's own load and save.
void fileRoundTrip(const QByteArray& bytes) {
    kv::Scheme loaded;
    try {
        loaded = kv::SchemeFile::load(kv::fuzz::writeScratch(QStringLiteral("in.SET"), bytes));
    } catch (const kv::OperationError& e) {
        KV_FUZZ_CHECK(!e.text().isEmpty());
        return;
    }
    const QString saved = kv::fuzz::scratchFolder() + QStringLiteral("/out.SET");
    try {
        kv::SchemeFile::save(saved, loaded);
    } catch (const kv::OperationError& e) {
        KV_FUZZ_CHECK(e.text() == QStringLiteral("地址框数据格式错误!"));
        return;
    }
    KV_FUZZ_CHECK(kv::SchemeFile::load(saved) == loaded);
}

}  // namespace

KV_FUZZ_TARGET(scheme_text) {
    const QByteArray bytes = kv::fuzz::bytesOf(data, size);
    const QString text = QString::fromUtf8(bytes);
    // A text survives the file's encoding byte for byte: GBK where it can
    // hold the text, UTF-8 after its mark where it cannot. (A text that itself
    // starts with the mark's character loses it, as every UTF-8 reader does.)
    if (!text.startsWith(QChar(0xFEFF)))
        KV_FUZZ_CHECK(kv::SchemeFile::decode(kv::SchemeFile::encode(text)) == text);
    fileRoundTrip(bytes);

    kv::Scheme scheme;
    try {
        scheme = kv::schemeFromText(text);
    } catch (const kv::OperationError& e) {
        KV_FUZZ_CHECK(!e.text().isEmpty());
        return 0;
    }
    KV_FUZZ_CHECK(scheme.fuseBits.size() == 32);
    for (const int option : scheme.options)
        KV_FUZZ_CHECK(option >= 0 && option <= 2);
    KV_FUZZ_CHECK(!scheme.calibrationSlot || (*scheme.calibrationSlot >= 0 &&
                                              *scheme.calibrationSlot < kv::Scheme::kSlotCount));
    KV_FUZZ_CHECK(
        !scheme.calibrationTarget ||
        (*scheme.calibrationTarget >= 0 && *scheme.calibrationTarget < kv::Scheme::kTargetCount));
    QString saved;
    try {
        saved = kv::schemeToText(scheme);
    } catch (const kv::OperationError& e) {
        // Address lines are loaded as they stand but saved only as numbers;
        // nothing else of a loaded scheme may stop it being saved.
        KV_FUZZ_CHECK(e.text() == QStringLiteral("地址框数据格式错误!"));
        return 0;
    }
    KV_FUZZ_CHECK(kv::schemeFromText(saved) == scheme);
    // Through the file too: saved, read back, the same set-up.
    const QString path = kv::fuzz::scratchFolder() + QStringLiteral("/text.SET");
    kv::SchemeFile::save(path, scheme);
    KV_FUZZ_CHECK(kv::SchemeFile::load(path) == scheme);
    return 0;
}
