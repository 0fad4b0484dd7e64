// SPDX-License-Identifier: MIT
#include "operations/ProgramOptions.h"

#include <QCoreApplication>

#include "settings/SettingsStore.h"

namespace kv {

namespace {

const QString kSection = QStringLiteral("编程选项");
const QString kKey = QStringLiteral("设置");

bool isValue(int value) {
    return value >= 0 && value <= 2;
}

}  // namespace

ProgramOptions::ProgramOptions(QObject* parent) : QObject(parent) {}

QString ProgramOptions::caption(int index) {
    static const std::array<const char*, kCount> captions{
        QT_TRANSLATE_NOOP("ProgramOptions", "擦除芯片"),
        QT_TRANSLATE_NOOP("ProgramOptions", "编程FLASH"),
        QT_TRANSLATE_NOOP("ProgramOptions", "编程EEPROM"),
        QT_TRANSLATE_NOOP("ProgramOptions", "编程熔丝位"),
        QT_TRANSLATE_NOOP("ProgramOptions", "编程锁定位"),
        QT_TRANSLATE_NOOP("ProgramOptions", "文件重载"),
        QT_TRANSLATE_NOOP("ProgramOptions", "校验标识字"),
        QT_TRANSLATE_NOOP("ProgramOptions", "写校准字节"),
        QT_TRANSLATE_NOOP("ProgramOptions", "校验FLASH"),
        QT_TRANSLATE_NOOP("ProgramOptions", "校验EEPROM")};
    return QCoreApplication::translate("ProgramOptions", captions.at(index));
}

bool ProgramOptions::setOptionValue(int index, int value) {
    if (index < 0 || index >= kCount || !isValue(value)) {
        return false;
    }
    if (m_values[index] != value) {
        m_values[index] = value;
        Q_EMIT changed();
    }
    return true;
}

bool ProgramOptions::setValues(const Values& values) {
    for (int v : values) {
        if (!isValue(v)) {
            return false;
        }
    }
    if (values != m_values) {
        m_values = values;
        Q_EMIT changed();
    }
    return true;
}

QString ProgramOptions::toText() const {
    QString text;
    for (int v : m_values) {
        text += QString::number(v);
    }
    return text;
}

bool ProgramOptions::setFromText(const QString& text) {
    if (text.size() != kCount) {
        return false;
    }
    Values values{};
    for (int i = 0; i < kCount; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('2')) {
            return false;
        }
        values[i] = c.unicode() - '0';
    }
    return setValues(values);
}

void ProgramOptions::restore(const SettingsStore& settings) {
    setFromText(settings.read(kSection, kKey));
}

bool ProgramOptions::store(SettingsStore& settings) const {
    return settings.write(kSection, kKey, toText());
}

}  // namespace kv
