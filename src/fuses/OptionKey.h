// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

namespace kv {

// The 14-character key of a fuse option: kind (3), tag (2, free), mask (4 hex),
// "/", value (4 hex). The fuse word is high byte << 8 | low byte; the other
// kinds use the low 8 bits of mask and value.
class OptionKey {
public:
    enum class Kind { FSB, FSE, FDB, FDE, FDL };

    // nullopt for a key the editor cannot act on; problem then says why, in
    // the words the load log uses.
    static std::optional<OptionKey> parse(const QString& key, QString* problem = nullptr);

    Kind kind() const { return m_kind; }
    quint16 mask() const { return m_mask; }
    quint16 value() const { return m_value; }
    QString maskText() const { return m_maskText; }
    // "S" kinds act on one bit, "D" kinds on a group of choices.
    bool isGroup() const { return m_kind != Kind::FSB && m_kind != Kind::FSE; }
    // The bits the option controls within its byte or word (the mask's zeros).
    quint16 fieldBits() const;

private:
    Kind m_kind = Kind::FSB;
    quint16 m_mask = 0xFFFF;
    quint16 m_value = 0;
    QString m_maskText;
};

}  // namespace kv
