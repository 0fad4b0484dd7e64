// SPDX-License-Identifier: MIT
// Text commands and the FLASH page stream of the simulated programmer.
#include <optional>

#include "sim/ProgrammerTexts.h"
#include "sim/SimChip.h"
#include "sim/SimTiming.h"
#include "sim/SimulatedProgrammer.h"

namespace kv::sim {

using namespace timing;

namespace {

// A field of upper-case hex digits only, as the protocol demands.
std::optional<int> parseHex(const QByteArray& field) {
    if (field.isEmpty()) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : field) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

// Unused bits of a fuse or lock byte read as 1.
quint8 settle(quint8 value, quint8 used) {
    return quint8(value | ~used);
}

}  // namespace

void SimulatedProgrammer::handleCommand(const QByteArray& command, qint64 atUs) {
    const qint64 start = commandStartUs(atUs);
    const QByteArray op = command.left(2);
    const QByteArray args = command.mid(2);
    const auto bad = [&] { queueReply(gbk(texts::kBadArguments), start); };
    // Expects `count` fields of the given widths, all upper-case hex.
    const auto fields = [&](std::initializer_list<int> widths) -> std::optional<std::vector<int>> {
        int total = 0;
        for (int w : widths)
            total += w;
        if (args.size() != total)
            return std::nullopt;
        std::vector<int> values;
        int at = 0;
        for (int w : widths) {
            const auto v = parseHex(args.mid(at, w));
            if (!v)
                return std::nullopt;
            values.push_back(*v);
            at += w;
        }
        return values;
    };

    if (op == "CC" || op == "FM" || op == "RS" || op == "EM" || op == "WF") {
        if (!args.isEmpty()) {
            return bad();
        }
        if (op == "CC") {
            queueReply(gbk(texts::kConnected), start);
        } else if (op == "FM") {
            queueReply(firmwareVersionText, start);
        } else if (op == "RS") {
            queueReply(hex(lock) + hex(m_chip->hasExtended ? extended : 0xFF) +
                           hex(m_chip->hasHigh ? high : 0xFF) + hex(low),
                       start);
        } else if (op == "EM") {
            eraseChip();
            m_busyUntilUs = start + kChipEraseUs;
            queueReply(gbk(texts::kErased), m_busyUntilUs);
        } else {
            m_flashState = FlashHeader;
            m_flashHeader.clear();
            m_pageBuffer.clear();
        }
    } else if (op == "RI") {
        const auto v = fields({2});
        if (!v)
            return bad();
        const int a = (*v)[0];
        quint8 value = 0xFF;
        if (a <= 2) {
            value = m_signature[a];
        } else if (a >= 0x80 && a <= 0x83) {
            value = m_calibration[a - 0x80];
        }
        queueReply(hex(value), start);
    } else if (op == "WS" || op == "SS") {
        handleFuseWrite(args, op == "SS", start);
    } else if (op == "WL") {
        const auto v = fields({2});
        if (!v)
            return bad();
        // Lock bits can only be programmed (1 -> 0); an erase clears them.
        lock = settle(lock & quint8((*v)[0]), m_chip->lockUsed);
        m_busyUntilUs = start + kFuseByteWriteUs;
        queueReply(gbk(texts::kLockWritten), m_busyUntilUs);
    } else if (op == "WE") {
        const auto v = fields({2, 4});
        if (!v)
            return bad();
        const int address = (*v)[1] % m_eeprom.size();
        if (!writeProtected() && address != m_faults.stuckEepromByte) {
            m_eeprom[address] = char((*v)[0]);
        }
        m_busyUntilUs = start + kEepromByteWriteUs;
        if (m_faults.dropWriteAcksAfter < 0 || m_writeAcks < m_faults.dropWriteAcksAfter) {
            ++m_writeAcks;
            queueReply("!", m_busyUntilUs);
        }
    } else if (op == "WW") {
        const auto v = fields({4, 4});
        if (!v)
            return bad();
        const int address = (2 * (*v)[1]) % m_flash.size();
        const quint8 bytes[2] = {quint8((*v)[0] >> 8), quint8((*v)[0] & 0xFF)};
        for (int i = 0; i < 2; ++i) {
            if (!writeProtected() && address + i != m_faults.stuckFlashByte) {
                m_flash[address + i] = char(quint8(m_flash[address + i]) & bytes[i]);
            }
        }
        m_busyUntilUs = start + kFlashPageWriteUs;
        if (m_faults.dropWriteAcksAfter < 0 || m_writeAcks < m_faults.dropWriteAcksAfter) {
            ++m_writeAcks;
            queueReply("!", m_busyUntilUs);
        }
    } else if (op == "RF" || op == "RE") {
        const auto v = fields({4});
        if (!v)
            return bad();
        handleRead(op == "RF", (*v)[0], start);
    } else if (op == "RW" || op == "RB") {
        const auto v = fields({4});
        if (!v)
            return bad();
        const bool ro = readProtected();
        if (op == "RW") {
            const int address = (2 * (*v)[0]) % m_flash.size();
            const quint8 even = ro ? 0xFF : quint8(m_flash[address]);
            const quint8 odd = ro ? 0xFF : quint8(m_flash[address + 1]);
            queueReply(hex(even) + hex(odd), start);
        } else {
            queueReply(hex(ro ? 0xFF : quint8(m_eeprom[(*v)[0] % m_eeprom.size()])), start);
        }
    } else {
        queueReply(gbk(texts::kUnknownCommand), start);
    }
}

void SimulatedProgrammer::handleFuseWrite(const QByteArray& args, bool recover, qint64 start) {
    const auto ee = args.left(2) == ".." ? std::optional<int>(-1) : parseHex(args.left(2));
    const auto hh = parseHex(args.mid(2, 2));
    const auto ll = parseHex(args.mid(4, 2));
    if (args.size() != 6 || !ee || !hh || !ll) {
        queueReply(gbk(texts::kBadArguments), start);
        return;
    }
    qint64 busy = 0;
    if (recover && writeProtected()) {
        // Recovery reaches a locked chip by erasing it first.
        eraseChip();
        busy += kChipEraseUs;
    }
    const bool canWrite = !writeProtected();
    if (canWrite) {
        if (*ee >= 0 && m_chip->hasExtended) {
            extended = settle(quint8(*ee), m_chip->extendedUsed);
            busy += kFuseByteWriteUs;
        }
        if (m_chip->hasHigh) {
            high = settle(quint8(*hh), m_chip->highUsed);
            busy += kFuseByteWriteUs;
        }
        low = settle(quint8(*ll), m_chip->lowUsed);
        busy += kFuseByteWriteUs;
    }
    m_busyUntilUs = start + busy;
    // The programmer reads the bytes back and compares the bits that exist.
    const bool ok = canWrite && (high & m_chip->highUsed) == (*hh & m_chip->highUsed) &&
                    (low & m_chip->lowUsed) == (*ll & m_chip->lowUsed) &&
                    (*ee < 0 || (extended & m_chip->extendedUsed) == (*ee & m_chip->extendedUsed));
    const char* text =
        recover ? texts::kFusesRecovered : (ok ? texts::kFusesWritten : texts::kFusesNotWritten);
    queueReply(gbk(text), m_busyUntilUs);
}

void SimulatedProgrammer::handleRead(bool flash, int count, qint64 start) {
    const QByteArray& memory = flash ? m_flash : m_eeprom;
    const bool ro = readProtected();
    QByteArray reply;
    reply.reserve(2 * count);
    for (int i = 0; i < count; ++i) {
        reply += hex(ro ? 0xFF : quint8(memory[i % memory.size()]));
    }
    if (m_faults.readReplyLimitChars >= 0) {
        reply.truncate(m_faults.readReplyLimitChars);
    }
    if (m_faults.readReplyFill) {
        reply.fill(m_faults.readReplyFill);
    }
    if (m_faults.readReplyGapMs > 0) {
        const qint64 stepUs = lineTimeUs(1) + qint64(m_faults.readReplyGapMs) * 1000;
        for (qsizetype i = 0; i < reply.size(); ++i) {
            queueReply(reply.mid(i, 1), start + i * stepUs);
        }
        return;
    }
    queueReply(reply, start);
}

void SimulatedProgrammer::handleFlashByte(char byte, qint64 atUs) {
    if (m_flashState == FlashHeader) {
        m_flashHeader += byte;
        if (m_flashHeader.size() < 3) {
            return;
        }
        m_flashPageWords = quint8(m_flashHeader[0]);
        m_flashWordsMinusOne = quint8(m_flashHeader[1]) << 8 | quint8(m_flashHeader[2]);
        m_flashExpected = 2 * qint64(m_flashWordsMinusOne + 1);
        m_flashReceived = 0;
        if (m_flashPageWords == 0) {
            m_flashState = FlashIdle;
            queueReply(gbk(texts::kBadArguments), commandStartUs(atUs));
            return;
        }
        m_flashState = FlashData;
        return;
    }
    m_pageBuffer += byte;
    ++m_flashReceived;
    const bool last = m_flashReceived == m_flashExpected;
    if (m_pageBuffer.size() == 2 * m_flashPageWords || last) {
        commitFlashPage(atUs, last);
    }
}

void SimulatedProgrammer::commitFlashPage(qint64 atUs, bool last) {
    const qint64 base = m_flashReceived - m_pageBuffer.size();
    const bool fullPage = m_pageBuffer.size() == 2 * m_flashPageWords;
    if (!writeProtected()) {
        for (int i = 0; i < m_pageBuffer.size(); ++i) {
            const int address = int((base + i) % m_flash.size());
            if (address != m_faults.stuckFlashByte) {
                // Programming only clears bits; an erase is what sets them.
                m_flash[address] = char(quint8(m_flash[address]) & quint8(m_pageBuffer[i]));
            }
        }
    }
    m_pageBuffer.clear();
    m_busyUntilUs = commandStartUs(atUs) + kFlashPageWriteUs;
    if (fullPage && (m_faults.dropPageAcksAfter < 0 || m_pagesAcked < m_faults.dropPageAcksAfter)) {
        ++m_pagesAcked;
        queueReply("!", m_busyUntilUs);
    }
    if (last) {
        m_flashState = FlashIdle;
        queueReply(gbk(texts::kFlashWritten), m_busyUntilUs + kProcessingUs);
    }
}

}  // namespace kv::sim
