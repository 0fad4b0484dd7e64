// SPDX-License-Identifier: MIT
#include "sim/SimulatedProgrammer.h"

#include <QStringEncoder>

#include "core/Clock.h"
#include "sim/SimChip.h"
#include "sim/SimTiming.h"

namespace kv::sim {

using namespace timing;

SimulatedProgrammer::SimulatedProgrammer(const QString& model) {
    setModel(model);
}

void SimulatedProgrammer::setModel(const QString& model) {
    m_chip = SimChip::find(model);
    if (!m_chip) {
        m_chip = &SimChip::all().front();
    }
    m_model = m_chip->name;
    m_flash = QByteArray(m_chip->flashBytes, char(0xFF));
    m_eeprom = QByteArray(m_chip->eepromBytes, char(0xFF));
    m_signature = {m_chip->signature[0], m_chip->signature[1], m_chip->signature[2]};
    lock = m_chip->lockDefault;
    extended = m_chip->extendedDefault;
    high = m_chip->highDefault;
    low = m_chip->lowDefault;
    // Factory RC calibration values sit around 0xA0; each model gets its own so
    // a read of the wrong model shows.
    const int base = 0x90 + ((m_signature[1] + m_signature[2] * 3) & 0x1F);
    for (int i = 0; i < 4; ++i) {
        m_calibration[i] = i < m_chip->calibrationBytes ? quint8(base + 5 * i) : quint8(0xFF);
    }
}

void SimulatedProgrammer::setFaults(const FaultPlan& plan) {
    m_faults = plan;
    m_received = 0;
    m_pagesAcked = 0;
    m_writeAcks = 0;
    m_loaderAcks = 0;
}

void SimulatedProgrammer::reconnect() {
    m_hungUp = false;
    m_received = 0;
    m_command.clear();
    m_flashState = FlashIdle;
}

qint64 SimulatedProgrammer::byteTimeUs() const {
    return lineTimeUs(1);
}

qint64 SimulatedProgrammer::lineTimeUs(qint64 count) const {
    return timing::lineTimeUs(count, m_baud);
}

QByteArray SimulatedProgrammer::gbk(const char* utf8) {
    QStringEncoder encoder("GBK");
    return encoder.encode(QString::fromUtf8(utf8));
}

qint64 SimulatedProgrammer::Chunk::dueUs(int i) const {
    return startUs + timing::lineTimeUs(i + 1, baud);
}

void SimulatedProgrammer::queueReply(const QByteArray& bytes, qint64 startUs) {
    if (m_faults.silent || m_hungUp) {
        return;
    }
    Chunk chunk{startUs + qint64(m_faults.extraReplyDelayMs) * 1000, bytes + m_faults.garbage, 0,
                m_baud};
    if (chunk.bytes.isEmpty()) {
        return;
    }
    // One transmitter: a reply waits until the previous one is on the line.
    if (!m_out.empty()) {
        const Chunk& last = m_out.back();
        chunk.startUs = qMax(chunk.startUs, last.dueUs(last.bytes.size() - 1));
    }
    m_out.push_back(chunk);
}

qint64 SimulatedProgrammer::nextOutputDueUs() const {
    if (m_out.empty()) {
        return -1;
    }
    return m_out.front().dueUs(m_out.front().sent);
}

QByteArray SimulatedProgrammer::takeOutput(qint64 nowUs) {
    m_lastSeenUs = qMax(m_lastSeenUs, nowUs);
    QByteArray out;
    while (!m_out.empty()) {
        Chunk& chunk = m_out.front();
        while (chunk.sent < chunk.bytes.size() && chunk.dueUs(chunk.sent) <= nowUs) {
            out += chunk.bytes[chunk.sent++];
        }
        if (chunk.sent < chunk.bytes.size()) {
            break;
        }
        m_out.pop_front();
    }
    return out;
}

void SimulatedProgrammer::receive(const QByteArray& bytes, qint64 atUs) {
    for (char byte : bytes) {
        receiveByte(byte, atUs);
    }
}

void SimulatedProgrammer::receiveByte(char byte, qint64 atUs) {
    if (m_hungUp) {
        return;
    }
    m_lastSeenUs = qMax(m_lastSeenUs, atUs);
    const auto lineDies = [this] {
        return m_faults.hangUpAfterBytes >= 0 && m_received >= m_faults.hangUpAfterBytes;
    };
    if (!lineDies()) {
        m_transcript += byte;
        ++m_received;
    }
    if (lineDies()) {
        m_hungUp = true;
        m_out.clear();
        return;
    }
    const qint64 idleUs = m_lastByteUs < 0 ? 0 : atUs - m_lastByteUs;
    m_lastByteUs = atUs;
    if (m_loader) {
        handleLoaderByte(byte, atUs);
        return;
    }
    if (m_flashState != FlashIdle) {
        if (idleUs <= kStreamIdleResetUs) {
            handleFlashByte(byte, atUs);
            return;
        }
        m_flashState = FlashIdle;
    }
    if (idleUs > kCommandIdleResetUs) {
        m_command.clear();
    }
    if (m_command.isEmpty() && (byte == '\r' || byte == '\n' || byte == ' ')) {
        return;
    }
    m_command += byte;
    if (byte == '#') {
        const QByteArray command = m_command.chopped(1);
        m_command.clear();
        handleCommand(command, atUs);
    }
}

qint64 SimulatedProgrammer::commandStartUs(qint64 atUs) const {
    return qMax(atUs, m_busyUntilUs) + kProcessingUs;
}

QByteArray SimulatedProgrammer::hex(quint8 byte) const {
    const char* digits = m_faults.lowerCaseHex ? "0123456789abcdef" : "0123456789ABCDEF";
    QByteArray text(2, '0');
    text[0] = digits[byte >> 4];
    text[1] = digits[byte & 0x0F];
    return text;
}

bool SimulatedProgrammer::writeProtected() const {
    return enforceLockBits && (lock & 0x03) != 0x03;
}

bool SimulatedProgrammer::readProtected() const {
    return enforceLockBits && (lock & 0x03) == 0x00;
}

void SimulatedProgrammer::eraseChip() {
    m_flash.fill(char(0xFF));
    const bool eesave = m_chip->eesaveBit >= 0 && !(high & (1 << m_chip->eesaveBit));
    if (!eesave) {
        m_eeprom.fill(char(0xFF));
    }
    lock = 0xFF;
}

void SimulatedProgrammer::restartIntoLoader() {
    restartIntoLoader(m_clock ? m_clock->nowUs() : m_lastSeenUs);
}

void SimulatedProgrammer::restartIntoLoader(qint64 nowUs) {
    m_out.clear();
    m_command.clear();
    m_flashState = FlashIdle;
    m_busyUntilUs = 0;
    m_loader = true;
    m_loaderState = LoaderMode;
    m_loaderPageFill = -1;
    m_loaderErrors = 0;
    m_loaderAcks = 0;
    m_loaderMode.clear();
    m_loaderStart.clear();
    m_loaderHex.clear();
    m_firmware.clear();
    queueReply("B", nowUs + kLoaderRestartUs);
}

void SimulatedProgrammer::askForPage(qint64 atUs) {
    if (m_faults.dropLoaderAcksAfter >= 0 && m_loaderAcks >= m_faults.dropLoaderAcksAfter) {
        return;
    }
    ++m_loaderAcks;
    queueReply("?", atUs);
}

static bool isUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void SimulatedProgrammer::handleLoaderByte(char byte, qint64 atUs) {
    const qint64 startUs = qMax(atUs, m_busyUntilUs) + kProcessingUs;
    switch (m_loaderState) {
        case LoaderMode:
            m_loaderMode = QByteArray(1, byte);
            m_loaderState = LoaderStart;
            return;
        case LoaderStart:
            m_loaderStart += byte;
            if (byte != '0') {
                ++m_loaderErrors;
            }
            if (m_loaderStart.size() == 2) {
                m_loaderState = LoaderPages;
                askForPage(startUs);
            }
            return;
        case LoaderPages:
            break;
    }
    if (byte == '>') {
        if (m_loaderPageFill > 0 || !m_loaderHex.isEmpty()) {
            ++m_loaderErrors;  // the previous page was cut short
        }
        m_loaderPageFill = 0;
        m_loaderHex.clear();
    } else if (byte == '!') {
        if (m_loaderPageFill > 0 || !m_loaderHex.isEmpty()) {
            ++m_loaderErrors;
        }
        m_loader = false;
        m_lastByteUs = -1;
    } else if (isUpperHex(byte) && m_loaderPageFill >= 0) {
        m_loaderHex += byte;
        if (m_loaderHex.size() == 2) {
            m_firmware += char(m_loaderHex.toInt(nullptr, 16));
            m_loaderHex.clear();
            if (++m_loaderPageFill == m_loaderPageSize) {
                m_loaderPageFill = -1;
                m_busyUntilUs = startUs + kLoaderPageWriteUs;
                askForPage(m_busyUntilUs);
            }
        }
    } else {
        ++m_loaderErrors;
    }
}

}  // namespace kv::sim
