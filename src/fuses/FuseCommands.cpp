#include "fuses/FuseCommands.h"

#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "fuses/FuseBitText.h"
#include "fuses/FuseEditor.h"
#include "link/ProgrammerLink.h"

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

const QStringList& FuseCommands::ExtendedFuseModels() {
    static const QStringList models = {QStringLiteral("ATMEGA48"), QStringLiteral("ATMEGA88"),
                                       QStringLiteral("ATMEGA168"), QStringLiteral("ATTINY2313")};
    return models;
}

bool FuseCommands::hasExtendedFuseByte(const QString& model) {
    return ExtendedFuseModels().contains(model);  // exact, case-sensitive
}

QString FuseCommands::FuseField(const FuseEditor& editor, const QString& model) {
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
    m_link.SendInfo(refusal);
    return false;
}

void FuseCommands::requireDefinitions(const QString& refused) const {
    const QString& problem = m_editor.definitionsProblem();
    if (!problem.isEmpty()) {
        throw OperationError(problem + QStringLiteral("，所示熔丝位不是本型号的定义，") + refused);
    }
}

void FuseCommands::ReadFuses(const QString& model) {
    ProgrammerLink::Exchange exchange(m_link);
    ButtonOff off(this, &FuseCommands::setReadFuseEnabled);
    m_lastReading.clear();
    m_link.DiscardInput();
    m_link.SendCommand(QStringLiteral("RS#"));
    m_link.DelayMs(100);
    if (m_link.InputCount() == 0) {
        m_link.ReplyToLog(0);
        return;
    }
    const QString reply = m_link.ReadInput();
    const QString f = reply.left(8);
    // A short or garbled reply would otherwise decode to cells the chip never
    // had, and the next write would program them.
    if (f.size() < 8 || !isHexText(f)) {
        m_link.SendInfo(QStringLiteral("读熔丝位应答无效，熔丝位未改变：") + reply);
        m_link.DiscardInput();
        return;
    }
    m_lastReading = f.toUpper();
    const QString fuses =
        hasExtendedFuseByte(model) ? f.right(6) : QStringLiteral("..") + f.right(4);
    m_link.SendInfo(QStringLiteral("读熔丝位:") + fuses + QStringLiteral(" 锁定位:") + f.left(2));

    QString bits = HexToBin(f).rightJustified(32, QLatin1Char('1'));
    const QString& defaults = m_editor.DefaultFuseBits();
    for (int p = 0; p < 32 && p < defaults.size(); ++p) {
        if (defaults.at(p) == QLatin1Char('*'))
            bits[p] = QLatin1Char('*');
    }
    m_editor.ApplyFuseBits(bits);
    m_link.DiscardInput();
}

QString FuseCommands::ReadBackFuses(const QString& model) {
    ProgrammerLink::Exchange exchange(m_link);
    m_lastReading.clear();
    m_link.DiscardInput();
    m_link.SendCommand(QStringLiteral("RS#"));
    m_link.DelayMs(100);
    if (m_link.InputCount() == 0) {
        m_link.ReplyToLog(0);
        return QString();
    }
    const QString reply = m_link.ReadInput();
    const QString f = reply.left(8);
    // A cut reply would otherwise end in the right four digits and pass for them.
    if (f.size() < 8 || !isHexText(f)) {
        m_link.SendInfo(QStringLiteral("读熔丝位应答无效：") + reply);
        return QString();
    }
    m_lastReading = f.toUpper();
    return hasExtendedFuseByte(model) ? f.right(6) : QStringLiteral("..") + f.right(4);
}

void FuseCommands::WriteFuses(const QString& model) {
    requireDefinitions(QStringLiteral("没有写熔丝位。"));
    ProgrammerLink::Exchange exchange(m_link);
    ButtonOff off(this, &FuseCommands::setWriteFuseEnabled);
    if (!checkCells(0, lastFuseCell(model),
                    QStringLiteral("熔丝位未设定好（有空位或非法字符），没有写熔丝位。")))
        return;
    m_link.SendCommand(QStringLiteral("WS") + FuseField(m_editor, model) + QLatin1Char('#'));
    m_link.ReplyToLog(200);
}

void FuseCommands::RecoverFuses(const QString& model) {
    requireDefinitions(QStringLiteral("没有恢复熔丝。"));
    ProgrammerLink::Exchange exchange(m_link);
    m_lastRecoverConfirmed = false;
    if (!checkCells(
            0, lastFuseCell(model),
            QStringLiteral("默认熔丝位无效（缺少该型号的熔丝定义文件？），没有恢复熔丝。"))) {
        m_link.SendInfo(QStringLiteral("恢复失败！"));
        return;
    }
    const QString sent = FuseField(m_editor, model);
    m_link.SendCommand(QStringLiteral("SS") + sent + QLatin1Char('#'));
    m_link.ReplyToLog(800);
    const QString readBack = ReadBackFuses(model);
    // The read-back is checked hex; digits of either case carry the same bytes.
    const bool same = readBack.compare(sent, Qt::CaseInsensitive) == 0;
    m_lastRecoverConfirmed = same;
    m_link.SendInfo(same ? QStringLiteral("恢复成功！") : QStringLiteral("恢复失败！"));
}

void FuseCommands::WriteLockBits() {
    requireDefinitions(QStringLiteral("没有写锁定位。"));
    ProgrammerLink::Exchange exchange(m_link);
    if (!checkCells(24, 31, QStringLiteral("锁定位未设定好（有空位或非法字符），没有写锁定位。")))
        return;
    m_link.SendCommand(QStringLiteral("WL") + m_editor.byteText(3) + QLatin1Char('#'));
    m_link.ReplyToLog(100);
}

void FuseCommands::EraseChip() {
    ProgrammerLink::Exchange exchange(m_link);
    m_link.SendCommand(QStringLiteral("EM#"));
    m_link.ReplyToLog(100);
}

void FuseCommands::SetFuseDefault() {
    requireDefinitions(QStringLiteral("没有调入默认值。"));
    m_editor.ApplyFuseBits(m_editor.DefaultFuseBits());
}

void FuseCommands::RecoverFuse(const QString& model) {
    requireDefinitions(QStringLiteral("没有恢复熔丝。"));
    m_editor.ApplyFuseBits(m_editor.DefaultFuseBits());
    RecoverFuses(model);
}

}  // namespace kv
