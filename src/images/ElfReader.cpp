// SPDX-License-Identifier: MIT
#include "images/ElfReader.h"

#include <elf.h>
#include <gelf.h>
#include <libelf.h>

#include <QCoreApplication>
#include <QFile>
#include <QList>

#include "images/ImageFiles.h"

namespace kv {

namespace {

using Error = ElfReader::Error;

// One loadable piece of the file: a section, or a segment when the file has
// no section table.
struct Piece {
    QString name;
    qint64 address = 0;  // load address
    QByteArray bytes;
};

ElfReader::Result failure(Error error, const QString& detail = {}, qint64 end = 0,
                          qint64 limit = 0) {
    ElfReader::Result result;
    result.error = error;
    result.detail = detail;
    result.end = end;
    result.limit = limit;
    return result;
}

// Header fields read before libelf sees the file, so that a cut or foreign
// file is named for what it is rather than for libelf's first complaint.
quint32 field(const QByteArray& bytes, int offset, int size, bool bigEndian) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i) {
        const int at = offset + (bigEndian ? i : size - 1 - i);
        value = (value << 8) | quint8(bytes.at(at));
    }
    return value;
}

bool beyond(qint64 offset, qint64 size, qint64 fileSize) {
    return offset < 0 || size < 0 || offset > fileSize || size > fileSize - offset;
}

// Releases libelf's descriptor on every way out.
struct ElfHandle {
    Elf* elf = nullptr;
    ~ElfHandle() {
        if (elf)
            elf_end(elf);
    }
};

// Headers are copied out of libelf's buffer: for an odd table offset libelf
// hands back pointers that are not aligned for the header structures.
std::optional<ElfReader::Result> collect(Elf* elf, const QByteArray& bytes, QList<Piece>& pieces) {
    GElf_Ehdr header;
    size_t phnum = 0;
    size_t shnum = 0;
    if (!gelf_getehdr(elf, &header) || elf_getphdrnum(elf, &phnum) != 0 ||
        elf_getshdrnum(elf, &shnum) != 0)
        return failure(Error::BadStructure, QString::fromUtf8(elf_errmsg(-1)));
    QList<GElf_Phdr> segments;
    for (size_t i = 0; i < phnum; ++i) {
        GElf_Phdr p;
        if (!gelf_getphdr(elf, int(i), &p))
            return failure(Error::BadStructure, QString::fromUtf8(elf_errmsg(-1)));
        if (p.p_type == PT_LOAD && beyond(p.p_offset, p.p_filesz, bytes.size()))
            return failure(Error::Truncated);
        segments.append(p);
    }
    // The load address (LMA) of file bytes: where the segment that holds them
    // is loaded. .data runs at a RAM address but is stored in FLASH after .text.
    auto loadAddress = [&](qint64 offset, qint64 size, qint64 fallback) {
        for (const GElf_Phdr& p : std::as_const(segments)) {
            if (p.p_type == PT_LOAD && offset >= qint64(p.p_offset) &&
                offset + size <= qint64(p.p_offset + p.p_filesz))
                return qint64(p.p_paddr) + (offset - qint64(p.p_offset));
        }
        return fallback;
    };
    if (shnum <= 1) {
        for (qsizetype i = 0; i < segments.size(); ++i) {
            const GElf_Phdr& p = segments[i];
            if (p.p_type == PT_LOAD && p.p_filesz > 0)
                pieces.append({QStringLiteral("#%1").arg(i), qint64(p.p_paddr),
                               bytes.mid(qsizetype(p.p_offset), qsizetype(p.p_filesz))});
        }
        return std::nullopt;
    }
    size_t names = 0;
    if (elf_getshdrstrndx(elf, &names) != 0)
        return failure(Error::BadStructure, QString::fromUtf8(elf_errmsg(-1)));
    for (Elf_Scn* scn = elf_nextscn(elf, nullptr); scn; scn = elf_nextscn(elf, scn)) {
        GElf_Shdr s;
        if (!gelf_getshdr(scn, &s))
            return failure(Error::BadStructure, QString::fromUtf8(elf_errmsg(-1)));
        if (!(s.sh_flags & SHF_ALLOC) || s.sh_type == SHT_NOBITS || s.sh_size == 0)
            continue;
        if (beyond(qint64(s.sh_offset), qint64(s.sh_size), bytes.size()))
            return failure(Error::Truncated);
        const char* name = elf_strptr(elf, names, s.sh_name);
        pieces.append({name ? QString::fromUtf8(name) : QStringLiteral("?"),
                       loadAddress(qint64(s.sh_offset), qint64(s.sh_size), qint64(s.sh_addr)),
                       bytes.mid(qsizetype(s.sh_offset), qsizetype(s.sh_size))});
    }
    return std::nullopt;
}

void place(QByteArray& memory, qint64 offset, const QByteArray& bytes) {
    if (memory.size() < offset + bytes.size())
        memory.resize(offset + bytes.size(), char(0xFF));
    memory.replace(offset, bytes.size(), bytes);
}

}  // namespace

QString ElfImage::fuseText() const {
    static const char* const names[] = {QT_TRANSLATE_NOOP("ElfReader", "低字节"),
                                        QT_TRANSLATE_NOOP("ElfReader", "高字节"),
                                        QT_TRANSLATE_NOOP("ElfReader", "扩展字节")};
    QStringList parts;
    for (int i = 0; i < fuses.size() && i < 3; ++i)
        parts << QCoreApplication::translate("ElfReader", names[i]) + u' ' +
                     QString::number(quint8(fuses.at(i)), 16).rightJustified(2, u'0').toUpper();
    QString text = parts.join(QCoreApplication::translate("ElfReader", "，"));
    if (lock) {
        if (!text.isEmpty())
            text += QCoreApplication::translate("ElfReader", "；");
        text += QCoreApplication::translate("ElfReader", "锁定位 %1")
                    .arg(QString::number(*lock, 16).rightJustified(2, u'0').toUpper());
    }
    return text;
}

ElfReader::Result ElfReader::read(const QByteArray& bytes, const ElfLimits& limits) {
    if (bytes.size() < SELFMAG || !bytes.startsWith(QByteArray(ELFMAG, SELFMAG)))
        return failure(Error::NotElf);
    if (bytes.size() < EI_NIDENT)
        return failure(Error::Truncated);
    const int elfClass = quint8(bytes.at(EI_CLASS));
    const int order = quint8(bytes.at(EI_DATA));
    if (elfClass == ELFCLASS64)
        return failure(Error::Not32Bit);
    if (elfClass != ELFCLASS32 || (order != ELFDATA2LSB && order != ELFDATA2MSB))
        return failure(Error::NotElf);
    if (bytes.size() < qsizetype(sizeof(Elf32_Ehdr)))
        return failure(Error::Truncated);
    const bool big = order == ELFDATA2MSB;
    const quint32 machine = field(bytes, offsetof(Elf32_Ehdr, e_machine), 2, big);
    if (machine != EM_AVR)
        return failure(Error::WrongMachine, QString::number(machine));
    if (field(bytes, offsetof(Elf32_Ehdr, e_type), 2, big) != ET_EXEC)
        return failure(Error::NotExecutable);
    // Sizes that disagree with the structures mean the tables cannot be read
    // as what they claim to be.
    const auto sizeOf = [&](int offset, const char* name, quint32 expected,
                            bool used) -> std::optional<Result> {
        const quint32 given = field(bytes, offset, 2, big);
        if (used && given != expected)
            return failure(
                Error::BadStructure,
                QStringLiteral("%1 %2 ≠ %3").arg(QLatin1String(name)).arg(given).arg(expected));
        return std::nullopt;
    };
    const quint32 phnum = field(bytes, offsetof(Elf32_Ehdr, e_phnum), 2, big);
    const quint32 shnum = field(bytes, offsetof(Elf32_Ehdr, e_shnum), 2, big);
    const quint32 phoff = field(bytes, offsetof(Elf32_Ehdr, e_phoff), 4, big);
    const quint32 shoff = field(bytes, offsetof(Elf32_Ehdr, e_shoff), 4, big);
    if (auto bad = sizeOf(offsetof(Elf32_Ehdr, e_ehsize), "e_ehsize", sizeof(Elf32_Ehdr), true))
        return *bad;
    if (auto bad = sizeOf(offsetof(Elf32_Ehdr, e_phentsize), "e_phentsize", sizeof(Elf32_Phdr),
                          phnum != 0 || phoff != 0))
        return *bad;
    if (auto bad = sizeOf(offsetof(Elf32_Ehdr, e_shentsize), "e_shentsize", sizeof(Elf32_Shdr),
                          shnum != 0 || shoff != 0))
        return *bad;
    const qint64 phTable = qint64(phnum) * sizeof(Elf32_Phdr);
    const qint64 shTable = qint64(shnum) * sizeof(Elf32_Shdr);
    if (beyond(phoff, phTable, bytes.size()) || beyond(shoff, shTable, bytes.size()))
        return failure(Error::Truncated);

    static const bool initialised = elf_version(EV_CURRENT) != EV_NONE;
    if (!initialised)
        return failure(Error::BadStructure, QStringLiteral("libelf"));
    // libelf may rewrite its buffer in place; it gets a private copy.
    QByteArray copy(bytes.constData(), bytes.size());
    ElfHandle handle{elf_memory(copy.data(), size_t(copy.size()))};
    if (!handle.elf || elf_kind(handle.elf) != ELF_K_ELF)
        return failure(Error::BadStructure, QString::fromUtf8(elf_errmsg(-1)));
    QList<Piece> pieces;
    if (auto refused = collect(handle.elf, bytes, pieces))
        return *refused;

    Result result;
    ElfImage& image = result.image;
    for (const Piece& piece : std::as_const(pieces)) {
        const qint64 start = piece.address;
        const qint64 end = start + piece.bytes.size();
        if (start < 0x800000) {
            if (end > limits.flashSize)
                return failure(Error::FlashOverflow, piece.name, end, limits.flashSize);
            place(image.flash, start, piece.bytes);
        } else if (start >= kEepromBase && start < kFuseBase) {
            if (end - kEepromBase > limits.eepromSize)
                return failure(Error::EepromOverflow, piece.name, end - kEepromBase,
                               limits.eepromSize);
            place(image.eeprom, start - kEepromBase, piece.bytes);
        } else if (start >= kFuseBase && start < kLockBase) {
            if (end - kFuseBase > limits.fuseBytes)
                return failure(Error::FuseTooLong, piece.name, end - kFuseBase, limits.fuseBytes);
            place(image.fuses, start - kFuseBase, piece.bytes);
        } else if (start >= kLockBase && start < kSignatureBase) {
            if (end - kLockBase > 1)
                return failure(Error::LockTooLong, piece.name, end - kLockBase, 1);
            image.lock = quint8(piece.bytes.at(0));
        } else if (start < kSignatureBase || start >= kSignatureBase + 0x10000) {
            return failure(Error::UnknownAddress, piece.name, start);
        }
    }
    return result;
}

ElfReader::Result ElfReader::readFile(const QString& path, const ElfLimits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(Error::ReadFailed, file.errorString());
    const QByteArray bytes = file.read(ImageFiles::kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(Error::ReadFailed, file.errorString());
    if (bytes.size() > ImageFiles::kMaxFileBytes)
        return failure(Error::TooLarge, {}, bytes.size(), ImageFiles::kMaxFileBytes);
    return read(bytes, limits);
}

QString ElfReader::describe(const Result& r) {
    switch (r.error) {
        case Error::None:
            return QString();
        case Error::ReadFailed:
            return QCoreApplication::translate("ElfReader", "读取失败：%1").arg(r.detail);
        case Error::TooLarge:
            return QCoreApplication::translate("ElfReader",
                                               "文件太大，不是芯片映像（超过 %1 字节）")
                .arg(r.limit);
        case Error::NotElf:
            return QCoreApplication::translate("ElfReader", "不是 ELF 文件");
        case Error::Truncated:
            return QCoreApplication::translate("ElfReader", "ELF 文件不完整（文件被截断）");
        case Error::Not32Bit:
            return QCoreApplication::translate(
                "ElfReader", "是 64 位 ELF 文件，不是 AVR 程序（AVR 程序是 32 位 ELF）");
        case Error::WrongMachine:
            return QCoreApplication::translate("ElfReader",
                                               "是其它处理器的程序（机器号 %1），不是 AVR 程序")
                .arg(r.detail);
        case Error::NotExecutable:
            return QCoreApplication::translate("ElfReader",
                                               "不是链接好的程序（目标文件或库），不能编程");
        case Error::BadStructure:
            return QCoreApplication::translate("ElfReader", "ELF 文件结构错误：%1").arg(r.detail);
        case Error::FlashOverflow:
            return QCoreApplication::translate("ElfReader",
                                               "段 %1 超出芯片 FLASH：到 %2 字节，芯片只有 %3 字节")
                .arg(r.detail)
                .arg(r.end)
                .arg(r.limit);
        case Error::EepromOverflow:
            return QCoreApplication::translate(
                       "ElfReader", "段 %1 超出芯片 EEPROM：到 %2 字节，芯片只有 %3 字节")
                .arg(r.detail)
                .arg(r.end)
                .arg(r.limit);
        case Error::FuseTooLong:
            return QCoreApplication::translate("ElfReader",
                                               "段 %1 有 %2 个熔丝字节，所选型号只有 %3 个")
                .arg(r.detail)
                .arg(r.end)
                .arg(r.limit);
        case Error::LockTooLong:
            return QCoreApplication::translate("ElfReader",
                                               "段 %1 有 %2 个字节，锁定位只有 1 个字节")
                .arg(r.detail)
                .arg(r.end);
        case Error::UnknownAddress:
            return QCoreApplication::translate("ElfReader",
                                               "段 %1 的地址 0x%2 不属于芯片的任何存储器")
                .arg(r.detail)
                .arg(QString::number(r.end, 16).toUpper());
    }
    return QString();
}

}  // namespace kv
