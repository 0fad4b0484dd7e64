// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

// A firmware file read whole into memory and cut into the loader's pages. The
// loader counts pages in one byte, so a file is refused before anything is sent
// when it has more than kMaxFullPages full pages.
class FirmwareFile {
public:
    static constexpr int kMaxFullPages = 255;

    // Reads the file; throws OperationError with the system's text when it cannot
    // be read, and with a text of its own when it is empty or too large.
    static FirmwareFile load(const QString& path, int pageSize);
    // The same checks on bytes already in memory.
    static FirmwareFile fromBytes(const QByteArray& bytes, int pageSize);

    const QByteArray& bytes() const { return m_bytes; }
    int pageSize() const { return m_pageSize; }
    int fullPages() const { return int(m_bytes.size() / m_pageSize); }
    // Bytes after the last full page (0 when the length is a multiple of the page).
    int tailBytes() const { return int(m_bytes.size() % m_pageSize); }

    // One byte as the loader reads it: two upper-case hex digits.
    static QByteArray hexByte(quint8 byte);

private:
    FirmwareFile(QByteArray bytes, int pageSize)
        : m_bytes(std::move(bytes)), m_pageSize(pageSize) {}

    QByteArray m_bytes;
    int m_pageSize;
};

}  // namespace kv
