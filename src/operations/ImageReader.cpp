#include "operations/ImageReader.h"

#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "link/ProgrammerLink.h"

namespace kv {

namespace {

QString countCommand(const ImageSlot& slot, qint64 count) {
    return (slot.isFlash() ? QStringLiteral("RF") : QStringLiteral("RE")) + hexField(count, 4) +
           u'#';
}

}  // namespace

ImageReader::ImageReader(ProgrammerLink& link, ImageSlot& flash, ImageSlot& eeprom,
                         GeometryFn geometry, UserPrompts& prompts, QString title)
    : m_link(link),
      m_flash(flash),
      m_eeprom(eeprom),
      m_geometry(std::move(geometry)),
      m_prompts(prompts),
      m_title(std::move(title)) {}

void ImageReader::ReadFlash_Click() {
    read(m_flash);
}
void ImageReader::ReadEEPROM_Click() {
    read(m_eeprom);
}
void ImageReader::VerifyFlashImage() {
    verify(m_flash);
}
void ImageReader::VerifyEepromImage() {
    verify(m_eeprom);
}

ImageReader::Reply ImageReader::collect(ImageSlot& slot, qint64 count, int firstWaitMs,
                                        int stepWaitMs) {
    const qint64 expected = 2 * count;
    Reply reply;
    m_link.DelayMs(firstWaitMs);
    int quietMs = 0;
    int lastWaitMs = firstWaitMs;
    for (;;) {
        const QString arrived = m_link.ReadInput();
        quietMs = arrived.isEmpty() ? quietMs + lastWaitMs : 0;
        reply.text += arrived;
        if (reply.text.size() >= expected) {
            reply.text.truncate(expected);
            reply.complete = true;
            slot.setProgress(100);
            return reply;
        }
        slot.setProgress(reply.text.size() * 50 / count);
        if (quietMs >= kQuietLimitMs)
            break;
        m_link.DelayMs(stepWaitMs);
        lastWaitMs = stepWaitMs;
    }
    const QString name = slot.isFlash() ? QStringLiteral("FLASH") : QStringLiteral("EEPROM");
    m_link.SendInfo(reply.text.isEmpty()
                        ? QStringLiteral("编程器无反应!")
                        : QStringLiteral("编程器停止发送%1数据：收到%2字节，应为%3字节!")
                              .arg(name)
                              .arg(reply.text.size() / 2)
                              .arg(count));
    return reply;
}

void ImageReader::read(ImageSlot& slot) {
    const bool flash = slot.isFlash();
    ProgrammerLink::Exchange exchange(m_link);
    slot.setImage(MemoryImage());
    try {
        const MemoryGeometry geometry = m_geometry();
        const qint64 count = flash ? geometry.flashSize : geometry.eepromSize;
        m_link.DiscardInput();
        m_link.SendCommand(countCommand(slot, count));
        m_link.SendInfo(flash ? QStringLiteral("读取芯片FLASH!")
                              : QStringLiteral("读取芯片EEPROM!"));
        const int waitMs = flash ? 200 : 100;
        const Reply reply = collect(slot, count, waitMs, waitMs);
        // Only a whole memory becomes the image: a fragment written back later
        // would pass for the chip's content.
        slot.showImage(reply.complete ? MemoryImage(reply.text) : MemoryImage());
        if (flash)
            slot.setPanelText(QStringLiteral("FLASH:"));
    } catch (const OperationError& error) {
        slot.showImage(MemoryImage());
        m_prompts.warning(m_title, error.text());
    }
}

void ImageReader::verify(ImageSlot& slot) {
    const bool flash = slot.isFlash();
    const QString image = slot.image().text();
    const qint64 count = slot.image().byteCount();
    if (count == 0) {
        m_link.SendInfo(flash ? QStringLiteral("FLASH缓冲区无数据！")
                              : QStringLiteral("EEPROM缓冲区无数据！"));
        return;
    }
    const MemoryGeometry geometry = m_geometry();
    const qint64 capacity = flash ? geometry.flashSize : geometry.eepromSize;
    if (count > capacity) {
        throw OperationError((flash ? QStringLiteral("FLASH") : QStringLiteral("EEPROM")) +
                             QStringLiteral("缓冲区数据(%1字节)超出芯片容量(%2字节)，无法校验！")
                                 .arg(count)
                                 .arg(capacity));
    }
    ProgrammerLink::Exchange exchange(m_link);
    m_link.DiscardInput();
    m_link.SendCommand(countCommand(slot, count));
    m_link.SendInfo(flash ? QStringLiteral("校验FLASH......") : QStringLiteral("校验EEPROM......"));
    const QString readBack = collect(slot, count, 200, flash ? 200 : 100).text;

    for (qsizetype i = 0; i < image.size(); i += 2) {
        const QStringView mine = QStringView(image).mid(i, 2);
        const QStringView chip = QStringView(readBack).mid(i, 2);
        if (mine.compare(chip, Qt::CaseInsensitive) != 0) {
            m_prompts.warning(
                m_title, (flash ? QStringLiteral("FLASH地址 ") : QStringLiteral("EEPROM地址 ")) +
                             hexField(i / 2, 4) + QStringLiteral(" 数据校验失败！"));
            return;
        }
    }
    m_link.SendInfo(flash ? QStringLiteral("校验FLASH通过。") : QStringLiteral("校验EEPROM通过。"));
}

}  // namespace kv
