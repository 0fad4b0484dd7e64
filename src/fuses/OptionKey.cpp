// SPDX-License-Identifier: MIT
#include "fuses/OptionKey.h"

#include <QCoreApplication>

#include "core/HexDigits.h"

namespace kv {

namespace {

bool upperHex4(QStringView text, quint16* out) {
    if (text.size() != 4)
        return false;
    quint16 value = 0;
    for (const QChar c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0 || c.isLower())
            return false;
        value = quint16(value << 4 | digit);
    }
    *out = value;
    return true;
}

bool singleBitClear(quint16 bitsInUse) {
    return bitsInUse != 0 && (bitsInUse & (bitsInUse - 1)) == 0;
}

std::optional<OptionKey> fail(QString* problem, const QString& text) {
    if (problem)
        *problem = text;
    return std::nullopt;
}

}  // namespace

quint16 OptionKey::fieldBits() const {
    const quint16 all = (m_kind == Kind::FSB || m_kind == Kind::FDB) ? 0xFFFF : 0x00FF;
    return quint16(~m_mask & all);
}

std::optional<OptionKey> OptionKey::parse(const QString& key, QString* problem) {
    if (key.size() != 14)
        return fail(problem,
                    QCoreApplication::translate("OptionKey", "键“%1”不是14个字符").arg(key));
    static const struct {
        const char* text;
        Kind kind;
    } kinds[] = {{"FSB", Kind::FSB},
                 {"FSE", Kind::FSE},
                 {"FDB", Kind::FDB},
                 {"FDE", Kind::FDE},
                 {"FDL", Kind::FDL}};
    OptionKey k;
    bool known = false;
    for (const auto& entry : kinds) {
        if (QStringView(key).left(3) == QLatin1String(entry.text)) {
            k.m_kind = entry.kind;
            known = true;
        }
    }
    if (!known)
        return fail(problem, QCoreApplication::translate("OptionKey",
                                                         "键“%1”的种类不是FSB、FSE、FDB、FDE或FDL")
                                 .arg(key));
    if (key.at(9) != QLatin1Char('/'))
        return fail(problem,
                    QCoreApplication::translate("OptionKey", "键“%1”的第10个字符不是“/”").arg(key));
    if (!upperHex4(QStringView(key).mid(5, 4), &k.m_mask) ||
        !upperHex4(QStringView(key).mid(10, 4), &k.m_value))
        return fail(problem, QCoreApplication::translate("OptionKey",
                                                         "键“%1”的掩码或取值不是4位大写十六进制数")
                                 .arg(key));
    k.m_maskText = key.mid(5, 4);

    const bool word = k.m_kind == Kind::FSB || k.m_kind == Kind::FDB;
    if (!word && (k.m_mask & 0xFF00) != 0)
        return fail(problem,
                    QCoreApplication::translate("OptionKey", "键“%1”的掩码应以00开头").arg(key));
    const quint16 bits = k.fieldBits();
    if (k.isGroup()) {
        if (bits == 0)
            return fail(
                problem,
                QCoreApplication::translate("OptionKey", "键“%1”的掩码不含任何位").arg(key));
        if ((k.m_value & ~bits) != 0)
            return fail(
                problem,
                QCoreApplication::translate("OptionKey", "键“%1”的取值超出该组的位").arg(key));
    } else if (!singleBitClear(bits)) {
        return fail(
            problem,
            QCoreApplication::translate("OptionKey", "键“%1”的掩码不是恰好一个位").arg(key));
    }
    return k;
}

}  // namespace kv
