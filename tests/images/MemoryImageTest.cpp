// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "images/ImageSlot.h"
#include "images/MemoryImage.h"

using kv::hexViewText;
using kv::MemoryImage;

namespace {

const QString kIdeo = QString(QChar(0x3000));

QByteArray counting(int n) {
    QByteArray bytes(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        bytes[i] = char(i * 7 + 1);
    return bytes;
}

TEST(hexViewText, LinesOfSixteenBytesWithAddressIdeographicSpaceAndLoneCr) {
    const MemoryImage image = MemoryImage::fromBytes(counting(20));
    const QString digits = image.text();
    const QString expected =
        u" 0000" + kIdeo + digits.left(32) + u"\r" + u" 0010" + kIdeo + digits.mid(32) + u"\r";
    EXPECT_EQ(hexViewText(image), expected);
    EXPECT_EQ(digits.mid(32).size(), 8);
    EXPECT_TRUE(hexViewText(MemoryImage()).isEmpty());
}

TEST(hexViewText, KeepsDigitsAsTheyStandAndShowsADanglingDigit) {
    const MemoryImage image(QStringLiteral("ab0c") + QString(28, u'0') + QStringLiteral("f"));
    const QStringList lines = hexViewText(image).split(u'\r', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(u" 0000" + kIdeo + u"ab0c"));
    EXPECT_EQ(lines[1], u" 0010" + kIdeo + u"f");
}

TEST(MemoryImage, BytesRoundTripInUpperCaseAndOnlyWellFormedTextConverts) {
    const QByteArray bytes("\x00\x0F\xA5\xFF", 4);
    EXPECT_EQ(MemoryImage::fromBytes(bytes).text(), QStringLiteral("000FA5FF"));
    EXPECT_EQ(MemoryImage(QStringLiteral("000fa5FF")).toBytes(), bytes);
    for (const char* bad : {"AB0", "AG", "A "}) {
        EXPECT_FALSE(MemoryImage(QString::fromLatin1(bad)).isWellFormed()) << bad;
        EXPECT_TRUE(MemoryImage(QString::fromLatin1(bad)).toBytes().isEmpty()) << bad;
    }
}

TEST(MemoryImage, LenientBytesFollowTheBinaryFileRules) {
    // "G1": no leading digit gives 0; "1G": the first digit alone; "A" at the end: its value.
    EXPECT_EQ(MemoryImage(QStringLiteral("G11G7fA")).toBytesLenient(),
              QByteArray("\x00\x01\x7F\x0A", 4));
}

TEST(MemoryImage, ByteCountTextShowsAHalfForAnOddDigitCount) {
    EXPECT_EQ(MemoryImage(QStringLiteral("AABBC")).byteCountText(), QStringLiteral("2.5"));
    EXPECT_EQ(MemoryImage(QStringLiteral("AABB")).byteCountText(), QStringLiteral("2"));
    EXPECT_EQ(MemoryImage().byteCountText(), QStringLiteral("0"));
}

TEST(ImageSlot, ProgressStaysWithinTheBarsRange) {
    kv::ImageSlot slot(kv::MemoryKind::Flash);
    QList<int> seen;
    QObject::connect(&slot, &kv::ImageSlot::progressChanged, [&](int p) { seen << p; });
    slot.setProgress(150);
    slot.setProgress(-3);
    slot.setProgress(-3);
    slot.setProgress(42);
    EXPECT_EQ(seen, (QList<int>{100, 0, 42}));
}

}  // namespace
