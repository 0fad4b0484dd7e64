// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kv {

// The line settings text as the port settings dialog shows it: four boxes for
// speed, parity, data bits and stop bits. Parsing is positional from the end of
// the text, so any speed length works; "1.5" stop bits are two characters
// longer than "1" or "2".
struct PortSettingsFields {
    QString speed;
    int parityIndex = -1;  // into parityEntries(); -1: no entry selected
    QString dataBits;
    QString stopBits;

    // The parity letter may be in either case; an unknown letter selects nothing.
    static PortSettingsFields parse(const QString& text);
    // Blanks around the fields dropped, the parity as the entry's upper-case
    // initial, e.g. "115200,N,8,1". No entry gives an empty parity field, which
    // the port refuses.
    QString toText() const;

    static const QStringList& speedEntries();
    static const QStringList& dataBitsEntries();
    static const QStringList& parityEntries();  // Even, Odd, None, Mark, Space
    static const QStringList& stopBitsEntries();
};

}  // namespace kv
