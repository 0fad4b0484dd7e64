// SPDX-License-Identifier: MIT
#include "operations/CalibrationBytes.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

#include "catalogue/ModelState.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "operations/AddressText.h"
#include "operations/CalibrationLayout.h"
#include "operations/CalibrationState.h"
#include "pass/PassPlan.h"
#include "programmer/Programmer.h"

namespace kv {

namespace {

bool isHexByte(const QString& text) {
    return text.size() == 2 && isHexText(text);
}

}  // namespace

CalibrationBytes::CalibrationBytes(Programmer& programmer, ModelState& model,
                                   CalibrationState& state)
    : m_programmer(programmer), m_model(model), m_state(state) {}

bool CalibrationBytes::readCalibrationBytes() {
    m_state.disableSlots();
    const CalibrationLayout layout = CalibrationLayout::forModel(m_model.selectedModelName());
    if (layout.bytes.isEmpty()) {
        return false;
    }
    QList<int> addresses;
    for (const CalibrationLayout::Byte& byte : layout.bytes)
        addresses << byte.address;
    const QStringList replies = m_programmer.readInfoBytes(addresses);
    m_programmer.note(QCoreApplication::translate("CalibrationBytes", "校准字节:%1")
                          .arg(replies.join(QLatin1Char('-'))));
    // A missing, short or garbled reply must not become a value that "写 入" sends.
    const bool filled = std::all_of(replies.begin(), replies.end(), isHexByte);
    showReading(replies, filled);
    return filled;
}

void CalibrationBytes::showReading(const QStringList& replies, bool filled) {
    m_state.disableSlots();
    const CalibrationLayout layout = CalibrationLayout::forModel(m_model.selectedModelName());
    if (!filled || replies.size() != layout.bytes.size())
        return;
    for (int i = 0; i < layout.bytes.size(); ++i) {
        m_state.fillSlot(layout.bytes.at(i).slot, replies.at(i).toUpper());
    }
    if (layout.selects) {
        m_state.setSelectedSlot(layout.selects);
    }
    m_state.setWriteEnabled(true);
}

CalibrationPlan CalibrationBytes::plan() const {
    CalibrationPlan plan;
    const CalibrationLayout layout = CalibrationLayout::forModel(m_model.selectedModelName());
    const std::optional<int> chosen =
        layout.selects ? std::optional<int>(layout.selects) : m_state.selectedSlot();
    for (int i = 0; i < layout.bytes.size(); ++i) {
        plan.infoAddresses << layout.bytes.at(i).address;
        if (chosen && layout.bytes.at(i).slot == *chosen)
            plan.chosen = i;
    }
    const bool toFlash = m_state.selectedTarget() == CalibrationState::kTargetFlash;
    plan.target = toFlash ? MemoryKind::Flash : MemoryKind::Eeprom;
    const std::optional<int> address =
        toFlash
            ? checkedAddress(m_model.flashCalibrationAddress().text(), m_model.flashSize() - 1)
            : checkedAddress(m_model.eepromCalibrationAddress().text(), m_model.eepromSize() - 1);
    if (address)
        plan.address = *address;
    else
        plan.addressRefusal = addressFormatError();
    plan.noValueRefusal = noValueText();
    return plan;
}

CalibrationWrite CalibrationBytes::writeCalibrationByte() {
    const bool toFlash = m_state.selectedTarget() == CalibrationState::kTargetFlash;
    const std::optional<int> address =
        toFlash
            ? checkedAddress(m_model.flashCalibrationAddress().text(), m_model.flashSize() - 1)
            : checkedAddress(m_model.eepromCalibrationAddress().text(), m_model.eepromSize() - 1);
    if (!address)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    const std::optional<int> slot = m_state.selectedSlot();
    if (!slot || !m_state.isSlotEnabled(*slot) || !isHexByte(m_state.slotValue(*slot)))
        throw OperationError(noValueText(), ErrorKind::Refused);
    const QString value = m_state.slotValue(*slot);
    const bool acknowledged =
        m_programmer.writeCalibration(toFlash ? MemoryKind::Flash : MemoryKind::Eeprom, *address,
                                      quint8(value.toInt(nullptr, 16)));
    return {acknowledged, toFlash, *address, value};
}

}  // namespace kv
