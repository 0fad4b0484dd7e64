// SPDX-License-Identifier: MIT
#include "fuses/FuseCommands.h"

#include <QCoreApplication>

#include "catalogue/ChipModelTable.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "fuses/FuseBitText.h"
#include "fuses/FuseEditor.h"
#include "programmer/Programmer.h"

namespace kv {

namespace {

// Restores a toolbar flag on every way out, port errors included.
class ButtonOff {
public:
    ButtonOff(FuseCommands* owner, void (FuseCommands::*set)(bool)) : m_owner(owner), m_set(set) {
        (m_owner->*m_set)(false);
    }
    ~ButtonOff() { (m_owner->*m_set)(true); }

private:
    FuseCommands* m_owner;
    void (FuseCommands::*m_set)(bool);
};

// The cells whose bytes "WS"/"SS" carry: low and high, plus extended when sent.
int lastFuseCell(const QString& model) {
    return FuseCommands::hasExtendedFuseByte(model) ? 23 : 15;
}

}  // namespace

FuseCommands::FuseCommands(Programmer& programmer, FuseEditor& editor, QObject* parent)
    : QObject(parent), m_programmer(programmer), m_editor(editor) {}

bool FuseCommands::hasExtendedFuseByte(const QString& model) {
    const ChipModel* row = ChipModelTable::find(model);  // exact, case-sensitive
    return row && row->extendedFuse;
}

QString FuseCommands::fuseField(const FuseEditor& editor, const QString& model) {
    const QString extended = hasExtendedFuseByte(model) ? editor.byteText(2) : QStringLiteral("..");
    return extended + editor.byteText(1) + editor.byteText(0);
}

FuseBytes FuseCommands::fuseBytes(const FuseEditor& editor, const QString& model) {
    FuseBytes bytes;
    bytes.low = editor.fuseLow();
    bytes.high = editor.fuseHigh();
    if (hasExtendedFuseByte(model))
        bytes.extended = editor.fuseExtended();
    return bytes;
}

QString FuseCommands::fuseCellsRefusal(const QString& model) const {
    if (m_editor.cellsClean(0, lastFuseCell(model)))
        return QString();
    return QCoreApplication::translate("FuseCommands",
                                       "熔丝位未设定好（有空位或非法字符），没有写熔丝位。");
}

QString FuseCommands::lockCellsRefusal() const {
    if (m_editor.cellsClean(24, 31))
        return QString();
    return QCoreApplication::translate("FuseCommands",
                                       "锁定位未设定好（有空位或非法字符），没有写锁定位。");
}

void FuseCommands::setReadFuseEnabled(bool on) {
    if (m_readFuseEnabled == on)
        return;
    m_readFuseEnabled = on;
    Q_EMIT buttonsChanged();
}

void FuseCommands::setWriteFuseEnabled(bool on) {
    if (m_writeFuseEnabled == on)
        return;
    m_writeFuseEnabled = on;
    Q_EMIT buttonsChanged();
}

bool FuseCommands::checkCells(const QString& refusal) {
    if (refusal.isEmpty())
        return true;
    m_programmer.note(refusal);
    return false;
}

void FuseCommands::requireDefinitions(const QString& refused) const {
    const QString& problem = m_editor.definitionsProblem();
    if (!problem.isEmpty()) {
        throw OperationError(
            QCoreApplication::translate("FuseCommands", "%1，所示熔丝位不是本型号的定义，%2")
                .arg(problem, refused));
    }
}

QString FuseCommands::requestFuseReading(const char* invalidText) {
    const FuseReading reading = m_programmer.readFuses();
    if (reading.answered() && !reading.valid())
        m_programmer.problem(
            QCoreApplication::translate("FuseCommands", invalidText).arg(reading.reply));
    return reading.digits;
}

QString FuseCommands::fuseFieldOf(const QString& reading, const QString& model) {
    if (reading.size() != 8)
        return QString();
    return hasExtendedFuseByte(model) ? reading.right(6) : QStringLiteral("..") + reading.right(4);
}

QString FuseCommands::readFuseBytes() {
    return requestFuseReading(QT_TRANSLATE_NOOP("FuseCommands", "读熔丝位应答无效：%1"));
}

QString FuseCommands::readFuses(const QString& model) {
    ButtonOff off(this, &FuseCommands::setReadFuseEnabled);
    // A short or garbled reply would otherwise decode to cells the chip never
    // had, and the next write would program them.
    const QString f =
        requestFuseReading(QT_TRANSLATE_NOOP("FuseCommands", "读熔丝位应答无效，熔丝位未改变：%1"));
    if (f.isEmpty())
        return f;
    const QString fuses = fuseFieldOf(f, model);
    m_programmer.note(
        QCoreApplication::translate("FuseCommands", "读熔丝位:%1 锁定位:%2").arg(fuses, f.left(2)));

    QString bits = hexToBin(f).rightJustified(32, QLatin1Char('1'));
    const QString& defaults = m_editor.defaultFuseBits();
    for (int p = 0; p < 32 && p < defaults.size(); ++p) {
        if (defaults.at(p) == QLatin1Char('*'))
            bits[p] = QLatin1Char('*');
    }
    m_editor.applyFuseBits(bits);
    return f;
}

QString FuseCommands::readBackFuses(const QString& model) {
    // A cut reply would otherwise end in the right four digits and pass for them.
    return fuseFieldOf(readFuseBytes(), model);
}

std::optional<QString> FuseCommands::writeFuses(const QString& model) {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有写熔丝位。"));
    ButtonOff off(this, &FuseCommands::setWriteFuseEnabled);
    if (!checkCells(fuseCellsRefusal(model)))
        return std::nullopt;
    return m_programmer.writeFuses(fuseBytes(m_editor, model)).text;
}

FuseCommands::Recovery FuseCommands::recoverFuses(const QString& model) {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有恢复熔丝。"));
    Recovery recovery;
    if (!m_editor.cellsClean(0, lastFuseCell(model))) {
        m_programmer.note(QCoreApplication::translate(
            "FuseCommands", "默认熔丝位无效（缺少该型号的熔丝定义文件？），没有恢复熔丝。"));
        m_programmer.note(QCoreApplication::translate("FuseCommands", "恢复失败！"));
        return recovery;
    }
    const QString sent = fuseField(m_editor, model);
    m_programmer.resetFuses(fuseBytes(m_editor, model));
    recovery.reading = readFuseBytes();
    const QString readBack = fuseFieldOf(recovery.reading, model);
    // The read-back is checked hex; digits of either case carry the same bytes.
    recovery.confirmed = readBack.compare(sent, Qt::CaseInsensitive) == 0;
    m_programmer.note(recovery.confirmed
                          ? QCoreApplication::translate("FuseCommands", "恢复成功！")
                          : QCoreApplication::translate("FuseCommands", "恢复失败！"));
    return recovery;
}

std::optional<QString> FuseCommands::writeLockBits() {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有写锁定位。"));
    if (!checkCells(lockCellsRefusal()))
        return std::nullopt;
    return m_programmer.writeLock(m_editor.lockByte()).text;
}

QString FuseCommands::eraseChip() {
    return m_programmer.erase().text;
}

void FuseCommands::applyFuseDefaults() {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有调入默认值。"));
    m_editor.applyFuseBits(m_editor.defaultFuseBits());
}

FuseCommands::Recovery FuseCommands::recoverDefaultFuses(const QString& model) {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有恢复熔丝。"));
    m_editor.applyFuseBits(m_editor.defaultFuseBits());
    return recoverFuses(model);
}

}  // namespace kv
