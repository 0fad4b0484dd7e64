// SPDX-License-Identifier: MIT
// The English captions table (Set/captions-en.txt), read from a folder as the
// window reads it: it holds a caption for each well-formed line, the last one
// for a model and key given twice, and nothing else.
#include <QDir>
#include <QHash>

#include "FuzzTarget.h"
#include "app/OptionCaptions.h"

KV_FUZZ_TARGET(captions) {
    const QByteArray bytes = kv::fuzz::bytesOf(data, size);
    const QString folder = kv::fuzz::scratchFolder() + QStringLiteral("/captions");
    QDir().mkpath(folder);
    kv::fuzz::writeScratch(QStringLiteral("captions/") + kv::OptionCaptions::fileName(), bytes);
    kv::OptionCaptions table;
    KV_FUZZ_CHECK(table.load({folder}));

    QHash<QPair<QString, QString>, QString> expected;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).remove(u'\r');
        const QStringList fields = line.split(u'\t');
        if (line.startsWith(u'#') || fields.size() != 3 || fields[2].isEmpty())
            continue;
        expected.insert({fields[0].toUpper(), fields[1]}, fields[2]);
    }
    KV_FUZZ_CHECK(table.size() == expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        KV_FUZZ_CHECK(table.caption(it.key().first, it.key().second) == it.value());
        KV_FUZZ_CHECK(table.caption(it.key().first.toLower(), it.key().second) == it.value());
    }
    return 0;
}
