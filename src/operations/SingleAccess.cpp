// SPDX-License-Identifier: MIT
#include "operations/SingleAccess.h"

#include "catalogue/ModelState.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "operations/AddressText.h"
#include "operations/SingleAccessState.h"
#include "programmer/Programmer.h"

namespace kv {

namespace {

// The cell's bytes from its digits as typed, left-padded to the cell's width.
QByteArray cellBytes(const QString& digits, int width) {
    const QString padded = QString(width - digits.size(), QLatin1Char('0')) + digits;
    QByteArray bytes;
    for (int i = 0; i < width; i += 2)
        bytes.append(char(hexDigitValue(padded[i]) << 4 | hexDigitValue(padded[i + 1])));
    return bytes;
}

}  // namespace

SingleAccess::SingleAccess(Programmer& programmer, ModelState& model, SingleAccessState& state)
    : m_programmer(programmer), m_model(model), m_state(state) {}

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
    return send(row, address(row), m_state.dataText(row));
}

bool SingleAccess::writeAt(MemoryKind memory, qint64 address, const QString& data) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
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
    const qint64 largest = flash ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    if (address < 0 || address > largest)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    return m_programmer.readCell(memory, address);
}

bool SingleAccess::send(int row, qint64 where, const QString& text) {
    const int width = row == 0 ? 4 : 2;
    const QString data = text.trimmed().toUpper();
    if (!isHexText(data) || data.size() > width)
        throw OperationError(dataFormatError(), ErrorKind::Refused);
    const bool acknowledged = m_programmer.writeCell(
        row == 0 ? MemoryKind::Flash : MemoryKind::Eeprom, where, cellBytes(data, width));
    if (!acknowledged)
        m_programmer.problem(noReplyText());
    return acknowledged;
}

QString SingleAccess::read(MemoryKind memory) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    const qint64 where = address(row);
    const QString reply = m_programmer.readCell(memory, where);
    m_state.setDataText(row, reply);
    if (reply.isEmpty())
        m_programmer.problem(noReplyText());
    return reply;
}

}  // namespace kv
