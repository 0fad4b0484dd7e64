// SPDX-License-Identifier: MIT
#include "fuses/FuseCommands.h"

#include <QCoreApplication>

#include "catalogue/ChipModelTable.h"
#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "fuses/FuseBitText.h"
#include "fuses/FuseEditor.h"
#include "link/ProgrammerLink.h"
#include "link/WireCommands.h"

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

FuseCommands::FuseCommands(ProgrammerLink& link, FuseEditor& editor, QObject* parent)
    : QObject(parent), m_link(link), m_editor(editor) {}

bool FuseCommands::hasExtendedFuseByte(const QString& model) {
    const ChipModel* row = ChipModelTable::find(model);  // exact, case-sensitive
    return row && row->extendedFuse;
}

QString FuseCommands::fuseField(const FuseEditor& editor, const QString& model) {
    const QString extended = hasExtendedFuseByte(model) ? editor.byteText(2) : QStringLiteral("..");
    return extended + editor.byteText(1) + editor.byteText(0);
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

bool FuseCommands::checkCells(int first, int last, const QString& refusal) {
    if (m_editor.cellsClean(first, last))
        return true;
    m_link.sendInfo(refusal);
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
    m_link.discardInput();
    m_link.sendCommand(wire::readFuses());
    m_link.delayMs(100);
    if (m_link.inputCount() == 0) {
        m_link.logReplyAfter(0);
        return QString();
    }
    const QString reply = m_link.readInput();
    const QString f = reply.left(8);
    if (f.size() < 8 || !isHexText(f)) {
        m_link.sendInfo(QCoreApplication::translate("FuseCommands", invalidText).arg(reply));
        m_link.discardInput();
        return QString();
    }
    return f;
}

QString FuseCommands::fuseFieldOf(const QString& reading, const QString& model) {
    if (reading.size() != 8)
        return QString();
    return hasExtendedFuseByte(model) ? reading.right(6) : QStringLiteral("..") + reading.right(4);
}

QString FuseCommands::readFuseBytes() {
    ProgrammerLink::Exchange exchange(m_link);
    return requestFuseReading(QT_TRANSLATE_NOOP("FuseCommands", "读熔丝位应答无效：%1")).toUpper();
}

QString FuseCommands::readFuses(const QString& model) {
    ProgrammerLink::Exchange exchange(m_link);
    ButtonOff off(this, &FuseCommands::setReadFuseEnabled);
    // A short or garbled reply would otherwise decode to cells the chip never
    // had, and the next write would program them.
    const QString f =
        requestFuseReading(QT_TRANSLATE_NOOP("FuseCommands", "读熔丝位应答无效，熔丝位未改变：%1"));
    if (f.isEmpty())
        return f;
    const QString fuses = fuseFieldOf(f, model);
    m_link.sendInfo(
        QCoreApplication::translate("FuseCommands", "读熔丝位:%1 锁定位:%2").arg(fuses, f.left(2)));

    QString bits = hexToBin(f).rightJustified(32, QLatin1Char('1'));
    const QString& defaults = m_editor.defaultFuseBits();
    for (int p = 0; p < 32 && p < defaults.size(); ++p) {
        if (defaults.at(p) == QLatin1Char('*'))
            bits[p] = QLatin1Char('*');
    }
    m_editor.applyFuseBits(bits);
    m_link.discardInput();
    return f.toUpper();
}

QString FuseCommands::readBackFuses(const QString& model) {
    ProgrammerLink::Exchange exchange(m_link);
    // A cut reply would otherwise end in the right four digits and pass for them.
    return fuseFieldOf(readFuseBytes(), model);
}

std::optional<QString> FuseCommands::writeFuses(const QString& model) {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有写熔丝位。"));
    ProgrammerLink::Exchange exchange(m_link);
    ButtonOff off(this, &FuseCommands::setWriteFuseEnabled);
    if (!checkCells(0, lastFuseCell(model),
                    QCoreApplication::translate(
                        "FuseCommands", "熔丝位未设定好（有空位或非法字符），没有写熔丝位。")))
        return std::nullopt;
    m_link.sendCommand(wire::writeFuses(fuseField(m_editor, model)));
    return m_link.logReplyAfter(200);
}

FuseCommands::Recovery FuseCommands::recoverFuses(const QString& model) {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有恢复熔丝。"));
    ProgrammerLink::Exchange exchange(m_link);
    Recovery recovery;
    if (!checkCells(
            0, lastFuseCell(model),
            QCoreApplication::translate(
                "FuseCommands", "默认熔丝位无效（缺少该型号的熔丝定义文件？），没有恢复熔丝。"))) {
        m_link.sendInfo(QCoreApplication::translate("FuseCommands", "恢复失败！"));
        return recovery;
    }
    const QString sent = fuseField(m_editor, model);
    m_link.sendCommand(wire::recoverFuses(sent));
    m_link.logReplyAfter(800);
    recovery.reading = readFuseBytes();
    const QString readBack = fuseFieldOf(recovery.reading, model);
    // The read-back is checked hex; digits of either case carry the same bytes.
    recovery.confirmed = readBack.compare(sent, Qt::CaseInsensitive) == 0;
    m_link.sendInfo(recovery.confirmed ? QCoreApplication::translate("FuseCommands", "恢复成功！")
                                       : QCoreApplication::translate("FuseCommands", "恢复失败！"));
    return recovery;
}

std::optional<QString> FuseCommands::writeLockBits() {
    requireDefinitions(QCoreApplication::translate("FuseCommands", "没有写锁定位。"));
    ProgrammerLink::Exchange exchange(m_link);
    if (!checkCells(24, 31,
                    QCoreApplication::translate(
                        "FuseCommands", "锁定位未设定好（有空位或非法字符），没有写锁定位。")))
        return std::nullopt;
    m_link.sendCommand(wire::writeLock(m_editor.byteText(3)));
    return m_link.logReplyAfter(100);
}

QString FuseCommands::eraseChip() {
    ProgrammerLink::Exchange exchange(m_link);
    m_link.sendCommand(wire::eraseChip());
    return m_link.logReplyAfter(100);
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
