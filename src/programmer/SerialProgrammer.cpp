// SPDX-License-Identifier: MIT
#include "programmer/SerialProgrammer.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include "core/HexDigits.h"
#include "core/OperationError.h"
#include "link/ProgrammerLink.h"
#include "link/WireCommands.h"

namespace kv {

namespace {

// Index of the first character that is not a hex digit, or -1.
qsizetype firstNonHex(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (hexDigitValue(text.at(i)) < 0)
            return i;
    }
    return -1;
}

QByteArray bytesOf(const QString& digits) {
    QByteArray bytes(digits.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(hexDigitValue(digits[2 * i]) << 4 | hexDigitValue(digits[2 * i + 1]));
    return bytes;
}

QString missingAcks(qint64 count) {
    return QCoreApplication::translate("WriteAcks",
                                       "%1个字节没有得到编程器确认（\"!\"），可能未写入!")
        .arg(count);
}

}  // namespace

// One call's exchange: the link busy throughout, and what an earlier call
// left unread drained first. A call that leaves early (an error, a stop) or
// whose reply ended short stays unsettled, so the next one drains.
class SerialProgrammer::Call {
public:
    explicit Call(SerialProgrammer& owner) : m_owner(owner), m_exchange(owner.m_link) {
        if (m_owner.m_unsettled) {
            const ProtocolTimings& t = m_owner.m_timings;
            if (!m_owner.m_link.drainUntilQuiet(t.drainQuiet, t.drainLimit)) {
                throw OperationError(
                    ErrorKind::Garbled,
                    QCoreApplication::translate("SerialProgrammer",
                                                "编程器仍在发送上一条命令的数据：请等几秒再试，"
                                                "或拔下编程器再插上。"));
            }
        }
        m_owner.m_unsettled = true;
    }
    // The reply was complete: nothing of it is left on the line.
    void settled() { m_owner.m_unsettled = false; }

private:
    SerialProgrammer& m_owner;
    ProgrammerLink::Exchange m_exchange;
};

SerialProgrammer::SerialProgrammer(ProgrammerLink& link, ProtocolTimings timings)
    : m_link(link), m_timings(timings) {}

QString SerialProgrammer::fuseField(const FuseBytes& fuses) {
    const QString extended = fuses.extended ? hexField(*fuses.extended, 2) : QStringLiteral("..");
    return extended + hexField(fuses.high, 2) + hexField(fuses.low, 2);
}

void SerialProgrammer::progress(MemoryKind memory, qint64 percent, qint64 confirmed,
                                qint64 total) const {
    report(ProgrammerEvent::progress(memory, int(qBound(qint64(0), percent, qint64(100))),
                                     confirmed, total));
}

Reply SerialProgrammer::replyAfter(int ms) {
    m_link.delayMs(ms);
    Reply reply;
    if (m_link.inputCount() > 0)
        reply.text = m_link.readInput();
    report(reply.answered() ? ProgrammerEvent::reply(ProgrammerLink::replyText(reply.text))
                            : ProgrammerEvent::problem(ProgrammerLink::replyText(reply.text)));
    return reply;
}

Reply SerialProgrammer::checkConnection() {
    Call call(*this);
    m_link.discardInput();
    m_link.delayMs(m_timings.checkSettle);
    m_link.sendCommand(wire::checkLink());
    const Reply reply = replyAfter(m_timings.checkReply);
    call.settled();
    return reply;
}

Reply SerialProgrammer::firmwareVersion() {
    Call call(*this);
    m_link.discardInput();
    m_link.sendCommand(wire::firmwareVersion());
    const Reply reply = replyAfter(m_timings.firmwareReply);
    call.settled();
    return reply;
}

QString SerialProgrammer::identify(SignatureRead how) {
    Call call(*this);
    QString signature;
    if (how == SignatureRead::AllThree) {
        for (int address = 0; address < 3; ++address) {
            m_link.sendCommand(wire::readInfoByte(address));
            signature += m_link.readAfter(m_timings.infoByteReply);
        }
    } else {
        m_link.discardInput();
        if (how == SignatureRead::AfterVendorSettled)
            m_link.delayMs(m_timings.signatureSettle);
        QString bytes;
        for (int address = 1; address <= 2; ++address) {
            m_link.sendCommand(wire::readInfoByte(address));
            bytes += m_link.readAfter(m_timings.infoByteReply);
        }
        signature = QStringLiteral("1E") + bytes;
    }
    call.settled();
    return signature;
}

Reply SerialProgrammer::erase() {
    Call call(*this);
    m_link.sendCommand(wire::eraseChip());
    const Reply reply = replyAfter(m_timings.eraseReply);
    call.settled();
    return reply;
}

void SerialProgrammer::checkCapacity(MemoryKind memory, qint64 bytes) const {
    const qint64 capacity =
        memory == MemoryKind::Flash ? geometry().flashSize : qint64(geometry().eepromSize);
    if (bytes > capacity) {
        throw OperationError(
            QCoreApplication::translate("ImageWriter",
                                        "%1缓冲区数据(%2字节)超出芯片容量(%3字节)，未写入！")
                .arg(memoryName(memory))
                .arg(bytes)
                .arg(capacity));
    }
}

WriteOutcome SerialProgrammer::write(MemoryKind memory, const QByteArray& image) {
    if (image.isEmpty()) {
        WriteOutcome outcome;
        outcome.memory = memory;
        return outcome;
    }
    return memory == MemoryKind::Flash ? writeFlash(image) : writeEeprom(image);
}

WriteOutcome SerialProgrammer::writeFlash(const QByteArray& image) {
    WriteOutcome outcome;
    outcome.memory = MemoryKind::Flash;
    Call call(*this);
    checkCapacity(MemoryKind::Flash, image.size());
    QByteArray bytes = image;
    // The header counts words; a lone last byte gets the erased value as its partner.
    if (bytes.size() % 2 != 0)
        bytes.append(char(0xFF));
    const int pageWords = geometry().flashPageWords;
    const qsizetype pageBytes = 2 * qsizetype(pageWords);
    if (pageBytes <= 0)
        throw OperationError(
            QCoreApplication::translate("ImageWriter", "FLASH页大小未知，未写入！"));
    const int wordsMinusOne = int(bytes.size() / 2 - 1);

    report(ProgrammerEvent::note(QCoreApplication::translate("ImageWriter", "写FLASH......")));
    m_link.sendCommand(wire::writeFlashImage());
    m_link.yieldOnce();
    m_link.delayMs(m_timings.flashStartSettle);
    m_link.setBinaryInput(true);
    qsizetype sent = 0;
    qsizetype confirmed = 0;
    // What came after the last page's acknowledgement byte: the start of the
    // closing text when no short block follows.
    QByteArray closing;
    try {
        m_link.delayMs(m_timings.flashHeaderSettle);
        m_link.sendBytes(QByteArray(1, char(pageWords)));
        m_link.sendBytes(QByteArray(1, char(wordsMinusOne >> 8 & 0xFF)));
        m_link.sendBytes(QByteArray(1, char(wordsMinusOne & 0xFF)));
        m_link.delayMs(m_timings.flashPagesSettle);
        while (bytes.size() - sent >= pageBytes) {
            m_link.sendBytes(bytes.mid(sent, pageBytes));
            m_link.waitOutputDrained();
            sent += pageBytes;
            // The bar moves when the page has left; the tally when it is confirmed.
            progress(MemoryKind::Flash, sent * 100 / bytes.size(), confirmed, bytes.size());
            m_link.waitInputArrived();
            confirmed = sent;
            closing = m_link.readInputBytes().mid(1);
            progress(MemoryKind::Flash, sent * 100 / bytes.size(), confirmed, bytes.size());
            // Only the two waits above hold the window; between pages it
            // repaints and shows the progress (device commands stay refused
            // while the link is busy).
            m_link.yieldOnce();
        }
        if (sent < bytes.size()) {
            closing.clear();
            m_link.sendBytes(bytes.mid(sent));
            m_link.waitOutputDrained();
            sent = bytes.size();
        }
        progress(MemoryKind::Flash, 100, confirmed, bytes.size());
        // The closing text is collected raw and decoded whole, so a character
        // split between the acknowledgement read and this one stays intact.
        m_link.delayMs(m_timings.flashClosingReply);
        closing += m_link.readInputBytes();
    } catch (...) {
        // Every later exchange expects text input.
        m_link.setBinaryInput(false);
        report(ProgrammerEvent::problem(
            QCoreApplication::translate("ImageWriter", "写FLASH中断，已发送%1字节。").arg(sent)));
        throw;
    }
    m_link.setBinaryInput(false);
    QStringDecoder gbk("GBK");
    const QString reply = gbk.decode(closing);
    report(reply.isEmpty() ? ProgrammerEvent::problem(ProgrammerLink::replyText(reply))
                           : ProgrammerEvent::reply(ProgrammerLink::replyText(reply)));
    outcome.sent = true;
    outcome.bytesSent = sent;
    outcome.replied = !reply.isEmpty();
    // A short last block gets no acknowledgement of its own: the closing text
    // is what confirms it.
    outcome.acknowledged = outcome.replied ? sent : confirmed;
    call.settled();
    return outcome;
}

WriteOutcome SerialProgrammer::writeEeprom(const QByteArray& bytes) {
    WriteOutcome outcome;
    outcome.memory = MemoryKind::Eeprom;
    Call call(*this);
    checkCapacity(MemoryKind::Eeprom, bytes.size());
    const qint64 total = bytes.size();
    m_link.yieldOnce();
    qint64 missing = 0;
    for (qsizetype a = 0; a < bytes.size(); ++a) {
        // Every digit on the line is upper case.
        m_link.sendCommand(wire::writeEepromByte(hexField(quint8(bytes[a]), 2), a));
        progress(MemoryKind::Eeprom, (2 * a + 1) * 100 / (2 * total), a - missing, total);
        if (!m_link.waitForAcknowledgement(m_timings.cellAck))
            ++missing;
    }
    progress(MemoryKind::Eeprom, 100, total - missing, total);
    report(ProgrammerEvent::note(QCoreApplication::translate("ImageWriter", "写EEPROM结束!")));
    m_link.delayMs(m_timings.eepromWriteEnd);
    m_link.discardInput();
    if (missing > 0)
        report(ProgrammerEvent::problem(missingAcks(missing)));
    outcome.sent = true;
    outcome.bytesSent = bytes.size();
    outcome.unacknowledged = missing;
    outcome.acknowledged = total - missing;
    call.settled();
    return outcome;
}

qint64 SerialProgrammer::replyLimitMs(qint64 count, int firstWaitMs) const {
    // The programmer reads the chip far faster than the line carries it, so the
    // reply's line time bounds it; a factor absorbs adapters that deliver in
    // bursts, and the quiet limit covers a late start.
    return firstWaitMs + m_timings.readLineTimeFactor * m_link.lineTimeMs(2 * count) +
           m_timings.readQuietLimit;
}

SerialProgrammer::Collected SerialProgrammer::collect(MemoryKind memory, qint64 count,
                                                      int firstWaitMs, int stepWaitMs) {
    const qint64 expected = 2 * count;
    const qint64 limitMs = replyLimitMs(count, firstWaitMs);
    const qint64 startMs = m_link.clock().nowMs();
    Collected reply;
    reply.outcome.memory = memory;
    reply.outcome.expected = count;
    // From the start, also after a write that left the bar full: a reply that
    // arrives whole within the first wait still shows as progress.
    progress(memory, 0, 0, count);
    m_link.delayMs(firstWaitMs);
    int quietMs = 0;
    int lastWaitMs = firstWaitMs;
    bool tooSlow = false;
    for (;;) {
        const QString arrived = m_link.readInput();
        quietMs = arrived.isEmpty() ? quietMs + lastWaitMs : 0;
        reply.text += arrived;
        if (reply.text.size() >= expected) {
            reply.text.truncate(expected);
            reply.outcome.received = count;
            progress(memory, 100, count, count);
            return reply;
        }
        progress(memory, reply.text.size() * 50 / count, reply.text.size() / 2, count);
        if (quietMs >= m_timings.readQuietLimit)
            break;
        if (m_link.clock().nowMs() - startMs >= limitMs) {
            tooSlow = true;
            break;
        }
        m_link.delayMs(stepWaitMs);
        lastWaitMs = stepWaitMs;
    }
    const QString name = memoryName(memory);
    reply.outcome.received = reply.text.size() / 2;
    reply.outcome.stop = reply.text.isEmpty() ? ReadOutcome::Stop::NoAnswer
                         : tooSlow            ? ReadOutcome::Stop::TooSlow
                                              : ReadOutcome::Stop::Stopped;
    if (reply.text.isEmpty()) {
        report(
            ProgrammerEvent::problem(QCoreApplication::translate("ImageReader", "编程器无反应!")));
    } else if (tooSlow) {
        report(ProgrammerEvent::problem(
            QCoreApplication::translate(
                "ImageReader", "编程器发送%1数据过慢：%2毫秒内收到%3字节，应为%4字节，已停止读取!")
                .arg(name)
                .arg(limitMs)
                .arg(reply.text.size() / 2)
                .arg(count)));
    } else {
        report(ProgrammerEvent::problem(
            QCoreApplication::translate("ImageReader",
                                        "编程器停止发送%1数据：收到%2字节，应为%3字节!")
                .arg(name)
                .arg(reply.text.size() / 2)
                .arg(count)));
    }
    return reply;
}

ReadResult SerialProgrammer::read(MemoryKind memory, qint64 count) {
    const bool flash = memory == MemoryKind::Flash;
    Call call(*this);
    m_link.discardInput();
    m_link.sendCommand(wire::readMemory(memory, count));
    report(ProgrammerEvent::note(
        flash ? QCoreApplication::translate("ImageReader", "读取芯片FLASH!")
              : QCoreApplication::translate("ImageReader", "读取芯片EEPROM!")));
    const int firstMs = flash ? m_timings.flashReadFirst : m_timings.eepromReadFirst;
    const int stepMs = flash ? m_timings.flashReadStep : m_timings.eepromReadStep;
    const Collected reply = collect(memory, count, firstMs, stepMs);
    ReadResult result;
    result.outcome = reply.outcome;
    if (!reply.outcome.complete())
        return result;  // unsettled: the rest may still come
    call.settled();
    // Only a whole memory of hex digits is data: a fragment or a garbled reply
    // written back or saved later would pass for the chip's content.
    const qsizetype bad = firstNonHex(reply.text);
    if (bad >= 0) {
        result.outcome.stop = ReadOutcome::Stop::Garbled;
        result.outcome.garbledAt = bad / 2;
        report(ProgrammerEvent::problem(
            memoryName(memory) +
            QCoreApplication::translate("ImageReader",
                                        "读取应答无效：地址%1处不是十六进制数字，未读入数据!")
                .arg(hexField(bad / 2, 4))));
        return result;
    }
    result.bytes = bytesOf(reply.text);
    return result;
}

VerifyOutcome SerialProgrammer::verify(MemoryKind memory, const QByteArray& image, qint64 count) {
    const bool flash = memory == MemoryKind::Flash;
    VerifyOutcome result;
    result.memory = memory;
    if (count < 0)
        count = image.size();
    if (count == 0) {
        report(ProgrammerEvent::note(
            flash ? QCoreApplication::translate("ImageReader", "FLASH缓冲区无数据！")
                  : QCoreApplication::translate("ImageReader", "EEPROM缓冲区无数据！")));
        return result;
    }
    const qint64 capacity = flash ? geometry().flashSize : qint64(geometry().eepromSize);
    if (count > capacity) {
        throw OperationError(
            memoryName(memory) +
            QCoreApplication::translate("ImageReader",
                                        "缓冲区数据(%1字节)超出芯片容量(%2字节)，无法校验！")
                .arg(count)
                .arg(capacity));
    }
    Call call(*this);
    m_link.discardInput();
    m_link.sendCommand(wire::readMemory(memory, count));
    report(ProgrammerEvent::note(
        flash ? QCoreApplication::translate("ImageReader", "校验FLASH......")
              : QCoreApplication::translate("ImageReader", "校验EEPROM......")));
    const Collected reply = collect(memory, count, m_timings.verifyFirst,
                                    flash ? m_timings.flashReadStep : m_timings.eepromReadStep);
    result.read = reply.outcome;
    // A read-back cut short says nothing about the chip: it is not judged.
    if (!reply.outcome.complete()) {
        result.result = VerifyOutcome::Result::ReadIncomplete;
        return result;
    }
    call.settled();
    for (qint64 i = 0; i < count; ++i) {
        const int high = hexDigitValue(reply.text[2 * i]);
        const int low = hexDigitValue(reply.text[2 * i + 1]);
        // A pair that is not hex matches nothing, nor does the image's tail.
        if (i >= image.size() || high < 0 || low < 0 || quint8(image[i]) != (high << 4 | low)) {
            result.result = VerifyOutcome::Result::Differs;
            result.firstDifference = i;
            return result;
        }
    }
    result.result = VerifyOutcome::Result::Matched;
    report(ProgrammerEvent::note(
        flash ? QCoreApplication::translate("ImageReader", "校验FLASH通过。")
              : QCoreApplication::translate("ImageReader", "校验EEPROM通过。")));
    return result;
}

FuseReading SerialProgrammer::readFuses() {
    Call call(*this);
    FuseReading reading;
    m_link.discardInput();
    m_link.sendCommand(wire::readFuses());
    m_link.delayMs(m_timings.fuseReadReply);
    if (m_link.inputCount() == 0) {
        // What comes within this last look is logged, but it is no reading.
        replyAfter(0);
        call.settled();
        return reading;
    }
    reading.reply = m_link.readInput();
    const QString f = reading.reply.left(8);
    if (f.size() == 8 && isHexText(f))
        reading.digits = f.toUpper();
    // What follows the eight digits, or a reply that is none, is no later
    // command's answer.
    m_link.discardInput();
    call.settled();
    return reading;
}

Reply SerialProgrammer::writeFuses(const FuseBytes& fuses) {
    Call call(*this);
    m_link.sendCommand(wire::writeFuses(fuseField(fuses)));
    const Reply reply = replyAfter(m_timings.fuseWriteReply);
    call.settled();
    return reply;
}

Reply SerialProgrammer::resetFuses(const FuseBytes& fuses) {
    Call call(*this);
    m_link.sendCommand(wire::recoverFuses(fuseField(fuses)));
    const Reply reply = replyAfter(m_timings.fuseResetReply);
    call.settled();
    return reply;
}

Reply SerialProgrammer::writeLock(quint8 lock) {
    Call call(*this);
    m_link.sendCommand(wire::writeLock(hexField(lock, 2)));
    const Reply reply = replyAfter(m_timings.lockReply);
    call.settled();
    return reply;
}

bool SerialProgrammer::writeCell(MemoryKind memory, qint64 address, const QByteArray& cell) {
    Call call(*this);
    QString digits;
    for (char b : cell)
        digits += hexField(quint8(b), 2);
    m_link.sendCommand(memory == MemoryKind::Flash ? wire::writeFlashWord(digits, address)
                                                   : wire::writeEepromByte(digits, address));
    const bool acknowledged = m_link.waitForAcknowledgement(m_timings.cellAck);
    call.settled();
    return acknowledged;
}

QString SerialProgrammer::readCell(MemoryKind memory, qint64 address) {
    Call call(*this);
    m_link.discardInput();
    m_link.sendCommand(memory == MemoryKind::Flash ? wire::readFlashWord(address)
                                                   : wire::readEepromByte(address));
    const QString reply = m_link.readAfter(m_timings.cellReadReply);
    call.settled();
    return reply;
}

QStringList SerialProgrammer::readInfoBytes(const QList<int>& addresses) {
    Call call(*this);
    QStringList replies;
    for (int address : addresses) {
        m_link.sendCommand(wire::readInfoByte(address));
        replies << m_link.readAfter(m_timings.infoByteReply);
    }
    call.settled();
    return replies;
}

bool SerialProgrammer::writeCalibration(MemoryKind memory, qint64 address, quint8 value) {
    Call call(*this);
    const QString digits = hexField(value, 2);
    bool acknowledged = false;
    if (memory == MemoryKind::Flash) {
        const QString word =
            address % 2 == 1 ? QStringLiteral("FF") + digits : digits + QStringLiteral("FF");
        m_link.sendCommand(wire::writeFlashWord(word, address / 2));
        acknowledged = m_link.waitForAcknowledgement(m_timings.cellAck);
    } else {
        m_link.sendCommand(wire::writeEepromByte(digits, address));
        acknowledged = m_link.waitForAcknowledgement(m_timings.cellAck);
        m_link.delayMs(m_timings.calibrationEepromEnd);
    }
    report(
        ProgrammerEvent::note(QCoreApplication::translate("CalibrationBytes", "写校准字节结束!")));
    m_link.discardInput();
    if (!acknowledged)
        report(ProgrammerEvent::problem(missingAcks(1)));
    call.settled();
    return acknowledged;
}

}  // namespace kv
