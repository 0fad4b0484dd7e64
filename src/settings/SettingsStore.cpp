// SPDX-License-Identifier: MIT
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>

namespace kv {

namespace {

const QString kApplicationField = QStringLiteral("application");
const QString kSectionsField = QStringLiteral("sections");
constexpr int kMaxEncodedNameLength = 160;

enum class LoadResult { Loaded, Missing, Unreadable, Invalid };

LoadResult loadSettings(const QString& path, QJsonObject& root, QString* reason = nullptr) {
    QFile file(path);
    if (!file.exists()) {
        return LoadResult::Missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason) {
            *reason = file.errorString();
        }
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

// An empty reason would read as success.
QString reasonOf(const QString& error) {
    return error.isEmpty() ? QCoreApplication::translate("SettingsStore", "未知原因") : error;
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
    const QString reason = replaceFile(section, key, value);
    if (reason.isEmpty()) {
        m_error.clear();
        return true;
    }
    reportFailure(reason);
    return false;
}

QString SettingsStore::failureText(const QString& reason) const {
    return QCoreApplication::translate("SettingsStore", "设置未能保存到 %1：%2")
        .arg(QDir::toNativeSeparators(filePath()), reason);
}

void SettingsStore::reportFailure(const QString& reason) {
    m_error = reason;
    if (m_batchDepth > 0) {
        if (m_reportedInBatch.contains(reason)) {
            return;
        }
        m_reportedInBatch << reason;
    }
    const QString text = failureText(reason);
    if (m_report) {
        m_report(text);
    } else {
        qWarning("%s", qUtf8Printable(text));
    }
}

QString SettingsStore::replaceFile(const QString& section, const QString& key,
                                   const QString& value) {
    const QString path = filePath();
    QJsonObject root;
    QString error;
    switch (loadSettings(path, root, &error)) {
        case LoadResult::Loaded:
        case LoadResult::Missing:
            break;
        case LoadResult::Unreadable:
            return reasonOf(error);
        case LoadResult::Invalid: {
            // Keep a damaged file for inspection instead of silently losing it.
            const QString aside = path + QStringLiteral(".bad");
            QFile::remove(aside);
            QFile damaged(path);
            if (!damaged.copy(aside)) {
                return reasonOf(damaged.errorString());
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

    errno = 0;
    if (!QDir().mkpath(m_folder)) {
        const int cause = errno;
        QString reason = QCoreApplication::translate("SettingsStore", "无法建立文件夹 %1")
                             .arg(QDir::toNativeSeparators(m_folder));
        if (cause != 0) {
            reason += QStringLiteral(" (") + qt_error_string(cause) + QLatin1Char(')');
        }
        return reason;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return reasonOf(file.errorString());
    }
    if (!writeContent(file, QJsonDocument(root).toJson(QJsonDocument::Indented))) {
        const QString reason = reasonOf(file.errorString());
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return reasonOf(file.errorString());
    }
    return QString();
}

bool SettingsStore::writeContent(QIODevice& file, const QByteArray& content) {
    return file.write(content) == content.size();
}

}  // namespace kv
