// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>

namespace kv {

// The finding of a write whose bytes the programmer did not all acknowledge
// with "!": the log line and the warning box say the same.
inline QString missingAcksText(qint64 count) {
    return QCoreApplication::translate("WriteAcks",
                                       "%1个字节没有得到编程器确认（\"!\"），可能未写入!")
        .arg(count);
}

}  // namespace kv
