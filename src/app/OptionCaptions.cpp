// SPDX-License-Identifier: MIT
#include "app/OptionCaptions.h"

#include <QDir>
#include <QFile>

namespace kv {

bool OptionCaptions::load(const QStringList& folders) {
    m_captions.clear();
    for (const QString& folder : folders) {
        QFile file(QDir(folder).filePath(fileName()));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).remove(QLatin1Char('\r'));
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() == 3 && !fields[2].isEmpty())
                m_captions.insert(fields[0].toUpper() + u'\t' + fields[1], fields[2]);
        }
        return true;
    }
    return false;
}

QString OptionCaptions::caption(const QString& model, const QString& key) const {
    return m_captions.value(model.toUpper() + u'\t' + key);
}

}  // namespace kv
