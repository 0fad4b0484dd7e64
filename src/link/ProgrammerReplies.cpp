// SPDX-License-Identifier: MIT
#include "link/ProgrammerReplies.h"

#include <QCoreApplication>

namespace kv::replies {

namespace {

const char* const kContext = "ProgrammerReply";

// Every text answer of the programmer that is not data.
const char* const kKnown[] = {
    QT_TRANSLATE_NOOP("ProgrammerReply", "连接成功!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "熔丝位写入成功!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "熔丝位写入失败!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "熔丝位恢复完成!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "锁定位写入成功!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "芯片擦除完成!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "FLASH写入完成!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "未知命令!"),
    QT_TRANSLATE_NOOP("ProgrammerReply", "命令参数错误!"),
};

}  // namespace

QStringList known() {
    QStringList list;
    for (const char* text : kKnown)
        list << QString::fromUtf8(text);
    return list;
}

QString presented(const QString& reply) {
    QString shown = reply;
    for (const char* text : kKnown) {
        const QString original = QString::fromUtf8(text);
        if (!shown.contains(original))
            continue;
        const QString translated = QCoreApplication::translate(kContext, text);
        if (translated != original)
            shown.replace(original, translated);
    }
    return shown;
}

}  // namespace kv::replies
