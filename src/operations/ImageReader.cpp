// SPDX-License-Identifier: MIT
#include "operations/ImageReader.h"

#include <QCoreApplication>

#include "core/OperationError.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "link/ProgrammerLink.h"
#include "link/WireCommands.h"

namespace kv {

namespace {

QString countCommand(const ImageSlot& slot, qint64 count) {
    return wire::readMemory(slot.kind(), count);
}

// Index of the first character that is not a hex digit, or -1.
qsizetype firstNonHex(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (hexDigitValue(text.at(i)) < 0)
            return i;
    }
    return -1;
}

}  // namespace

ImageReader::ImageReader(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom,
                         GeometryFn geometry)
    : m_link(link), m_flash(flash), m_eeprom(eeprom), m_geometry(std::move(geometry)) {}

qint64 ImageReader::replyLimitMs(qint64 count, int firstWaitMs) const {
    // The programmer reads the chip far faster than the line carries it, so the
    // reply's line time bounds it; twice that absorbs adapters that deliver in
    // bursts, and the quiet limit covers a late start.
    return firstWaitMs + kLineTimeFactor * m_link.lineTimeMs(2 * count) + kQuietLimitMs;
}

ImageReader::Reply ImageReader::collect(ImageSlot& slot, qint64 count, int firstWaitMs,
                                        int stepWaitMs) {
    const qint64 expected = 2 * count;
    const qint64 limitMs = replyLimitMs(count, firstWaitMs);
    const qint64 startMs = m_link.clock().nowMs();
    Reply reply;
    reply.outcome.memory = slot.kind();
    reply.outcome.expected = count;
    // From the start, also after a write that left the bar full: a reply that
    // arrives whole within the first wait still shows as progress.
    slot.setProgress(0);
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
            slot.setProgress(100);
            return reply;
        }
        slot.setProgress(reply.text.size() * 50 / count);
        if (quietMs >= kQuietLimitMs)
            break;
        if (m_link.clock().nowMs() - startMs >= limitMs) {
            tooSlow = true;
            break;
        }
        m_link.delayMs(stepWaitMs);
        lastWaitMs = stepWaitMs;
    }
    const QString name = memoryName(slot.kind());
    reply.outcome.received = reply.text.size() / 2;
    reply.outcome.stop = reply.text.isEmpty() ? ReadOutcome::Stop::NoAnswer
                         : tooSlow            ? ReadOutcome::Stop::TooSlow
                                              : ReadOutcome::Stop::Stopped;
    if (reply.text.isEmpty()) {
        m_link.sendInfo(QCoreApplication::translate("ImageReader", "编程器无反应!"));
    } else if (tooSlow) {
        m_link.sendInfo(
            QCoreApplication::translate(
                "ImageReader", "编程器发送%1数据过慢：%2毫秒内收到%3字节，应为%4字节，已停止读取!")
                .arg(name)
                .arg(limitMs)
                .arg(reply.text.size() / 2)
                .arg(count));
    } else {
        m_link.sendInfo(QCoreApplication::translate("ImageReader",
                                                    "编程器停止发送%1数据：收到%2字节，应为%3字节!")
                            .arg(name)
                            .arg(reply.text.size() / 2)
                            .arg(count));
    }
    return reply;
}

ReadOutcome ImageReader::read(MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    ImageSlot& slot = this->slot(memory);
    ProgrammerLink::Exchange exchange(m_link);
    slot.setImage(MemoryImage());
    try {
        const MemoryGeometry geometry = m_geometry();
        const qint64 count = flash ? geometry.flashSize : geometry.eepromSize;
        m_link.discardInput();
        m_link.sendCommand(countCommand(slot, count));
        m_link.sendInfo(flash ? QCoreApplication::translate("ImageReader", "读取芯片FLASH!")
                              : QCoreApplication::translate("ImageReader", "读取芯片EEPROM!"));
        const int waitMs = flash ? 200 : 100;
        Reply reply = collect(slot, count, waitMs, waitMs);
        // Only a whole memory of hex digits becomes the image: a fragment or a
        // garbled reply written back or saved later would pass for the chip's content.
        const qsizetype bad = reply.outcome.complete() ? firstNonHex(reply.text) : -1;
        if (bad >= 0) {
            reply.outcome.stop = ReadOutcome::Stop::Garbled;
            reply.outcome.garbledAt = bad / 2;
            m_link.sendInfo(
                memoryName(memory) +
                QCoreApplication::translate("ImageReader",
                                            "读取应答无效：地址%1处不是十六进制数字，未读入数据!")
                    .arg(hexField(bad / 2, 4)));
        }
        slot.showImage(reply.outcome.complete() ? MemoryImage(reply.text) : MemoryImage());
        if (flash)
            slot.setPanelText(QStringLiteral("FLASH:"));
        return reply.outcome;
    } catch (const OperationError&) {
        slot.showImage(MemoryImage());
        throw;
    }
}

VerifyOutcome ImageReader::verify(MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    ImageSlot& slot = this->slot(memory);
    VerifyOutcome result;
    result.memory = memory;
    const QString image = slot.image().text();
    const qint64 count = slot.image().byteCount();
    if (count == 0) {
        m_link.sendInfo(flash ? QCoreApplication::translate("ImageReader", "FLASH缓冲区无数据！")
                              : QCoreApplication::translate("ImageReader", "EEPROM缓冲区无数据！"));
        return result;
    }
    const MemoryGeometry geometry = m_geometry();
    const qint64 capacity = flash ? geometry.flashSize : geometry.eepromSize;
    if (count > capacity) {
        throw OperationError(
            memoryName(memory) +
            QCoreApplication::translate("ImageReader",
                                        "缓冲区数据(%1字节)超出芯片容量(%2字节)，无法校验！")
                .arg(count)
                .arg(capacity));
    }
    ProgrammerLink::Exchange exchange(m_link);
    m_link.discardInput();
    m_link.sendCommand(countCommand(slot, count));
    m_link.sendInfo(flash ? QCoreApplication::translate("ImageReader", "校验FLASH......")
                          : QCoreApplication::translate("ImageReader", "校验EEPROM......"));
    const Reply reply = collect(slot, count, 200, flash ? 200 : 100);
    result.read = reply.outcome;
    // A read-back cut short says nothing about the chip: it is not judged.
    if (!reply.outcome.complete()) {
        result.result = VerifyOutcome::Result::ReadIncomplete;
        return result;
    }
    const QString& readBack = reply.text;
    for (qsizetype i = 0; i < image.size(); i += 2) {
        const QStringView mine = QStringView(image).mid(i, 2);
        const QStringView chip = QStringView(readBack).mid(i, 2);
        if (mine.compare(chip, Qt::CaseInsensitive) != 0) {
            result.result = VerifyOutcome::Result::Differs;
            result.firstDifference = i / 2;
            return result;
        }
    }
    result.result = VerifyOutcome::Result::Matched;
    m_link.sendInfo(flash ? QCoreApplication::translate("ImageReader", "校验FLASH通过。")
                          : QCoreApplication::translate("ImageReader", "校验EEPROM通过。"));
    return result;
}

}  // namespace kv
