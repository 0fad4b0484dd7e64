// SPDX-License-Identifier: MIT
#include "operations/SingleAccess.h"

#include "catalogue/ModelState.h"
#include "core/HexDigits.h"
#include "core/UserPrompts.h"
#include "link/ProgrammerLink.h"
#include "operations/AddressText.h"
#include "operations/SingleAccessState.h"

namespace kv {

namespace {

QString pad(const QString& text, int width) {
    return ProgrammerLink::padText(text, QLatin1Char('0'), width, true);
}

}  // namespace

SingleAccess::SingleAccess(ProgrammerLink& link, ModelState& model, SingleAccessState& state,
                           UserPrompts& prompts, QString title)
    : m_link(link), m_model(model), m_state(state), m_prompts(prompts), m_title(std::move(title)) {}

std::optional<QString> SingleAccess::address(int row) {
    const int largest = row == 0 ? m_model.flashSize() / 2 - 1 : m_model.eepromSize() - 1;
    const std::optional<int> value =
        checkedAddress(m_model.singleAccessAddress(row).text(), largest);
    if (!value) {
        m_prompts.warning(m_title, addressFormatError());
        return std::nullopt;
    }
    return hexField(*value, 4);
}

void SingleAccess::singleWrite(int row) {
    row = row == 0 ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    m_lastWriteAcknowledged = false;
    const std::optional<QString> where = address(row);
    if (!where) {
        return;
    }
    const int width = row == 0 ? 4 : 2;
    const QString data = m_state.dataText(row).trimmed().toUpper();
    if (!isHexText(data) || data.size() > width) {
        m_prompts.warning(m_title, dataFormatError());
        return;
    }
    m_link.sendCommand((row == 0 ? QStringLiteral("WW") : QStringLiteral("WE")) + pad(data, width) +
                       *where + QStringLiteral("#"));
    m_lastWriteAcknowledged = m_link.waitForText(100, QStringLiteral("!"));
    if (!m_lastWriteAcknowledged)
        m_link.sendInfo(noReplyText());
}

void SingleAccess::singleRead(int row) {
    row = row == 0 ? 0 : 1;
    ProgrammerLink::Exchange exchange(m_link);
    const std::optional<QString> where = address(row);
    if (!where) {
        return;
    }
    m_link.discardInput();
    m_link.sendCommand((row == 0 ? QStringLiteral("RW") : QStringLiteral("RB")) + *where +
                       QStringLiteral("#"));
    const QString reply = m_link.readAfter(100);
    m_state.setDataText(row, reply);
    if (reply.isEmpty())
        m_link.sendInfo(noReplyText());
}

}  // namespace kv
