// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <array>

namespace kv {

class SettingsStore;

// The ten programming options 0-9: 0 off, 1 on, 2 greyed. Only the
// value 1 runs a step. Initially only option 0 ("擦除芯片") is on.
class ProgramOptions : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 10;
    enum Option {
        EraseChip = 0,         // "擦除芯片"
        ProgramFlash = 1,      // "编程FLASH"
        ProgramEeprom = 2,     // "编程EEPROM"
        ProgramFuses = 3,      // "编程熔丝位"
        ProgramLock = 4,       // "编程锁定位"
        ReloadFiles = 5,       // "文件重载"
        CheckSignature = 6,    // "校验标识字"
        WriteCalibration = 7,  // "写校准字节"
        VerifyFlash = 8,       // "校验FLASH"
        VerifyEeprom = 9,      // "校验EEPROM"
    };
    using Values = std::array<int, kCount>;

    explicit ProgramOptions(QObject* parent = nullptr);

    static QString caption(int index);

    int optionValue(int index) const { return m_values.at(index); }
    bool isOn(int index) const { return m_values.at(index) == 1; }
    const Values& values() const { return m_values; }
    // Values outside 0-2 are refused (false, nothing changes).
    bool setOptionValue(int index, int value);
    bool setValues(const Values& values);

    // The persisted form: ten digits, digit i+1 the value of optionValue(i).
    QString toText() const;
    // Applies a text of exactly ten digits 0-2; anything else changes nothing
    // and returns false.
    bool setFromText(const QString& text);

    // Section "编程选项", key "设置".
    void restore(const SettingsStore& settings);
    // False when the store refused it (and reported why).
    [[nodiscard]] bool store(SettingsStore& settings) const;

Q_SIGNALS:
    void changed();

private:
    Values m_values{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
};

}  // namespace kv
