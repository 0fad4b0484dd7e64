// SPDX-License-Identifier: MIT
#include "programmer/ProgrammerEvents.h"

namespace kv {

void TransferTally::take(const ProgrammerEvent& event) {
    if (event.kind != ProgrammerEvent::Kind::Progress || !event.memory || event.total <= 0)
        return;
    const int i = index(*event.memory);
    m_total[i] = event.total;
    m_confirmed[i] = event.confirmed;
}

int TransferTally::percent(MemoryKind memory) const {
    const int i = index(memory);
    return m_total[i] > 0 ? int(m_confirmed[i] * 100 / m_total[i]) : 0;
}

}  // namespace kv
