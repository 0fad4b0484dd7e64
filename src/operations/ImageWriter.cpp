// SPDX-License-Identifier: MIT
#include "operations/ImageWriter.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "core/OperationError.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "pass/PassPlan.h"
#include "programmer/Programmer.h"

namespace kv {

namespace {

// The bytes of the pairs before the first that is not one: what of a text
// image can be compared with the chip.
QByteArray leadingBytes(const QString& text) {
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.append(char(high << 4 | low));
    }
    return bytes;
}

}  // namespace

ImageWriter::ImageWriter(Programmer& programmer, ImageSlot& flash, ImageSlot& eeprom,
                         GeometryFn geometry)
    : m_programmer(programmer), m_flash(flash), m_eeprom(eeprom), m_geometry(std::move(geometry)) {}

QString ImageWriter::refusalOf(const ImageSlot& slot) {
    if (slot.image().isEmpty() || slot.image().isWellFormed())
        return QString();
    return QCoreApplication::translate("ImageWriter", "%1缓冲区含有非十六进制数据，未写入！")
        .arg(memoryName(slot.kind()));
}

ImagePlan ImageWriter::planOf(const ImageSlot& slot) {
    const MemoryImage& image = slot.image();
    ImagePlan plan =
        ImagePlan::fromBytes(image.isWellFormed() ? image.toBytes() : leadingBytes(image.text()),
                             QFileInfo(slot.pathText()).fileName());
    plan.refusal = refusalOf(slot);
    if (image.byteCount() != plan.bytes.size())
        plan.coveredBytes = image.byteCount();
    return plan;
}

WriteOutcome ImageWriter::write(MemoryKind memory) {
    const ImageSlot& slot = memory == MemoryKind::Flash ? m_flash : m_eeprom;
    if (slot.image().isEmpty()) {
        WriteOutcome outcome;
        outcome.memory = memory;
        return outcome;
    }
    if (const QString refusal = refusalOf(slot); !refusal.isEmpty())
        throw OperationError(refusal);
    m_programmer.setGeometry(m_geometry());
    return m_programmer.write(memory, slot.image().toBytes());
}

}  // namespace kv
