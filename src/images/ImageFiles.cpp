// SPDX-License-Identifier: MIT
#include "images/ImageFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <tuple>

#include "core/Clock.h"
#include "images/ImageFormat.h"
#include "images/ImageSlot.h"
#include "images/IntelHexReader.h"
#include "images/MemoryImage.h"

namespace kv {

namespace {}  // namespace

ImageFiles::ImageFiles(ImageSlot& flash, ImageSlot& eeprom, EventPump& pump, SendInfoFn sendInfo)
    : m_flash(flash), m_eeprom(eeprom), m_pump(pump), m_sendInfo(std::move(sendInfo)) {}

LoadOutcome ImageFiles::load(MemoryKind memory, const QString& path) {
    ImageSlot& slot = memory == MemoryKind::Flash ? m_flash : m_eeprom;
    const bool flash = slot.isFlash();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        if (m_sendInfo) {
            m_sendInfo(flash ? QCoreApplication::translate("ImageFiles", "FLASH文件没找到!")
                             : QCoreApplication::translate("ImageFiles", "EEPROM文件没找到!"));
        }
        return {LoadStatus::NotFound, {}};
    }
    // File names are case-sensitive here: open the path as given; its ending
    // counts in either case.
    const QString filePath = path;
    slot.setViewText(QString());
    slot.setImage(MemoryImage());
    std::optional<FileFuses>& fileFuses = m_fileFuses.at(flash ? 0 : 1);
    fileFuses.reset();

    const QString ending = path.right(3).toUpper();
    const bool eep = !flash && ending == u"EEP";
    const bool elf = ending == u"ELF";
    if (ending != u"BIN" && ending != u"HEX" && !eep && !elf)
        return {LoadStatus::Unsupported, {}};

    // Refused before a byte is read; the bounded read below also catches a
    // file that grew since, or one whose size the system does not report.
    const QString tooLarge =
        QCoreApplication::translate("ImageFiles", "%1 文件太大，不是芯片映像（超过 %2 字节）")
            .arg(info.fileName())
            .arg(kMaxFileBytes);
    if (info.size() > kMaxFileBytes) {
        return fail(slot, tooLarge, true);
    }
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(slot, file.errorString());
    }
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return fail(slot, file.errorString());
    }
    if (bytes.size() > kMaxFileBytes) {
        return fail(slot, tooLarge, true);
    }
    file.close();

    const ImageFormat reader = chooseImageFormat(ending, !flash, bytes);
    MemoryImage image;
    if (reader == ImageFormat::Elf) {
        const auto result = ElfReader::read(bytes, m_elfLimits ? m_elfLimits() : ElfLimits{});
        if (!result.ok()) {
            return fail(slot, info.fileName() + u' ' + ElfReader::describe(result), true);
        }
        const ElfImage& elfImage = result.image;
        image = MemoryImage::fromBytes(flash ? elfImage.flash : elfImage.eeprom);
        if (elfImage.hasFuseOrLock()) {
            fileFuses = FileFuses{info.fileName(), elfImage.fuses, elfImage.lock};
            if (m_sendInfo)
                m_sendInfo(
                    QCoreApplication::translate("ImageFiles",
                                                "%1 带有熔丝/锁定位：%2（不会自动写入，要用时选"
                                                "“存取方案”菜单的“调入文件熔丝位”）")
                        .arg(info.fileName(), elfImage.fuseText()));
        }
    } else if (reader == ImageFormat::IntelHex) {
        QBuffer text(&bytes);
        text.open(QIODevice::ReadOnly);
        const qint64 window = flash ? -1 : IntelHexReader::kAvrEepromSection;
        const auto result = IntelHexReader::read(
            text, [this] { m_pump.yieldUntil(0); }, window);
        if (!result.ok()) {
            return fail(slot, info.fileName() + u' ' + IntelHexReader::describe(result), true);
        }
        image = MemoryImage(result.digits);
    } else {
        image = MemoryImage::fromBytes(bytes);
    }
    slot.showImage(image);
    slot.setPanelText(
        (flash ? QStringLiteral("FLASH:") : QStringLiteral("EEPROM:")) +
        QCoreApplication::translate("ImageFiles", "%1字节").arg(image.byteCountText()));
    LoadOutcome outcome{LoadStatus::Loaded, {}};
    // Only an .eep is raw by its content rather than by its name: say so, since
    // a text file taken this way goes into the chip as its characters.
    if (eep && reader == ImageFormat::Binary) {
        outcome.raw = RawRead{bytes.size(), looksLikeText(bytes)};
        if (m_sendInfo)
            m_sendInfo(rawBinaryText(info.fileName(), bytes.size()));
    }
    return outcome;
}

QString ImageFiles::rawBinaryText(const QString& fileName, qint64 bytes) {
    return QCoreApplication::translate("ImageFiles",
                                       "%1 不是 Intel HEX 文件，按原始二进制读入，%2 字节")
        .arg(fileName)
        .arg(bytes);
}

std::optional<FileFuses> ImageFiles::fileFuses() const {
    return m_fileFuses[0] ? m_fileFuses[0] : m_fileFuses[1];
}

LoadOutcome ImageFiles::fail(ImageSlot& slot, const QString& detail, bool detailInBox) {
    // Nothing of a broken file stays in the image: a later write or verify
    // must not take a fragment for the whole program.
    slot.setImage(MemoryImage());
    slot.setViewText(QString());
    if (m_sendInfo && !detail.isEmpty())
        m_sendInfo(detail);
    QString text = slot.isFlash()
                       ? QCoreApplication::translate("ImageFiles", "FLASH文件读取错误！")
                       : QCoreApplication::translate("ImageFiles", "EEPROM文件读取错误！");
    if (detailInBox)
        text += u'\n' + detail;
    return {LoadStatus::Failed, text};
}

bool saveImageToBin(const MemoryImage& image, const QString& path, QString* error) {
    QSaveFile file(path);
    const QByteArray bytes = image.toBytesLenient();
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

}  // namespace kv
