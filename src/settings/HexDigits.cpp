#include "settings/HexDigits.h"

namespace kv {

bool isHexText(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (hexDigitValue(c) < 0)
            return false;
    }
    return true;
}

}  // namespace kv
