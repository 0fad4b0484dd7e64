// SPDX-License-Identifier: MIT
#include "app/SerialFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include "core/OperationError.h"

namespace kv {

namespace {

QString bad(const QString& path, const QString& line) {
    return QCoreApplication::translate("kv::SerialFile", "序列号设置文件 %1 有误：%2")
        .arg(path, line);
}

std::optional<qint64> number(const QString& text) {
    bool ok = false;
    const qint64 value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                             ? text.mid(2).toLongLong(&ok, 16)
                             : text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

}  // namespace

SerialScheme SerialFile::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OperationError(bad(path, file.errorString()), ErrorKind::File);
    return parse(file.readAll(), path);
}

SerialScheme SerialFile::parse(const QByteArray& content, const QString& path) {
    SerialScheme scheme;
    const QStringList lines = QString::fromUtf8(content).split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QString key = line.section(u'=', 0, 0).trimmed().toLower();
        const QString value = line.section(u'=', 1).trimmed();
        const std::optional<qint64> n = number(value);
        if (key == u"name") {
            scheme.name = value;
        } else if (key == u"format" && SerialScheme::formatName(SerialScheme::formatFromName(
                                           value.toLower())) == value.toLower()) {
            scheme.format = SerialScheme::formatFromName(value.toLower());
        } else if (key == u"target" &&
                   (value.toLower() == u"eeprom" || value.toLower() == u"flash")) {
            scheme.target = SerialScheme::targetFromName(value.toLower());
        } else if (n && key == u"start") {
            scheme.start = *n;
        } else if (n && key == u"step") {
            scheme.step = *n;
        } else if (n && *n >= 1 && *n <= 18 && key == u"width") {
            // Checked before it is narrowed: 2^32 + 1 must not become 1.
            scheme.width = int(*n);
        } else if (n && *n >= 0 && *n <= 0xFFFFFFFF && key == u"address") {
            scheme.address = quint32(*n);
        } else {
            throw OperationError(bad(path, line), ErrorKind::File);
        }
    }
    if (!scheme.isValid())
        throw OperationError(bad(path, QStringLiteral("name, step > 0, width")), ErrorKind::File);
    return scheme;
}

std::optional<SerialScheme> SerialFile::loadBeside(const QString& schemePath) {
    const QString path = besideScheme(schemePath);
    if (!QFile::exists(path))
        return std::nullopt;
    return load(path);
}

std::optional<QString> SerialFile::placementProblem(const SerialScheme& scheme, qint64 memoryBytes,
                                                    const QString& path) {
    // Every byte of the number must land in the memory: a write past its end
    // would be folded onto the last address by nobody's intent.
    if (qint64(scheme.address) + scheme.width <= memoryBytes)
        return std::nullopt;
    return QCoreApplication::translate("SerialFile",
                                       "序列号文件 %1：%2字节的序列号在地址 %3 处超出%4"
                                       "（%5字节），未编程。")
        .arg(path)
        .arg(scheme.width)
        .arg(scheme.address)
        .arg(scheme.target == SerialScheme::Target::Flash ? QStringLiteral("FLASH")
                                                          : QStringLiteral("EEPROM"))
        .arg(memoryBytes);
}

}  // namespace kv
