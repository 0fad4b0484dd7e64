// SPDX-License-Identifier: MIT
#include "images/ImageSlot.h"

#include <algorithm>

namespace kv {

ImageSlot::ImageSlot(MemoryKind kind, QObject* parent) : QObject(parent), m_kind(kind) {}

void ImageSlot::setImage(const MemoryImage& image) {
    if (m_image == image)
        return;
    m_image = image;
    Q_EMIT imageChanged();
}

void ImageSlot::setViewText(const QString& text) {
    if (m_viewText == text)
        return;
    m_viewText = text;
    Q_EMIT viewTextChanged(m_viewText);
}

void ImageSlot::showImage(const MemoryImage& image) {
    setImage(image);
    setViewText(hexViewText(image));
}

void ImageSlot::setPathText(const QString& text) {
    if (m_pathText == text)
        return;
    m_pathText = text;
    Q_EMIT pathTextChanged(m_pathText);
}

void ImageSlot::setPanelText(const QString& text) {
    if (m_panelText == text)
        return;
    m_panelText = text;
    Q_EMIT panelTextChanged(m_panelText);
}

void ImageSlot::setProgress(qint64 percent) {
    const int clamped = int(std::clamp<qint64>(percent, 0, 100));
    if (m_progress == clamped)
        return;
    m_progress = clamped;
    Q_EMIT progressChanged(m_progress);
}

}  // namespace kv
