// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QImage>

#include "ui/Icons.h"

namespace kv::test {
namespace {

// The window frame and the task bar show the very pictures the menu entry
// ships, each size drawn for itself rather than scaled from another.
TEST(ApplicationIcon, CarriesEveryShippedSizeAsItsOwnPicture) {
    const QIcon icon = ui::Icons::application();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(KV_SOURCE_DIR
                                            "/data/desktop/icons/%1x%1/"
                                            "org.kelvaro.Kelvaro.png")
                                 .arg(size);
        const QImage shipped(file);
        ASSERT_FALSE(shipped.isNull()) << file.toStdString();
        // A pixmap holds premultiplied colours; compare in that form, or the
        // rounding of half-transparent edges would count as a difference.
        const QImage shown = icon.pixmap(QSize(size, size), 1.0).toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  shipped.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << size;
    }
}

}  // namespace
}  // namespace kv::test
