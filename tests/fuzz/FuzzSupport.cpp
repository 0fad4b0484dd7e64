// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "FuzzTarget.h"

namespace kv::fuzz {

std::map<std::string, Entry>& registry();

void failed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "property failed: %s\n  at %s:%d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

QList<QByteArray> partsOf(const uint8_t* data, size_t size) {
    return bytesOf(data, size).split('\0');
}

QString scratchFolder() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kelvaro-fuzz-XXXXXX"));
    return dir.path();
}

QString writeScratch(const QString& name, const QByteArray& bytes) {
    const QString path = scratchFolder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        failed("the scratch file could be written", __FILE__, __LINE__);
    return path;
}

#if !defined(KV_LIBFUZZER)
std::map<std::string, Entry>& registry() {
    static std::map<std::string, Entry> targets;
    return targets;
}

bool registerTarget(const char* name, Entry entry) {
    registry()[name] = entry;
    return true;
}
#endif

}  // namespace kv::fuzz
