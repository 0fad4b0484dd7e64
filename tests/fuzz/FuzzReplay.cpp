// SPDX-License-Identifier: MIT
// Replays stored inputs through a fuzz target's entry point, without
// libFuzzer: kelvaro-fuzz-replay TARGET FILE_OR_FOLDER...
// Every seed and every input that once found a fault runs on each test run.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <map>
#include <string>

#include "FuzzTarget.h"

namespace kv::fuzz {
std::map<std::string, Entry>& registry();
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const auto& targets = kv::fuzz::registry();
    if (argc < 3 || !targets.count(argv[1])) {
        std::fprintf(stderr, "usage: kelvaro-fuzz-replay TARGET FILE_OR_FOLDER...\ntargets:");
        for (const auto& [name, entry] : targets)
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    const kv::fuzz::Entry entry = targets.at(argv[1]);
    QStringList files;
    for (int i = 2; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            for (const QFileInfo& f : QDir(path).entryInfoList(QDir::Files, QDir::Name))
                files << f.filePath();
        } else if (QFileInfo::exists(path)) {
            files << path;
        }
    }
    // A target without inputs would pass without testing anything.
    if (files.isEmpty()) {
        std::fprintf(stderr, "%s: no inputs found\n", argv[1]);
        return 1;
    }
    for (const QString& path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        // Named first, so that a failing property points at its input.
        std::fprintf(stderr, "%s\n", qPrintable(path));
        entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%s: %lld inputs replayed\n", argv[1], static_cast<long long>(files.size()));
    return 0;
}
