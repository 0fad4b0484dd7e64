// SPDX-License-Identifier: MIT
#include "operations/ImageReader.h"

#include "core/OperationError.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "operations/ImageWriter.h"
#include "pass/PassPlan.h"
#include "programmer/Programmer.h"

namespace kv {

ImageReader::ImageReader(Programmer& programmer, ImageSlot& flash, ImageSlot& eeprom,
                         GeometryFn geometry)
    : m_programmer(programmer), m_flash(flash), m_eeprom(eeprom), m_geometry(std::move(geometry)) {}

ReadOutcome ImageReader::read(MemoryKind memory) {
    ImageSlot& slot = this->slot(memory);
    slot.setImage(MemoryImage());
    try {
        const MemoryGeometry geometry = m_geometry();
        m_programmer.setGeometry(geometry);
        const qint64 count =
            memory == MemoryKind::Flash ? geometry.flashSize : qint64(geometry.eepromSize);
        const ReadResult result = m_programmer.read(memory, count);
        slot.showImage(result.outcome.complete() ? MemoryImage::fromBytes(result.bytes)
                                                 : MemoryImage());
        if (memory == MemoryKind::Flash)
            slot.setPanelText(QStringLiteral("FLASH:"));
        return result.outcome;
    } catch (const OperationError&) {
        slot.showImage(MemoryImage());
        throw;
    }
}

VerifyOutcome ImageReader::verify(MemoryKind memory) {
    const ImagePlan image = ImageWriter::planOf(slot(memory));
    if (!image.isEmpty())
        m_programmer.setGeometry(m_geometry());
    return m_programmer.verify(memory, image.bytes, image.size());
}

}  // namespace kv
