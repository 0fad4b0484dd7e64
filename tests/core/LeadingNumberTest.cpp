#include <gtest/gtest.h>

#include <limits>

#include "core/LeadingNumber.h"

namespace {

using kv::LeadingNumber;

TEST(LeadingNumber, TakesLongestLeadingDecimalNumber) {
    EXPECT_EQ(LeadingNumber(QStringLiteral(" 3")), 3);
    EXPECT_EQ(LeadingNumber(QStringLiteral(" \t 8191")), 8191);
    EXPECT_EQ(LeadingNumber(QStringLiteral("12ab")), 12);
    EXPECT_EQ(LeadingNumber(QStringLiteral("81a1")), 81);
    EXPECT_EQ(LeadingNumber(QStringLiteral("007")), 7);
    EXPECT_EQ(LeadingNumber(QStringLiteral("1 2")), 1);
}

TEST(LeadingNumber, TextWithoutNumberGivesZero) {
    EXPECT_EQ(LeadingNumber(QString()), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("-")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("- 5")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("　3")), 0);  // ideographic space is no blank
    EXPECT_EQ(LeadingNumber(QStringLiteral("３")), 0);   // full-width digit is no digit
}

TEST(LeadingNumber, SignsAndSaturation) {
    EXPECT_EQ(LeadingNumber(QStringLiteral("-5")), -5);
    EXPECT_EQ(LeadingNumber(QStringLiteral(" +42x")), 42);
    EXPECT_EQ(LeadingNumber(QStringLiteral("9223372036854775807")),
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(LeadingNumber(QStringLiteral("99999999999999999999999")),
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(LeadingNumber(QStringLiteral("-9223372036854775808")),
              std::numeric_limits<qint64>::min());
    EXPECT_EQ(LeadingNumber(QStringLiteral("-99999999999999999999999")),
              std::numeric_limits<qint64>::min());
}

}  // namespace
