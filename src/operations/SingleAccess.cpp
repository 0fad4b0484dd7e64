// SPDX-License-Identifier: MIT
#include "operations/SingleAccess.h"

#include "catalogue/ModelState.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/ProgrammerLink.h"
#include "link/WireCommands.h"
#include "operations/AddressText.h"
#include "operations/SingleAccessState.h"

namespace kv {

namespace {

QString pad(const QString& text, int width) {
    return ProgrammerLink::padText(text, QLatin1Char('0'), width, true);
}

}  // namespace

SingleAccess::SingleAccess(ProgrammerLink& link, ModelState& model, SingleAccessState& state)
    : m_link(link), m_model(model), m_state(state) {}

qint64 SingleAccess::address(int row) {
    const int largest = row == 0 ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    const std::optional<int> value =
        checkedAddress(m_model.singleAccessAddress(row).text(), largest);
    if (!value)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    return *value;
}

bool SingleAccess::write(MemoryKind memory) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    return send(row, address(row), m_state.dataText(row));
}

bool SingleAccess::writeAt(MemoryKind memory, qint64 address, const QString& data) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    const qint64 largest = row == 0 ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    if (address < 0 || address > largest)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    return send(row, address, data);
}

QString SingleAccess::heldCalibration(const CalibrationWrite& written) {
    const QString reply = written.toFlash ? readAt(MemoryKind::Flash, written.address / 2)
                                          : readAt(MemoryKind::Eeprom, written.address);
    // The FLASH word comes as it went: the low byte's digits first.
    const QString held =
        written.toFlash ? reply.mid(written.address % 2 == 1 ? 2 : 0, 2) : reply.left(2);
    return held.size() < 2 ? QString() : held.toUpper();
}

QString SingleAccess::readAt(MemoryKind memory, qint64 address) {
    const bool flash = memory == MemoryKind::Flash;
    ProgrammerLink::Exchange exchange(m_link);
    const qint64 largest = flash ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    if (address < 0 || address > largest)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    m_link.discardInput();
    m_link.sendCommand(flash ? wire::readFlashWord(address) : wire::readEepromByte(address));
    return m_link.readAfter(100);
}

bool SingleAccess::send(int row, qint64 where, const QString& text) {
    const int width = row == 0 ? 4 : 2;
    const QString data = text.trimmed().toUpper();
    if (!isHexText(data) || data.size() > width)
        throw OperationError(dataFormatError(), ErrorKind::Refused);
    m_link.sendCommand(row == 0 ? wire::writeFlashWord(pad(data, width), where)
                                : wire::writeEepromByte(pad(data, width), where));
    const bool acknowledged = m_link.waitForAcknowledgement();
    if (!acknowledged)
        m_link.sendInfo(noReplyText());
    return acknowledged;
}

QString SingleAccess::read(MemoryKind memory) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    const qint64 where = address(row);
    m_link.discardInput();
    m_link.sendCommand(row == 0 ? wire::readFlashWord(where) : wire::readEepromByte(where));
    const QString reply = m_link.readAfter(100);
    m_state.setDataText(row, reply);
    if (reply.isEmpty())
        m_link.sendInfo(noReplyText());
    return reply;
}

}  // namespace kv
