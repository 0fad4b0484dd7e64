// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "images/ElfReader.h"
#include "images/ImageSlot.h"

namespace kv {

class EventPump;
class ImageSlot;
class MemoryImage;

// What a load did. An image never holds part of a file: after Failed or
// Unsupported it is empty, so a write that follows sends nothing.
enum class LoadStatus {
    Loaded,
    NotFound,     // path empty or no such file; slot untouched
    Failed,       // unreadable, malformed or too large; image and view empty
    Unsupported,  // ending other than BIN / HEX / ELF (/ EEP); image and view emptied silently
};

// An .eep file whose first line is not a HEX record, taken byte for byte.
struct RawRead {
    qint64 bytes = 0;
    bool looksLikeText = false;  // see looksLikeText(): most likely not meant as data
};

// What a load did, with the text of the warning box a failure is shown in.
struct LoadOutcome {
    LoadStatus status = LoadStatus::Loaded;
    QString problem;  // Failed: the box text ("FLASH文件读取错误！" and what went wrong)
    std::optional<RawRead> raw;  // Loaded: the file was read as raw binary by its content
    bool operator==(LoadStatus other) const { return status == other; }
};

// The fuse and lock bytes of an ELF file, with the file's name for the log.
struct FileFuses {
    QString fileName;
    QByteArray fuses;  // low, high, extended, as many as the file has
    std::optional<quint8> lock;
};

// The FLASH and EEPROM file loaders. A load logs what it found and returns
// it; showing a failure is the caller's.
class ImageFiles {
public:
    using SendInfoFn = std::function<void(const QString&)>;

    ImageFiles(ImageSlot& flash, ImageSlot& eeprom, EventPump& pump, SendInfoFn sendInfo);

    // The largest file a loader reads. The largest chip holds 32 KiB of FLASH:
    // as Intel HEX that is about 90 KB with the usual 16 bytes per record and
    // 480 KiB even with one byte per record. A larger file cannot be an image
    // for these chips, and reading it whole would hold the window (and the
    // start-up) for seconds.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    // Loads a file into the image, its view and its status panel; the file
    // is opened under the path as given. The HEX reader yields to the window
    // once per line.
    LoadOutcome load(MemoryKind memory, const QString& path);
    // The log line of a file read as raw binary by its content.
    static QString rawBinaryText(const QString& fileName, qint64 bytes);

    // What an ELF file's sections must fit: the selected model's sizes. Without
    // it, those of the largest chip.
    void setElfLimits(std::function<ElfLimits()> limits) { m_elfLimits = std::move(limits); }
    // The fuse and lock bytes of the ELF file in FLASH, or else of the one in
    // EEPROM; nothing when neither slot holds an ELF file that has some.
    // Loading never puts them into the fuse cells: that is the user's choice.
    std::optional<FileFuses> fileFuses() const;

private:
    LoadOutcome fail(ImageSlot& slot, const QString& detail, bool detailInBox = false);

    ImageSlot& m_flash;
    ImageSlot& m_eeprom;
    EventPump& m_pump;
    SendInfoFn m_sendInfo;
    std::function<ElfLimits()> m_elfLimits;
    std::array<std::optional<FileFuses>, 2> m_fileFuses;  // FLASH, EEPROM
};

// Writes the image's bytes (read by MemoryImage::toBytesLenient) to path. The
// file is replaced only once everything is written: on failure an existing
// file stays as it was, false is returned and error (if given) says why.
bool saveImageToBin(const MemoryImage& image, const QString& path, QString* error = nullptr);

}  // namespace kv
