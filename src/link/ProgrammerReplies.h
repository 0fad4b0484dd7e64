// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The programmer answers in Chinese. Its answers stay as sent on the wire and
// in every comparison (the port search looks for the exact "连接成功!"); only
// what the user reads is put into the user's language.
namespace kv::replies {

// The answers this program knows, as the programmer sends them.
QStringList known();

// The answer as the user reads it: every known answer in it in the language
// installed; anything else as received.
QString presented(const QString& reply);

}  // namespace kv::replies
