// SPDX-License-Identifier: MIT
#include "schemes/SchemeText.h"

#include <QCoreApplication>
#include <QStringList>

#include "catalogue/ChipModelTable.h"
#include "core/OperationError.h"

namespace kv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

[[noreturn]] void refuse(const QString& detail) {
    throw OperationError(schemeRefusal(detail));
}

QString lineLabel(int line) {
    return QCoreApplication::translate("SchemeText", "第%1行:").arg(line);
}

bool isFuseBits(const QString& text) {
    if (text.size() != 32) {
        return false;
    }
    for (QChar c : text) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1') && c != QLatin1Char('*')) {
            return false;
        }
    }
    return true;
}

bool isDecimal(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// " 2" when set, the empty line when not.
QString indexLine(const std::optional<int>& index) {
    return index ? QStringLiteral(" %1").arg(*index) : QString();
}

// An index line of an older copy is " n"; blanks around the digits are allowed.
std::optional<int> readIndex(const QString& text, int line, int count, const QString& what) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    if (isDecimal(trimmed) && trimmed.size() <= 2) {
        const int value = trimmed.toInt();
        if (value < count) {
            return value;
        }
    }
    refuse(lineLabel(line) + what);
}

// The table's own spelling of a model named in any case with blanks around
// it; empty for a name the table does not know.
QString knownModelName(const QString& text) {
    const QString name = text.trimmed();
    for (const ChipModel& row : ChipModelTable::rows()) {
        if (row.name.compare(name, Qt::CaseInsensitive) == 0) {
            return row.name;
        }
    }
    return QString();
}

const char* const kSlotProblem = QT_TRANSLATE_NOOP("SchemeText", "校准字节序号应为0至3。");
const char* const kTargetProblem = QT_TRANSLATE_NOOP("SchemeText", "校准写入位置序号应为0或1。");

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();  // the terminator of the last line
    }
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    return lines;
}

}  // namespace

QString schemeRefusal(const QString& detail) {
    return QCoreApplication::translate("SchemeText", "方案文件格式错误,未载入任何设置!\n") + detail;
}

QString schemeToText(const Scheme& scheme) {
    if (!isDecimal(scheme.flashAddress) || !isDecimal(scheme.eepromAddress)) {
        throw OperationError(QCoreApplication::translate("SchemeText", "地址框数据格式错误!"));
    }
    if (hasLineBreak(scheme.model) || scheme.model.trimmed().isEmpty() ||
        hasLineBreak(scheme.flashPath) || hasLineBreak(scheme.eepromPath) ||
        !isFuseBits(scheme.fuseBits)) {
        throw OperationError(QCoreApplication::translate("SchemeText", "当前设置无法存为方案!"));
    }
    QString options;
    for (int value : scheme.options) {
        if (value < 0 || value > 2) {
            throw OperationError(
                QCoreApplication::translate("SchemeText", "当前设置无法存为方案!"));
        }
        options += QString::number(value);
    }
    if ((scheme.calibrationSlot &&
         (*scheme.calibrationSlot < 0 || *scheme.calibrationSlot >= Scheme::kSlotCount)) ||
        (scheme.calibrationTarget &&
         (*scheme.calibrationTarget < 0 || *scheme.calibrationTarget >= Scheme::kTargetCount))) {
        throw OperationError(QCoreApplication::translate("SchemeText", "当前设置无法存为方案!"));
    }
    const QStringList lines{scheme.model,
                            scheme.fuseBits,
                            options,
                            scheme.flashPath,
                            scheme.eepromPath,
                            indexLine(scheme.calibrationSlot),
                            indexLine(scheme.calibrationTarget),
                            scheme.flashAddress,
                            scheme.eepromAddress};
    return lines.join(kCrLf) + kCrLf;
}

Scheme schemeFromText(const QString& text) {
    // Older copies stop reading after line 9, so what an editor appends there
    // (a blank line, a note) does not matter.
    const QStringList lines = splitLines(text).mid(0, 9);
    const int count = int(lines.size());
    if (count < 7) {
        refuse(QCoreApplication::translate("SchemeText", "文件共%1行,方案文件应为7至9行。")
                   .arg(count));
    }

    Scheme scheme;
    if (lines.at(0).trimmed().isEmpty()) {
        refuse(lineLabel(1) + QCoreApplication::translate("SchemeText", "芯片型号为空。"));
    }
    // Selecting the fallback model for a name it does not know would put
    // another model's fuse line on the chip.
    scheme.model = knownModelName(lines.at(0));
    if (scheme.model.isEmpty()) {
        refuse(lineLabel(1) +
               QCoreApplication::translate("SchemeText", "芯片型号“%1”不是支持的型号。")
                   .arg(lines.at(0)));
    }
    scheme.fuseBits = lines.at(1);
    if (!isFuseBits(scheme.fuseBits)) {
        refuse(lineLabel(2) + QCoreApplication::translate("SchemeText", "熔丝位应为32个0、1或*。"));
    }
    // A short option line leaves the missing options off; characters after
    // the tenth were never read.
    const QString options = lines.at(2).left(Scheme::kOptionCount);
    for (int i = 0; i < options.size(); ++i) {
        const QChar c = options.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('2')) {
            refuse(lineLabel(3) +
                   QCoreApplication::translate("SchemeText", "编程选项应为至多10个0、1或2。"));
        }
        scheme.options[i] = c.unicode() - '0';
    }
    scheme.flashPath = lines.at(3);
    scheme.eepromPath = lines.at(4);
    // A carriage return inside a line is a file cut by CR alone: the path
    // would run into the next line, and could never be saved again.
    for (int i : {3, 4}) {
        if (lines.at(i).contains(QLatin1Char('\r')))
            refuse(lineLabel(i + 1) +
                   QCoreApplication::translate("SchemeText", "路径中有回车符（行尾只有 CR）。"));
    }

    if (count == 9) {
        scheme.calibrationSlot = readIndex(lines.at(5), 6, Scheme::kSlotCount,
                                           QCoreApplication::translate("SchemeText", kSlotProblem));
        scheme.calibrationTarget =
            readIndex(lines.at(6), 7, Scheme::kTargetCount,
                      QCoreApplication::translate("SchemeText", kTargetProblem));
    } else if (count == 8) {
        // One index line is missing. The target group always has a selection in
        // practice, so 0 and 1 are read as the target; 2 and 3 can only be a slot.
        const std::optional<int> index =
            readIndex(lines.at(5), 6, Scheme::kSlotCount,
                      QCoreApplication::translate("SchemeText", kSlotProblem));
        if (!index) {
            refuse(lineLabel(6) + QCoreApplication::translate("SchemeText", kSlotProblem));
        }
        if (*index < Scheme::kTargetCount) {
            scheme.calibrationTarget = index;
        } else {
            scheme.calibrationSlot = index;
        }
    }

    // The address boxes take any text and their edit rule reads its number;
    // older copies saved whatever a box held, so these lines are taken as they stand.
    scheme.flashAddress = lines.at(count - 2);
    scheme.eepromAddress = lines.at(count - 1);
    return scheme;
}

}  // namespace kv
