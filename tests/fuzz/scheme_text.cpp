// SPDX-License-Identifier: MIT
// The scheme file's text (*.SET after decoding): a scheme that loads is one
// the program can save again, and saving it gives back the same scheme.
#include "FuzzTarget.h"
#include "core/OperationError.h"
#include "schemes/SchemeText.h"

KV_FUZZ_TARGET(scheme_text) {
    const QString text = QString::fromUtf8(kv::fuzz::bytesOf(data, size));
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
    return 0;
}
