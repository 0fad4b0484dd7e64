// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "core/OperationError.h"

namespace kv::test {

// The text of the OperationError that fn throws; empty when it throws none.
inline QString thrownText(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const OperationError& e) {
        return e.text();
    }
    return QString();
}

}  // namespace kv::test
