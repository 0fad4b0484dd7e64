// SPDX-License-Identifier: MIT
#include "pass/ProgrammerKinds.h"

#include "programmer/SerialProgrammer.h"

namespace kv {

const QList<ProgrammerKind>& programmerKinds() {
    static const QList<ProgrammerKind> kinds = {
        {QStringLiteral("serial"),
         QStringLiteral("the high-voltage programmer's ASCII command protocol"),
         [](ProgrammerLink& link) { return std::make_unique<SerialProgrammer>(link); }},
    };
    return kinds;
}

const ProgrammerKind* findProgrammerKind(const QString& name) {
    for (const ProgrammerKind& kind : programmerKinds()) {
        if (kind.name == name)
            return &kind;
    }
    return nullptr;
}

}  // namespace kv
