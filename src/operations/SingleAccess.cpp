// SPDX-License-Identifier: MIT
#include "operations/SingleAccess.h"

#include "catalogue/ModelState.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/ProgrammerLink.h"
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

QString SingleAccess::address(int row) {
    const int largest = row == 0 ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    const std::optional<int> value =
        checkedAddress(m_model.singleAccessAddress(row).text(), largest);
    if (!value)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    return hexField(*value, 4);
}

bool SingleAccess::write(MemoryKind memory) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    const QString where = address(row);
    return send(row, where, m_state.dataText(row));
}

bool SingleAccess::writeAt(MemoryKind memory, qint64 address, const QString& data) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    const qint64 largest = row == 0 ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    if (address < 0 || address > largest)
        throw OperationError(addressFormatError(), ErrorKind::Refused);
    return send(row, hexField(address, 4), data);
}

bool SingleAccess::send(int row, const QString& where, const QString& text) {
    const int width = row == 0 ? 4 : 2;
    const QString data = text.trimmed().toUpper();
    if (!isHexText(data) || data.size() > width)
        throw OperationError(dataFormatError(), ErrorKind::Refused);
    m_link.sendCommand((row == 0 ? QStringLiteral("WW") : QStringLiteral("WE")) + pad(data, width) +
                       where + QStringLiteral("#"));
    const bool acknowledged = m_link.waitForText(100, QStringLiteral("!"));
    if (!acknowledged)
        m_link.sendInfo(noReplyText());
    return acknowledged;
}

QString SingleAccess::read(MemoryKind memory) {
    const int row = memory == MemoryKind::Flash ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    const QString where = address(row);
    m_link.discardInput();
    m_link.sendCommand((row == 0 ? QStringLiteral("RW") : QStringLiteral("RB")) + where +
                       QStringLiteral("#"));
    const QString reply = m_link.readAfter(100);
    m_state.setDataText(row, reply);
    if (reply.isEmpty())
        m_link.sendInfo(noReplyText());
    return reply;
}

}  // namespace kv
