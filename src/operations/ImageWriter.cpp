// SPDX-License-Identifier: MIT
#include "operations/ImageWriter.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include "core/OperationError.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "link/ProgrammerLink.h"
#include "link/WireCommands.h"
#include "operations/WriteAcks.h"

namespace kv {

ImageWriter::ImageWriter(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom,
                         GeometryFn geometry)
    : m_link(link), m_flash(flash), m_eeprom(eeprom), m_geometry(std::move(geometry)) {}

WriteOutcome ImageWriter::write(MemoryKind memory) {
    return memory == MemoryKind::Flash ? writeFlash() : writeEeprom();
}

QByteArray ImageWriter::checkedBytes(const ImageSlot& slot, qint64 capacity) const {
    const MemoryImage& image = slot.image();
    const QString name = memoryName(slot.kind());
    if (!image.isWellFormed()) {
        throw OperationError(
            QCoreApplication::translate("ImageWriter", "%1缓冲区含有非十六进制数据，未写入！")
                .arg(name));
    }
    if (image.byteCount() > capacity) {
        throw OperationError(
            QCoreApplication::translate("ImageWriter",
                                        "%1缓冲区数据(%2字节)超出芯片容量(%3字节)，未写入！")
                .arg(name)
                .arg(image.byteCount())
                .arg(capacity));
    }
    return image.toBytes();
}

WriteOutcome ImageWriter::writeFlash() {
    WriteOutcome outcome;
    outcome.memory = MemoryKind::Flash;
    if (m_flash.image().isEmpty())
        return outcome;
    ProgrammerLink::Exchange exchange(m_link);
    const MemoryGeometry geometry = m_geometry();
    QByteArray bytes = checkedBytes(m_flash, geometry.flashSize);
    // The header counts words; a lone last byte gets the erased value as its partner.
    if (bytes.size() % 2 != 0)
        bytes.append(char(0xFF));
    const qsizetype pageBytes = 2 * qsizetype(geometry.flashPageWords);
    if (pageBytes <= 0)
        throw OperationError(
            QCoreApplication::translate("ImageWriter", "FLASH页大小未知，未写入！"));
    const int wordsMinusOne = int(bytes.size() / 2 - 1);

    m_link.sendInfo(QCoreApplication::translate("ImageWriter", "写FLASH......"));
    m_link.sendCommand(wire::writeFlashImage());
    m_link.yieldOnce();
    m_link.delayMs(50);
    m_link.setBinaryInput(true);
    qsizetype sent = 0;
    // What came after the last page's acknowledgement byte: the start of the
    // closing text when no short block follows.
    QByteArray closing;
    try {
        m_link.delayMs(50);
        m_link.sendBytes(QByteArray(1, char(geometry.flashPageWords)));
        m_link.sendBytes(QByteArray(1, char(wordsMinusOne >> 8 & 0xFF)));
        m_link.sendBytes(QByteArray(1, char(wordsMinusOne & 0xFF)));
        m_link.delayMs(50);
        while (bytes.size() - sent >= pageBytes) {
            m_link.sendBytes(bytes.mid(sent, pageBytes));
            m_link.waitOutputDrained();
            sent += pageBytes;
            m_flash.setProgress(sent * 100 / bytes.size());
            m_link.waitInputArrived();
            closing = m_link.readInputBytes().mid(1);
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
        m_flash.setProgress(100);
        // The closing text is collected raw and decoded whole, so a character
        // split between the acknowledgement read and this one stays intact.
        m_link.delayMs(200);
        closing += m_link.readInputBytes();
    } catch (...) {
        // Every later exchange expects text input.
        m_link.setBinaryInput(false);
        m_link.sendInfo(
            QCoreApplication::translate("ImageWriter", "写FLASH中断，已发送%1字节。").arg(sent));
        throw;
    }
    m_link.setBinaryInput(false);
    QStringDecoder gbk("GBK");
    const QString reply = gbk.decode(closing);
    m_link.logReply(reply);
    outcome.sent = true;
    outcome.bytesSent = sent;
    outcome.replied = !reply.isEmpty();
    return outcome;
}

WriteOutcome ImageWriter::writeEeprom() {
    WriteOutcome outcome;
    outcome.memory = MemoryKind::Eeprom;
    if (m_eeprom.image().isEmpty())
        return outcome;
    ProgrammerLink::Exchange exchange(m_link);
    const QByteArray bytes = checkedBytes(m_eeprom, m_geometry().eepromSize);
    const qint64 length = m_eeprom.image().length();
    m_link.yieldOnce();
    qint64 missing = 0;
    for (qsizetype a = 0; a < bytes.size(); ++a) {
        // Every digit on the line is upper case, whatever case the image holds.
        m_link.sendCommand(wire::writeEepromByte(hexField(quint8(bytes[a]), 2), a));
        m_eeprom.setProgress((2 * a + 1) * 100 / length);
        if (!m_link.waitForAcknowledgement())
            ++missing;
    }
    m_eeprom.setProgress(100);
    m_link.sendInfo(QCoreApplication::translate("ImageWriter", "写EEPROM结束!"));
    m_link.delayMs(1);
    m_link.discardInput();
    if (missing > 0)
        m_link.sendInfo(missingAcksText(missing));
    outcome.sent = true;
    outcome.bytesSent = bytes.size();
    outcome.unacknowledged = missing;
    return outcome;
}

}  // namespace kv
