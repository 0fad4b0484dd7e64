// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

namespace kv {

class ModelState;
class SettingsStore;

// What the frame "校准选项" shows: four slots (1, 2, 4, 8 MHz) each with its
// value caption (slotValue) and an enabled flag shared by the label and its option
// button Sel_OA, the selected slot, the destination Sel_FE and whether
// WriteOA_Command is enabled. The two destination address boxes are the model
// state's flashCalibrationAddress and eepromCalibrationAddress.
class CalibrationState : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 4;
    static constexpr int kTargetFlash = 0;   // Sel_FE(0) "Flash"
    static constexpr int kTargetEeprom = 1;  // Sel_FE(1) "Eeprom"

    explicit CalibrationState(QObject* parent = nullptr);

    static QString slotCaption(int slot);  // Label_OA: "1MHz" ... "8MHz"

    const QString& slotValue(int slot) const { return m_values.at(slot); }
    bool isSlotEnabled(int slot) const { return m_enabled.at(slot); }
    std::optional<int> selectedSlot() const { return m_slot; }
    std::optional<int> selectedTarget() const { return m_target; }
    bool isWriteEnabled() const { return m_writeEnabled; }

    // Out-of-range indices are refused (false, nothing changes).
    bool setSelectedSlot(std::optional<int> slot);
    bool setSelectedTarget(std::optional<int> target);
    // A read's result: caption and enabled flag of one slot.
    void fillSlot(int slot, const QString& value);
    void disableSlots();
    void setWriteEnabled(bool enabled);

    // Section "校准": "HZ" and "FE" (" n" form, a missing value selects index
    // 0), "FLASH" and "EEPROM" (address texts, "8191" and "511" when missing;
    // the boxes' edit rule limits them to the selected model).
    void restore(const SettingsStore& settings, ModelState& model);
    // HZ and FE only when something is selected; the addresses always. Stops
    // at the first key the store refuses (and reports): the rest would fail alike.
    [[nodiscard]] bool store(SettingsStore& settings, ModelState& model) const;

Q_SIGNALS:
    void changed();

private:
    std::array<QString, kSlotCount> m_values;
    std::array<bool, kSlotCount> m_enabled{};
    std::optional<int> m_slot;
    std::optional<int> m_target;
    bool m_writeEnabled = false;
};

}  // namespace kv
