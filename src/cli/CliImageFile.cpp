// SPDX-License-Identifier: MIT
#include "cli/CliImageFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "cli/CliOutcomes.h"
#include "images/ImageFiles.h"
#include "images/ImageFormat.h"
#include "images/IntelHexReader.h"
#include "images/MemoryImage.h"

namespace kv::cli {

namespace {

[[noreturn]] void refuse(const QString& text) {
    throw CommandEnd{Ending::File, text};
}

// The window's box text of a file that could not be read, then the path.
[[noreturn]] void unreadable(MemoryKind memory, const QString& detail, const QString& path) {
    const QString text = memory == MemoryKind::Flash
                             ? QCoreApplication::translate("ImageFiles", "FLASH文件读取错误！")
                             : QCoreApplication::translate("ImageFiles", "EEPROM文件读取错误！");
    refuse(text + u'\n' + detail + u' ' + path);
}

}  // namespace

ImageFile ImageFile::load(const QString& path, MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        refuse(QCoreApplication::translate("CliChipCommands", "找不到文件 %1").arg(path));
    const QString ending = path.right(3).toUpper();
    const bool eep = !flash && ending == u"EEP";
    if (ending != u"BIN" && ending != u"HEX" && !eep && ending != u"ELF") {
        refuse(flash ? QCoreApplication::translate("CliChipCommands",
                                                   "FLASH文件应为 .hex、.bin 或 .elf：%1")
                           .arg(path)
                     : QCoreApplication::translate("CliChipCommands",
                                                   "EEPROM文件应为 .eep、.hex、.bin 或 .elf：%1")
                           .arg(path));
    }
    const QString tooLarge =
        QCoreApplication::translate("ImageFiles", "%1 文件太大，不是芯片映像（超过 %2 字节）")
            .arg(info.fileName())
            .arg(ImageFiles::kMaxFileBytes);
    QFile file(path);
    if (info.size() > ImageFiles::kMaxFileBytes)
        unreadable(memory, tooLarge, path);
    if (!file.open(QIODevice::ReadOnly))
        unreadable(memory, file.errorString(), path);
    QByteArray bytes = file.read(ImageFiles::kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        unreadable(memory, file.errorString(), path);
    if (bytes.size() > ImageFiles::kMaxFileBytes)
        unreadable(memory, tooLarge, path);

    ImageFile image;
    image.path = path;
    switch (chooseImageFormat(ending, !flash, bytes)) {
        case ImageFormat::Elf: {
            // The largest chip's limits here; the model's once it is known.
            const ElfReader::Result result = ElfReader::read(bytes, ElfLimits{});
            if (!result.ok())
                unreadable(memory, info.fileName() + u' ' + ElfReader::describe(result), path);
            image.elf = true;
            image.flash = result.image.flash;
            image.eeprom = result.image.eeprom;
            image.fuses = result.image.fuses;
            image.lock = result.image.lock;
            image.m_raw = bytes;
            break;
        }
        case ImageFormat::IntelHex: {
            QBuffer text(&bytes);
            text.open(QIODevice::ReadOnly);
            const qint64 window = flash ? -1 : IntelHexReader::kAvrEepromSection;
            const auto result = IntelHexReader::read(
                text, [] {}, window);
            if (!result.ok())
                unreadable(memory, info.fileName() + u' ' + IntelHexReader::describe(result), path);
            (flash ? image.flash : image.eeprom) = MemoryImage(result.digits).toBytes();
            break;
        }
        case ImageFormat::Binary:
        case ImageFormat::Unsupported:
            if (eep)
                image.raw = RawRead{bytes.size(), looksLikeText(bytes)};
            (flash ? image.flash : image.eeprom) = bytes;
            break;
    }
    return image;
}

void ImageFile::checkElf(const ElfLimits& limits) const {
    if (!elf)
        return;
    const bool fits = flash.size() <= limits.flashSize && eeprom.size() <= limits.eepromSize &&
                      fuses.size() <= limits.fuseBytes;
    if (fits)
        return;
    // Only a file that does not fit is read again, for the reader's own words.
    const ElfReader::Result result = ElfReader::read(m_raw, limits);
    const QString name = QFileInfo(path).fileName();
    unreadable(eeprom.size() > limits.eepromSize && flash.size() <= limits.flashSize
                   ? MemoryKind::Eeprom
                   : MemoryKind::Flash,
               name + u' ' + ElfReader::describe(result), path);
}

}  // namespace kv::cli
