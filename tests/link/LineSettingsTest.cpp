#include <gtest/gtest.h>

#include "link/LineSettings.h"
#include "link/OperationError.h"

using kv::LineSettings;

namespace {

QString parseError(const QString& text) {
    QString error;
    EXPECT_FALSE(LineSettings::parse(text, &error).has_value()) << text.toStdString();
    return error;
}

}  // namespace

TEST(LineSettings, ParsesTheDefaultAndEveryFieldVariant) {
    const auto s = LineSettings::parse("115200,n,8,1");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->baudRate, 115200);
    EXPECT_EQ(s->parity, LineSettings::Parity::None);
    EXPECT_EQ(s->dataBits, 8);
    EXPECT_EQ(s->stopBits, LineSettings::StopBits::One);

    const auto t = LineSettings::parse(" 9600 ,\tE , 7 , 1.5 ");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->baudRate, 9600);
    EXPECT_EQ(t->parity, LineSettings::Parity::Even);
    EXPECT_EQ(t->dataBits, 7);
    EXPECT_EQ(t->stopBits, LineSettings::StopBits::OneAndHalf);

    const std::pair<const char*, LineSettings::Parity> letters[] = {
        {"o", LineSettings::Parity::Odd},   {"O", LineSettings::Parity::Odd},
        {"m", LineSettings::Parity::Mark},  {"M", LineSettings::Parity::Mark},
        {"s", LineSettings::Parity::Space}, {"S", LineSettings::Parity::Space},
        {"N", LineSettings::Parity::None},  {"e", LineSettings::Parity::Even},
    };
    for (const auto& [letter, parity] : letters) {
        const auto p = LineSettings::parse(QStringLiteral("300,%1,4,2").arg(letter));
        ASSERT_TRUE(p) << letter;
        EXPECT_EQ(p->parity, parity) << letter;
        EXPECT_EQ(p->dataBits, 4);
        EXPECT_EQ(p->stopBits, LineSettings::StopBits::Two);
    }
}

TEST(LineSettings, RejectsMalformedFieldsNamingThem) {
    EXPECT_TRUE(parseError("115200,n,8").contains("四项"));
    EXPECT_TRUE(parseError("115200,n,8,1,").contains("四项"));
    EXPECT_TRUE(parseError("").contains("四项"));
    EXPECT_TRUE(parseError("115200;n;8;1").contains("四项"));

    for (const char* baud : {"0", "-9600", "+9600", "1e5", "abc", "", "99999999999", "96 00"}) {
        const QString error = parseError(QStringLiteral("%1,n,8,1").arg(baud));
        EXPECT_TRUE(error.contains("波特率")) << baud << " " << error.toStdString();
    }
    for (const char* parity : {"x", "", "no", "nn"}) {
        EXPECT_TRUE(parseError(QStringLiteral("9600,%1,8,1").arg(parity)).contains("校验位"))
            << parity;
    }
    for (const char* data : {"3", "9", "", "8.0", "-8"}) {
        EXPECT_TRUE(parseError(QStringLiteral("9600,n,%1,1").arg(data)).contains("数据位")) << data;
    }
    for (const char* stop : {"0", "3", "1.0", "15", ""}) {
        EXPECT_TRUE(parseError(QStringLiteral("9600,n,8,%1").arg(stop)).contains("停止位")) << stop;
    }
    // The whole text is quoted so the user can find the mistake.
    EXPECT_TRUE(parseError("9600,q,8,1").contains("9600,q,8,1"));
}

TEST(LineSettings, FromTextThrowsAndToTextRoundTrips) {
    EXPECT_THROW(LineSettings::fromText("9600,n,9,1"), kv::OperationError);
    const LineSettings s = LineSettings::fromText(" 57600 , S , 5 , 1.5");
    EXPECT_EQ(s.toText(), "57600,s,5,1.5");
    EXPECT_EQ(LineSettings::fromText(s.toText()), s);
    EXPECT_EQ(LineSettings().toText(), "115200,n,8,1");
}
