// SPDX-License-Identifier: MIT
#include "fuses/FileFuseBits.h"

#include <QCoreApplication>

#include <array>

#include "core/OperationError.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"

namespace kv {

int modelFuseByteCount(const QString& model) {
    return FuseCommands::hasExtendedFuseByte(model) ? 3 : 2;
}

QString applyFileFuseBits(const FuseCommands& commands, FuseEditor& editor, const QString& model,
                          const QString& fileName, const QByteArray& fuses,
                          std::optional<quint8> lock) {
    commands.requireDefinitions(
        QCoreApplication::translate("FileFuseBits", "没有调入文件熔丝位。"));
    // The model may have changed since the file was loaded.
    if (fuses.size() > modelFuseByteCount(model)) {
        throw OperationError(
            QCoreApplication::translate("FileFuseBits",
                                        "%1 有 %2 个熔丝字节，%3 只有 %4 个，没有调入文件熔丝位。")
                .arg(fileName)
                .arg(fuses.size())
                .arg(model)
                .arg(modelFuseByteCount(model)));
    }
    // Cell i is bit i % 8 of byte i / 8 (low, high, extended, lock).
    std::array<std::optional<quint8>, 4> bytes;
    for (int b = 0; b < fuses.size(); ++b)
        bytes[b] = quint8(fuses.at(b));
    bytes[3] = lock;
    const QString& defaults = editor.defaultFuseBits();
    QString bits;
    for (int i = 31; i >= 0; --i) {
        const int position = 31 - i;
        QString caption = editor.cell(i).caption;
        if (const auto& byte = bytes[i / 8])
            caption = (*byte >> (i % 8)) & 1 ? QStringLiteral("1") : QStringLiteral("0");
        if (position < defaults.size() && defaults.at(position) == QLatin1Char('*'))
            caption = QStringLiteral("*");
        // applyFuseBits reads one character per cell.
        bits += caption.size() == 1 ? caption : QStringLiteral("1");
    }
    editor.applyFuseBits(bits);
    return QCoreApplication::translate("FileFuseBits", "调入文件 %1 的熔丝位:%2 锁定位:%3")
        .arg(fileName, FuseCommands::fuseField(editor, model), editor.byteText(3));
}

}  // namespace kv
