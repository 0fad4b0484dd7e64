// SPDX-License-Identifier: MIT
#include "fuses/FuseEditor.h"

#include <QCoreApplication>
#include <QDir>

#include "fuses/FuseBitText.h"
#include "fuses/FuseDefinitionReader.h"
#include "fuses/OptionKey.h"

namespace kv {

namespace {

const char* const kFrameTitles[4] = {
    QT_TRANSLATE_NOOP("FuseEditor", "熔丝低字节"), QT_TRANSLATE_NOOP("FuseEditor", "熔丝高字节"),
    QT_TRANSLATE_NOOP("FuseEditor", "扩展熔丝位"), QT_TRANSLATE_NOOP("FuseEditor", "锁定位")};

bool isClean(const QString& caption) {
    return caption == QLatin1String("1") || caption == QLatin1String("0") ||
           caption == QLatin1String("*");
}

}  // namespace

FuseEditor::FuseEditor(QObject* parent) : QObject(parent), m_folders(defaultDefinitionFolders()) {
    for (FuseCell& c : m_cells)
        c.colour = FuseCell::kProgrammedColour;  // empty caption: not "1"
    computeFuseBytes();
}

QStringList FuseEditor::defaultDefinitionFolders() {
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/Set");
#ifdef KV_INSTALL_DATADIR
    folders << QStringLiteral(KV_INSTALL_DATADIR "/Set");
#endif
    return folders;
}

void FuseEditor::log(const QString& message) const {
    if (m_log)
        m_log(message);
}

void FuseEditor::setOptionListDisplayed(bool on) {
    if (m_displayed == on)
        return;
    m_displayed = on;
    Q_EMIT optionListDisplayedChanged(on);
}

void FuseEditor::loadFuseDefinitions(const QString& fileName) {
    m_options.clear();
    m_selected = m_pending = 0;
    Q_EMIT definitionsChanged();
    setOptionListDisplayed(false);

    const QString path = FuseDefinitionReader::locate(m_folders, fileName);
    if (path.isEmpty()) {
        // Named where the program looks first: where the user should put it.
        const QString expected = QDir::toNativeSeparators(
            m_folders.isEmpty() ? fileName : QDir(m_folders.first()).filePath(fileName));
        log(QCoreApplication::translate("FuseEditor", "找不到熔丝定义文件%1。").arg(expected));
        setDefinitionsProblem(
            QCoreApplication::translate("FuseEditor", "找不到熔丝定义文件%1").arg(expected));
        return;
    }
    const auto result =
        FuseDefinitionReader::read(path, fileName, [this](const QString& m) { log(m); });
    if (result.outcome != FuseDefinitionReader::Outcome::Loaded) {
        setDefinitionsProblem(QCoreApplication::translate("FuseEditor", "熔丝定义文件%1无法使用")
                                  .arg(QDir::toNativeSeparators(path)));
        return;
    }
    setDefinitions(result.definitions);
    setOptionListDisplayed(true);
}

void FuseEditor::setDefinitionsProblem(const QString& problem) {
    m_definitionsProblem = problem;
    Q_EMIT definitionsChanged();
}

void FuseEditor::setDefinitions(const FuseDefinitions& definitions) {
    m_definitionsProblem.clear();
    m_options = definitions.options;
    for (int i = 0; i < 32; ++i)
        m_names[i].caption = i < definitions.names.size() ? definitions.names.at(i) : QString();
    m_defaultBits = definitions.defaultBits;
    m_selected = m_pending = 0;
    Q_EMIT definitionsChanged();
}

void FuseEditor::applyFuseBits(QString bits) {
    Captions captions;
    for (int i = 31; i >= 0; --i) {
        const int index = 31 - i;
        captions[i] = index < bits.size() ? bits.mid(index, 1) : QString();
    }
    applyCaptions(captions);
}

void FuseEditor::applyCaptions(const Captions& captions) {
    for (int i = 0; i < 32; ++i) {
        FuseCell& c = m_cells[i];
        c.caption = captions[i];
        c.colour = c.caption == QLatin1String("1") ? FuseCell::kUnprogrammedColour
                                                   : FuseCell::kProgrammedColour;
        c.enabled = c.caption != QLatin1String("*");
        m_names[i].enabled = c.enabled;
    }
    computeFuseBytes();
    syncOptionsFromBits();
}

void FuseEditor::computeFuseBytes() {
    for (int b = 0; b < 4; ++b) {
        quint8 value = 0;
        for (int k = 0; k < 8; ++k) {
            const QString& caption = m_cells[8 * b + k].caption;
            if (caption == QLatin1String("1") || caption == QLatin1String("*"))
                value |= quint8(1u << k);
        }
        m_bytes[b] = value;
        m_frameCaptions[b] = QCoreApplication::translate("FuseEditor", kFrameTitles[b]) +
                             QLatin1Char('[') + byteText(b) + QLatin1Char(']');
    }
    Q_EMIT cellsChanged();
}

// A key the editor cannot act on is never the first option of its mask, so it
// cannot keep a valid option of the same mask from following its cell.
void FuseEditor::syncOptionsFromBits() {
    auto syncSingle = [this](const QString& kind, const QString& mask, int cell) {
        for (FuseOption& o : m_options) {
            if (o.key.left(3) == kind && o.key.mid(5, 4) == mask && OptionKey::parse(o.key)) {
                o.checked = m_cells[cell].caption == QLatin1String("0");
                return;
            }
        }
    };
    for (int j = 0; j < 16; ++j)
        syncSingle(QStringLiteral("FSB"), fusebits::toHex(0xFFFFu - (1u << j), 4), j);
    for (int j = 16; j < 24; ++j)
        syncSingle(QStringLiteral("FSE"), fusebits::toHex(0xFFu - (1u << (j - 16)), 4), j);
    syncGroups(QStringLiteral("FDB"), 16, 16);
    syncGroups(QStringLiteral("FDE"), 8, 24);
    syncGroups(QStringLiteral("FDL"), 8, 32);
    Q_EMIT checksChanged();
}

// Bit d (from the left) of a width-bit group mask belongs to cell topCell - d.
void FuseEditor::syncGroups(const QString& kind, int width, int topCell) {
    QStringList masks;
    for (const FuseOption& o : std::as_const(m_options)) {
        if (o.key.left(3) != kind || !OptionKey::parse(o.key))
            continue;
        const QString mask = o.key.mid(5, 4);
        if (!masks.contains(mask))
            masks << mask;
    }
    for (const QString& mask : std::as_const(masks)) {
        const QString b = fusebits::toBinary(mask.toUInt(nullptr, 16), width);
        QString t(width, QLatin1Char('0'));
        for (int d = 1; d <= width; ++d) {
            const QString& caption = m_cells[topCell - d].caption;
            if (b.at(d - 1) == QLatin1Char('0') && !caption.isEmpty())
                t[d - 1] = caption.at(0);
        }
        const QString choice = mask + QLatin1Char('/') + fusebits::toHex(fusebits::binToUInt(t), 4);
        for (FuseOption& o : m_options) {
            if (o.key.contains(mask))
                o.checked = false;
            if (o.key.contains(choice))
                o.checked = true;
        }
    }
}

// Only the bits the option controls change (for lock groups also lock bits 7
// and 6, which take the option's value); "*" cells never change. Cells outside
// those bits keep their captions even when they are empty or invalid, so a
// toggle never turns an unknown bit into a programmed one.
void FuseEditor::toggleOption(int position) {
    if (position < 1 || position > m_options.size())
        return;
    const FuseOption& option = m_options.at(position - 1);
    const auto key = OptionKey::parse(option.key);
    if (!key)
        return;
    int base = 0;
    quint32 affected = key->fieldBits();
    quint32 readMask = 0xFFFF;
    switch (key->kind()) {
        case OptionKey::Kind::FSB:
        case OptionKey::Kind::FDB:
            break;
        case OptionKey::Kind::FSE:
        case OptionKey::Kind::FDE:
            base = 16;
            readMask = 0xFF;
            break;
        case OptionKey::Kind::FDL:
            base = 24;
            readMask = 0x3F;  // lock bits 5 ... 0
            affected |= 0xC0;
            break;
    }
    const int width = base == 0 ? 16 : 8;
    quint32 current = 0;
    for (int k = 0; k < width; ++k) {
        if (m_cells[base + k].caption == QLatin1String("1"))
            current |= 1u << k;
    }
    current &= readMask;
    quint32 next;
    if (key->isGroup())
        next = (current & key->mask()) | key->value();
    else if (option.checked)
        next = current & key->mask();
    else
        next = current | (~key->mask() & (width == 16 ? 0xFFFFu : 0xFFu));

    Captions captions;
    for (int i = 0; i < 32; ++i)
        captions[i] = m_cells[i].caption;
    for (int k = 0; k < width; ++k) {
        QString& caption = captions[base + k];
        if ((affected & (1u << k)) && caption != QLatin1String("*"))
            caption = (next & (1u << k)) ? QStringLiteral("1") : QStringLiteral("0");
    }
    applyCaptions(captions);
}

void FuseEditor::toggleBitCell(int cell) {
    if (cell < 0 || cell > 31 || !m_cells[cell].enabled)
        return;
    FuseCell& c = m_cells[cell];
    c.caption = c.caption == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1");
    c.colour = c.caption == QLatin1String("1") ? FuseCell::kUnprogrammedColour
                                               : FuseCell::kProgrammedColour;
    computeFuseBytes();
    syncOptionsFromBits();
}

void FuseEditor::setOptionChecked(int position, bool checked) {
    if (position < 1 || position > m_options.size())
        return;
    FuseOption& option = m_options[position - 1];
    if (!OptionKey::parse(option.key)) {
        Q_EMIT checksChanged();  // the box goes back to its state
        return;
    }
    option.checked = checked;
    m_selected = position;
    Q_EMIT selectedOptionChanged(position);
    m_pending = position;
    toggleOption(position);
}

void FuseEditor::settlePendingOption() {
    if (m_pending == 0)
        return;
    const int position = m_pending;
    m_pending = 0;
    if (position > m_options.size())
        return;
    FuseOption& option = m_options[position - 1];
    if (option.key.size() >= 2 && option.key.at(1) == QLatin1Char('D')) {
        option.checked = true;
        Q_EMIT checksChanged();
    }
}

QString FuseEditor::fuseBitString() const {
    QString s;
    for (int i = 31; i >= 0; --i)
        s += m_cells[i].caption;
    return s;
}

QString FuseEditor::byteText(int b) const {
    return fusebits::toHex(m_bytes.at(b), 2);
}

bool FuseEditor::cellsClean(int first, int last) const {
    for (int i = first; i <= last; ++i) {
        if (!isClean(m_cells.at(i).caption))
            return false;
    }
    return true;
}

}  // namespace kv
