// SPDX-License-Identifier: MIT
#include "operations/CalibrationBytes.h"

#include <QCoreApplication>
#include <QStringList>

#include "catalogue/ModelState.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/ProgrammerLink.h"
#include "link/WireCommands.h"
#include "operations/AddressText.h"
#include "operations/CalibrationLayout.h"
#include "operations/CalibrationState.h"
#include "operations/WriteAcks.h"

namespace kv {

namespace {

bool isHexByte(const QString& text) {
    return text.size() == 2 && isHexText(text);
}

}  // namespace

CalibrationBytes::CalibrationBytes(ProgrammerLink& link, ModelState& model, CalibrationState& state)
    : m_link(link), m_model(model), m_state(state) {}

bool CalibrationBytes::readCalibrationBytes() {
    ProgrammerLink::Exchange exchange(m_link);
    m_state.disableSlots();
    const CalibrationLayout layout = CalibrationLayout::forModel(m_model.selectedModelName());
    if (layout.bytes.isEmpty()) {
        return false;
    }
    QStringList replies;
    for (const CalibrationLayout::Byte& byte : layout.bytes) {
        replies << m_link.readInfoByte(byte.address);
    }
    m_link.sendInfo(QCoreApplication::translate("CalibrationBytes", "校准字节:%1")
                        .arg(replies.join(QLatin1Char('-'))));
    // A missing, short or garbled reply must not become a value that "写 入" sends.
    for (const QString& reply : replies) {
        if (!isHexByte(reply)) {
            return false;
        }
    }
    for (int i = 0; i < layout.bytes.size(); ++i) {
        m_state.fillSlot(layout.bytes.at(i).slot, replies.at(i).toUpper());
    }
    if (layout.selects) {
        m_state.setSelectedSlot(layout.selects);
    }
    m_state.setWriteEnabled(true);
    return true;
}

CalibrationWrite CalibrationBytes::writeCalibrationByte() {
    ProgrammerLink::Exchange exchange(m_link);
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
    bool acknowledged = false;
    if (toFlash) {
        const bool odd = *address % 2 == 1;
        const QString data = odd ? QStringLiteral("FF") + value : value + QStringLiteral("FF");
        m_link.sendCommand(wire::writeFlashWord(data, *address / 2));
        acknowledged = m_link.waitForAcknowledgement();
    } else {
        m_link.sendCommand(wire::writeEepromByte(value, *address));
        acknowledged = m_link.waitForAcknowledgement();
        m_link.delayMs(1);
    }

    m_link.sendInfo(QCoreApplication::translate("CalibrationBytes", "写校准字节结束!"));
    m_link.discardInput();
    if (!acknowledged)
        m_link.sendInfo(missingAcksText(1));
    return {acknowledged, toFlash, *address, value};
}

}  // namespace kv
