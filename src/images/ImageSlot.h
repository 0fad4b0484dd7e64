// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include "core/MemoryKind.h"
#include "images/MemoryImage.h"

namespace kv {

// Everything the window shows for one chip memory: the image, the hex view
// text, the path box (FileNameText(0) / FileNameText(1)), the status panel
// ("FLASH:…字节" / "EEPROM:…字节") and the progress bar (0-100). Logic writes
// it; the window binds to the change signals. Setters signal only on change.
class ImageSlot : public QObject {
    Q_OBJECT
public:
    explicit ImageSlot(MemoryKind kind, QObject* parent = nullptr);

    MemoryKind kind() const { return m_kind; }
    bool isFlash() const { return m_kind == MemoryKind::Flash; }

    const MemoryImage& image() const { return m_image; }
    void setImage(const MemoryImage& image);
    const QString& viewText() const { return m_viewText; }
    void setViewText(const QString& text);
    // Image and its hex view together.
    void showImage(const MemoryImage& image);

    const QString& pathText() const { return m_pathText; }
    void setPathText(const QString& text);
    const QString& panelText() const { return m_panelText; }
    void setPanelText(const QString& text);

    int progress() const { return m_progress; }
    // Clamped to 0-100, the range of the bar.
    void setProgress(qint64 percent);

Q_SIGNALS:
    void imageChanged();
    void viewTextChanged(const QString& text);
    void pathTextChanged(const QString& text);
    void panelTextChanged(const QString& text);
    void progressChanged(int percent);

private:
    MemoryKind m_kind;
    MemoryImage m_image;
    QString m_viewText;
    QString m_pathText;
    QString m_panelText;
    int m_progress = 0;
};

}  // namespace kv
