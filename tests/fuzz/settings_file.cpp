// SPDX-License-Identifier: MIT
// The settings file as found on disk (any bytes), then one write: a value
// written reads back, the other values readable before stay as they were, and
// a file that is not valid settings is kept aside byte for byte.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzTarget.h"
#include "settings/SettingsStore.h"

KV_FUZZ_TARGET(settings_file) {
    const QString app = QStringLiteral("KELVARO 模糊测试");
    const QString folder = kv::fuzz::scratchFolder() + QStringLiteral("/settings");
    QDir().mkpath(folder);
    kv::SettingsStore store(app, folder);
    store.setFailureReport([](const QString&) {});
    QFile::remove(store.filePath() + QStringLiteral(".bad"));
    kv::fuzz::writeScratch(QStringLiteral("settings/") + kv::SettingsStore::fileNameFor(app),
                           kv::fuzz::bytesOf(data, size));

    QList<QPair<QString, QString>> probes = {
        {QStringLiteral("属性"), QStringLiteral("通信端口")},
        {QStringLiteral("属性"), QStringLiteral("设置")},
        {QStringLiteral("FLASH"), QStringLiteral("文件")},
        {QStringLiteral("a"), QStringLiteral("b")},
    };
    // Every key the file names, whatever the store makes of it.
    const QJsonObject sections = QJsonDocument::fromJson(kv::fuzz::bytesOf(data, size))
                                     .object()
                                     .value("sections")
                                     .toObject();
    for (auto section = sections.begin(); section != sections.end() && probes.size() < 64;
         ++section) {
        const QJsonObject keys = section.value().toObject();
        for (auto key = keys.begin(); key != keys.end() && probes.size() < 64; ++key) {
            if (section.key() != u"FLASH" || key.key() != u"文件")
                probes.append({section.key(), key.key()});
        }
    }
    QStringList before;
    for (const auto& [section, key] : probes)
        before << store.read(section, key);
    const QString value = QStringLiteral("COM%1 \"\\\n").arg(size);
    if (!store.write(QStringLiteral("FLASH"), QStringLiteral("文件"), value))
        return 0;
    // What the store could not read as settings is beside it, exactly as it was.
    QFile aside(store.filePath() + QStringLiteral(".bad"));
    if (aside.open(QIODevice::ReadOnly))
        KV_FUZZ_CHECK(aside.readAll() == kv::fuzz::bytesOf(data, size));
    for (qsizetype i = 0; i < probes.size(); ++i) {
        const QString now = store.read(probes[i].first, probes[i].second);
        KV_FUZZ_CHECK(now == (i == 2 ? value : before[i]));
    }
    return 0;
}
