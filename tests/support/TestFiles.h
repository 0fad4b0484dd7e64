// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace kv::test {

// A file of the shared test data (KV_TEST_DATA/images).
inline QString testImage(const QString& name) {
    return QStringLiteral(KV_TEST_DATA "/images/") + name;
}

// The whole content of a file, which must exist.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Creates or replaces a file with exactly these bytes; returns its path.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

// Text files the program reads and writes in code page 936.
inline QString writeGbk(const QString& path, const QString& text) {
    return writeFile(path, QStringEncoder("GBK").encode(text));
}
inline QString readGbk(const QString& path) {
    return QStringDecoder("GBK").decode(readFile(path));
}

}  // namespace kv::test
