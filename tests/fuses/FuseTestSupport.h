#pragma once

#include <QString>
#include <QStringList>
#include <ostream>
#include <utility>
#include <vector>

#include "fuses/FuseTypes.h"

// Readable gtest output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l)
        *os << "\n  \"" << s.toStdString() << '"';
    *os << " }";
}

namespace kv::test {

// Definitions as a successful load would give them: options in the order
// given, positions 1, 3, 5, ... shaded, a trailing "*" turned into the mark.
inline FuseDefinitions makeDefinitions(const QString& defaultBits,
                                       const std::vector<std::pair<QString, QString>>& options) {
    FuseDefinitions d;
    d.defaultBits = defaultBits;
    for (int i = 0; i < 32; ++i)
        d.names << QStringLiteral("B%1").arg(i);
    for (const auto& [key, text] : options) {
        FuseOption o;
        o.key = key;
        o.text = text;
        o.shaded = d.options.size() % 2 == 0;
        if (o.text.endsWith(QLatin1Char('*'))) {
            o.text.chop(1);
            o.marked = true;
        }
        d.options.append(o);
    }
    return d;
}

// 32 characters from four bytes written as 8-character groups, lock first.
inline QString bits(const QString& lock, const QString& extended, const QString& high,
                    const QString& low) {
    return lock + extended + high + low;
}

}  // namespace kv::test
