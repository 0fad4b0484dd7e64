// SPDX-License-Identifier: MIT
#include "operations/CalibrationState.h"

#include "catalogue/ModelState.h"
#include "core/LeadingNumber.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

const QString kSection = QStringLiteral("校准");

QString indexText(int index) {
    return QStringLiteral(" %1").arg(index);
}

// A stored index by the leading-number rule; outside the group it selects nothing new.
std::optional<int> storedIndex(const SettingsStore& settings, const QString& key, int count) {
    const qint64 n = leadingNumber(settings.read(kSection, key));
    if (n < 0 || n >= count) {
        return std::nullopt;
    }
    return int(n);
}

QString storedText(const SettingsStore& settings, const QString& key, const QString& fallback) {
    const QString text = settings.read(kSection, key);
    return text.isEmpty() ? fallback : text;
}

}  // namespace

CalibrationState::CalibrationState(QObject* parent) : QObject(parent) {
    m_values.fill(QStringLiteral("00"));
}

QString CalibrationState::slotCaption(int slot) {
    static const std::array<QString, kSlotCount> captions{
        QStringLiteral("1MHz"), QStringLiteral("2MHz"), QStringLiteral("4MHz"),
        QStringLiteral("8MHz")};
    return captions.at(slot);
}

bool CalibrationState::setSelectedSlot(std::optional<int> slot) {
    if (slot && (*slot < 0 || *slot >= kSlotCount)) {
        return false;
    }
    if (slot != m_slot) {
        m_slot = slot;
        Q_EMIT changed();
    }
    return true;
}

bool CalibrationState::setSelectedTarget(std::optional<int> target) {
    if (target && *target != kTargetFlash && *target != kTargetEeprom) {
        return false;
    }
    if (target != m_target) {
        m_target = target;
        Q_EMIT changed();
    }
    return true;
}

void CalibrationState::fillSlot(int slot, const QString& value) {
    if (m_values.at(slot) == value && m_enabled.at(slot)) {
        return;
    }
    m_values[slot] = value;
    m_enabled[slot] = true;
    Q_EMIT changed();
}

void CalibrationState::disableSlots() {
    if (m_enabled == std::array<bool, kSlotCount>{}) {
        return;
    }
    m_enabled.fill(false);
    Q_EMIT changed();
}

void CalibrationState::setWriteEnabled(bool enabled) {
    if (enabled != m_writeEnabled) {
        m_writeEnabled = enabled;
        Q_EMIT changed();
    }
}

void CalibrationState::restore(const SettingsStore& settings, ModelState& model) {
    if (const auto slot = storedIndex(settings, QStringLiteral("HZ"), kSlotCount)) {
        setSelectedSlot(slot);
    }
    if (const auto target = storedIndex(settings, QStringLiteral("FE"), 2)) {
        setSelectedTarget(target);
    }
    // The boxes' edit rule moves each spinner to minus the box's number.
    model.flashCalibrationAddress().setText(storedText(settings, QStringLiteral("FLASH"), "8191"));
    model.eepromCalibrationAddress().setText(storedText(settings, QStringLiteral("EEPROM"), "511"));
}

bool CalibrationState::store(SettingsStore& settings, ModelState& model) const {
    if (m_slot && !settings.write(kSection, QStringLiteral("HZ"), indexText(*m_slot))) {
        return false;
    }
    if (m_target && !settings.write(kSection, QStringLiteral("FE"), indexText(*m_target))) {
        return false;
    }
    return settings.write(kSection, QStringLiteral("FLASH"),
                          model.flashCalibrationAddress().text()) &&
           settings.write(kSection, QStringLiteral("EEPROM"),
                          model.eepromCalibrationAddress().text());
}

}  // namespace kv
