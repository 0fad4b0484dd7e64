#include "settings/SettingsStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace kv {

namespace {

const QString kApplicationField = QStringLiteral("application");
const QString kSectionsField = QStringLiteral("sections");
constexpr int kMaxEncodedNameLength = 160;

enum class LoadResult { Loaded, Missing, Unreadable, Invalid };

LoadResult loadSettings(const QString& path, QJsonObject& root) {
    QFile file(path);
    if (!file.exists()) {
        return LoadResult::Missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return LoadResult::Unreadable;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return LoadResult::Invalid;
    }
    root = document.object();
    return LoadResult::Loaded;
}

}  // namespace

SettingsStore::SettingsStore(const QString& applicationName, const QString& folder)
    : m_applicationName(applicationName), m_folder(folder.isEmpty() ? defaultFolder() : folder) {}

QString SettingsStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kelvaro");
}

QString SettingsStore::fileNameFor(const QString& applicationName) {
    // "~" is kept for the hash separator; a leading "." would hide the file.
    QString encoded = QString::fromLatin1(applicationName.toUtf8().toPercentEncoding({}, "~"));
    if (encoded.startsWith(QLatin1Char('.'))) {
        encoded.replace(0, 1, QStringLiteral("%2E"));
    }
    if (encoded.size() > kMaxEncodedNameLength) {
        int cut = kMaxEncodedNameLength;
        // Never split a %XX triplet.
        if (encoded.at(cut - 1) == QLatin1Char('%')) {
            cut -= 1;
        } else if (encoded.at(cut - 2) == QLatin1Char('%')) {
            cut -= 2;
        }
        const QByteArray hash =
            QCryptographicHash::hash(applicationName.toUtf8(), QCryptographicHash::Sha256);
        encoded = encoded.left(cut) + QLatin1Char('~') + QString::fromLatin1(hash.toHex().left(32));
    }
    return encoded + QStringLiteral(".json");
}

QString SettingsStore::filePath() const {
    return m_folder + QLatin1Char('/') + fileNameFor(m_applicationName);
}

QString SettingsStore::read(const QString& section, const QString& key) const {
    QJsonObject root;
    if (loadSettings(filePath(), root) != LoadResult::Loaded) {
        return QString();
    }
    return root.value(kSectionsField).toObject().value(section).toObject().value(key).toString();
}

bool SettingsStore::write(const QString& section, const QString& key, const QString& value) {
    const QString path = filePath();
    QJsonObject root;
    switch (loadSettings(path, root)) {
        case LoadResult::Loaded:
        case LoadResult::Missing:
            break;
        case LoadResult::Unreadable:
            return false;
        case LoadResult::Invalid: {
            // Keep a damaged file for inspection instead of silently losing it.
            const QString aside = path + QStringLiteral(".bad");
            QFile::remove(aside);
            if (!QFile::copy(path, aside)) {
                return false;
            }
            root = QJsonObject();
            break;
        }
    }

    QJsonObject sections = root.value(kSectionsField).toObject();
    QJsonObject entries = sections.value(section).toObject();
    entries.insert(key, value);
    sections.insert(section, entries);
    root.insert(kApplicationField, m_applicationName);
    root.insert(kSectionsField, sections);

    if (!QDir().mkpath(m_folder)) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!writeContent(file, QJsonDocument(root).toJson(QJsonDocument::Indented))) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SettingsStore::writeContent(QIODevice& file, const QByteArray& content) {
    return file.write(content) == content.size();
}

}  // namespace kv
