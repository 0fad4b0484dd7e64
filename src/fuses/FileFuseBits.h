// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace kv {

class FuseCommands;
class FuseEditor;

// Puts the fuse and lock bytes a program file carries into the fuse cells, the
// way a fuse read puts the chip's there: "*" wherever the model's defaults have
// it, the options and frame captions following the cells. Cells of bytes the
// file lacks keep what they show. Nothing is sent to the chip; a fuse or lock
// write does that later, from the cells. Throws OperationError, leaving the
// cells alone, while the editor lacks the model's definitions or when the file
// has more fuse bytes than `model` has. Returns the log line
// ("调入文件 x.elf 的熔丝位:..C9E4 锁定位:FC").
QString applyFileFuseBits(const FuseCommands& commands, FuseEditor& editor, const QString& model,
                          const QString& fileName, const QByteArray& fuses,
                          std::optional<quint8> lock);

// 3 for the models whose extended fuse byte the programmer writes, else 2.
int modelFuseByteCount(const QString& model);

}  // namespace kv
