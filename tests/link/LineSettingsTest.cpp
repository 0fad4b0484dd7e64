// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "core/OperationError.h"
#include "link/LineSettings.h"

using kv::LineSettings;

namespace {

QString parseError(const QString& text) {
    QString error;
    EXPECT_FALSE(LineSettings::parse(text, &error).has_value()) << text.toStdString();
    return error;
}

}  // namespace

TEST(LineSettings, ParsesTheDefaultAndEveryFieldVariant) {
    using Parity = LineSettings::Parity;
    using StopBits = LineSettings::StopBits;
    struct Case {
        QString text;
        int baudRate;
        Parity parity;
        int dataBits;
        StopBits stopBits;
    };
    std::vector<Case> cases{{"115200,n,8,1", 115200, Parity::None, 8, StopBits::One},
                            {" 9600 ,\tE , 7 , 1.5 ", 9600, Parity::Even, 7, StopBits::OneAndHalf}};
    const std::pair<const char*, Parity> letters[] = {
        {"o", Parity::Odd},   {"O", Parity::Odd},   {"m", Parity::Mark}, {"M", Parity::Mark},
        {"s", Parity::Space}, {"S", Parity::Space}, {"N", Parity::None}, {"e", Parity::Even},
    };
    for (const auto& [letter, parity] : letters)
        cases.push_back({QStringLiteral("300,%1,4,2").arg(letter), 300, parity, 4, StopBits::Two});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const auto s = LineSettings::parse(c.text);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->baudRate, c.baudRate);
        EXPECT_EQ(s->parity, c.parity);
        EXPECT_EQ(s->dataBits, c.dataBits);
        EXPECT_EQ(s->stopBits, c.stopBits);
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
