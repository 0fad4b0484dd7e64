// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <limits>

#include "core/LeadingNumber.h"

namespace {

using kv::leadingNumber;

TEST(leadingNumber, TakesLongestLeadingDecimalNumber) {
    EXPECT_EQ(leadingNumber(QStringLiteral(" 3")), 3);
    EXPECT_EQ(leadingNumber(QStringLiteral(" \t 8191")), 8191);
    EXPECT_EQ(leadingNumber(QStringLiteral("12ab")), 12);
    EXPECT_EQ(leadingNumber(QStringLiteral("81a1")), 81);
    EXPECT_EQ(leadingNumber(QStringLiteral("007")), 7);
    EXPECT_EQ(leadingNumber(QStringLiteral("1 2")), 1);
}

TEST(leadingNumber, TextWithoutNumberGivesZero) {
    EXPECT_EQ(leadingNumber(QString()), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("-")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("- 5")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("　3")), 0);  // ideographic space is no blank
    EXPECT_EQ(leadingNumber(QStringLiteral("３")), 0);   // full-width digit is no digit
}

TEST(leadingNumber, SignsAndSaturation) {
    EXPECT_EQ(leadingNumber(QStringLiteral("-5")), -5);
    EXPECT_EQ(leadingNumber(QStringLiteral(" +42x")), 42);
    EXPECT_EQ(leadingNumber(QStringLiteral("9223372036854775807")),
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(leadingNumber(QStringLiteral("99999999999999999999999")),
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(leadingNumber(QStringLiteral("-9223372036854775808")),
              std::numeric_limits<qint64>::min());
    EXPECT_EQ(leadingNumber(QStringLiteral("-99999999999999999999999")),
              std::numeric_limits<qint64>::min());
}

}  // namespace
