// SPDX-License-Identifier: MIT
#include "images/ImageFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <tuple>

#include "core/Clock.h"
#include "core/UserPrompts.h"
#include "images/ImageFormat.h"
#include "images/ImageSlot.h"
#include "images/IntelHexReader.h"
#include "images/MemoryImage.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {

QString sectionName(const ImageSlot& slot) {
    return slot.isFlash() ? QStringLiteral("FLASH") : QStringLiteral("EEPROM");
}

}  // namespace

ImageFiles::ImageFiles(ImageSlot& flash, ImageSlot& eeprom, EventPump& pump, SendInfoFn sendInfo,
                       UserPrompts& prompts, SettingsStore& settings)
    : m_flash(flash),
      m_eeprom(eeprom),
      m_pump(pump),
      m_sendInfo(std::move(sendInfo)),
      m_prompts(prompts),
      m_settings(settings) {}

LoadStatus ImageFiles::loadFlashFile(QString& path) {
    return load(m_flash, path);
}

LoadStatus ImageFiles::loadEepromFile(QString& path) {
    return load(m_eeprom, path);
}

void ImageFiles::openFlashFile() {
    open(m_flash);
}
void ImageFiles::openEepromFile() {
    open(m_eeprom);
}
void ImageFiles::saveFlashFile() {
    save(m_flash);
}
void ImageFiles::saveEepromFile() {
    save(m_eeprom);
}

LoadStatus ImageFiles::load(ImageSlot& slot, QString& path) {
    const bool flash = slot.isFlash();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        if (m_sendInfo) {
            m_sendInfo(flash ? QCoreApplication::translate("ImageFiles", "FLASH文件没找到!")
                             : QCoreApplication::translate("ImageFiles", "EEPROM文件没找到!"));
        }
        path = QStringLiteral("NO");
        return LoadStatus::NotFound;
    }
    // File names are case-sensitive here: open the path as given, and use the
    // upper-case form only for its ending and for the caller.
    const QString filePath = path;
    path = path.toUpper();
    slot.setViewText(QString());
    slot.setImage(MemoryImage());
    std::optional<FileFuses>& fileFuses = m_fileFuses.at(flash ? 0 : 1);
    fileFuses.reset();

    const QString ending = path.right(3);
    const bool eep = !flash && ending == u"EEP";
    const bool elf = ending == u"ELF";
    if (ending != u"BIN" && ending != u"HEX" && !eep && !elf)
        return LoadStatus::Unsupported;

    // Refused before a byte is read; the bounded read below also catches a
    // file that grew since, or one whose size the system does not report.
    const QString tooLarge =
        QCoreApplication::translate("ImageFiles", "%1 文件太大，不是芯片映像（超过 %2 字节）")
            .arg(info.fileName())
            .arg(kMaxFileBytes);
    if (info.size() > kMaxFileBytes) {
        fail(slot, tooLarge, true);
        return LoadStatus::Failed;
    }
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(slot, file.errorString());
        return LoadStatus::Failed;
    }
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        fail(slot, file.errorString());
        return LoadStatus::Failed;
    }
    if (bytes.size() > kMaxFileBytes) {
        fail(slot, tooLarge, true);
        return LoadStatus::Failed;
    }
    file.close();

    const ImageFormat reader = chooseImageFormat(ending, !flash, bytes);
    MemoryImage image;
    if (reader == ImageFormat::Elf) {
        const auto result = ElfReader::read(bytes, m_elfLimits ? m_elfLimits() : ElfLimits{});
        if (!result.ok()) {
            fail(slot, info.fileName() + u' ' + ElfReader::describe(result), true);
            return LoadStatus::Failed;
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
            fail(slot, info.fileName() + u' ' + IntelHexReader::describe(result), true);
            return LoadStatus::Failed;
        }
        image = MemoryImage(result.digits);
    } else {
        image = MemoryImage::fromBytes(bytes);
    }
    slot.showImage(image);
    slot.setPanelText(
        (flash ? QStringLiteral("FLASH:") : QStringLiteral("EEPROM:")) +
        QCoreApplication::translate("ImageFiles", "%1字节").arg(image.byteCountText()));
    return LoadStatus::Loaded;
}

std::optional<FileFuses> ImageFiles::fileFuses() const {
    return m_fileFuses[0] ? m_fileFuses[0] : m_fileFuses[1];
}

void ImageFiles::fail(ImageSlot& slot, const QString& detail, bool detailInBox) {
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
    m_prompts.warning(m_settings.applicationName(), text);
}

void ImageFiles::open(ImageSlot& slot) {
    FileDialogRequest request;
    request.filter =
        slot.isFlash()
            ? QCoreApplication::translate("ImageFiles",
                                          "Intel HEX 文件 (*.HEX)|*.HEX|二进制文件(*.BIN)|*.BIN")
            : QCoreApplication::translate("ImageFiles",
                                          "EEPROM文件(*.EEP)|*.EEP|二进制文件(*.BIN)|*.BIN|"
                                          "Intel Hex文件(*.HEX)|*.HEX");
    // avr-gcc's own output: FLASH takes its program, EEPROM its .eeprom section.
    request.filter += QCoreApplication::translate("ImageFiles", "|ELF 文件(*.ELF)|*.ELF");
    request.filterIndex = 1;
    request.initialDir = slot.pathText();
    const std::optional<QString> chosen = m_prompts.openFile(request);
    if (!chosen)
        return;
    slot.setPathText(*chosen);
    // The loader works on a copy: the box keeps the chosen text, never "NO".
    QString path = slot.pathText();
    load(slot, path);
    // A failure is in the log already; the loaded file serves this run anyway.
    std::ignore = m_settings.write(sectionName(slot), QStringLiteral("文件"), slot.pathText());
}

void ImageFiles::save(ImageSlot& slot) {
    FileDialogRequest request;
    request.filter = QCoreApplication::translate("ImageFiles", "二进制文件(*.BIN)|*.BIN");
    request.filterIndex = 1;
    const std::optional<QString> chosen = m_prompts.saveFile(request);
    if (!chosen)
        return;
    QString error;
    if (!saveImageToBin(slot.image(), *chosen, &error)) {
        m_prompts.warning(
            m_settings.applicationName(),
            (slot.isFlash() ? QCoreApplication::translate("ImageFiles", "FLASH文件保存失败！")
                            : QCoreApplication::translate("ImageFiles", "EEPROM文件保存失败！")) +
                u'\n' + error);
    }
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
