// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/MessageLog.h"

namespace {

using kv::MessageLog;

const QString kBanner = QStringLiteral("高压编程器 就绪\r\n\r\n");
const QString kStamp = QStringLiteral("[09:05:03]\r\n");

class MessageLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        log.setTimeOfDay([] { return QTime(9, 5, 3); });
        log.setBanner(kBanner);
        QObject::connect(&log, &MessageLog::changed, [this] { ++changes; });
    }
    MessageLog log;
    int changes = 0;
};

TEST_F(MessageLogTest, EntryIsMessageThenStampLine) {
    EXPECT_EQ(log.text(), kBanner);
    log.sendInfo(QStringLiteral("读标识字:1E9307"));
    log.sendInfo(QStringLiteral("两行\r\n消息"));
    EXPECT_EQ(log.text(), kBanner + QStringLiteral("读标识字:1E9307\r\n") + kStamp +
                              QStringLiteral("两行\r\n消息\r\n") + kStamp);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(MessageLog::stampLine(QTime(23, 59, 7)), QStringLiteral("[23:59:07]\r\n"));
}

TEST_F(MessageLogTest, EmptyMessageChangesNothing) {
    log.sendInfo(QString());
    log.sendInfo(QStringLiteral(""));
    EXPECT_EQ(log.text(), kBanner);
    EXPECT_EQ(changes, 0);
}

TEST_F(MessageLogTest, ExactlyThousandIsKeptAndTheNextMessageTrims) {
    log.setBanner(QString(1000, QLatin1Char('a')));
    log.sendInfo(QStringLiteral("x"));
    EXPECT_EQ(log.text().size(), 1000 + 1 + 2 + 12);
    EXPECT_TRUE(log.text().startsWith(QString(1000, QLatin1Char('a'))));

    log.sendInfo(QStringLiteral("y"));
    // The only "]" is the stamp of "x": everything through it and its CR LF goes.
    EXPECT_EQ(log.text(), QStringLiteral("y\r\n") + kStamp);
}

TEST_F(MessageLogTest, WithoutBracketTheFirstTwoCharactersGo) {
    const QString banner = QString(51, QLatin1Char('b')) + QString(950, QLatin1Char('a'));
    log.setBanner(banner);
    log.sendInfo(QStringLiteral("m"));
    EXPECT_EQ(log.text(), QString(948, QLatin1Char('a')) + QStringLiteral("m\r\n") + kStamp);
}

TEST_F(MessageLogTest, TrimmedLogStartsWithAWholeEntry) {
    for (int i = 0; i < 200; ++i) {
        const QString entry = QStringLiteral("写FLASH第%1页\r\n").arg(i) + kStamp;
        const qsizetype before = log.text().size();
        log.sendInfo(entry.left(entry.indexOf(QLatin1Char('\r'))));
        const QString& t = log.text();
        EXPECT_TRUE(t.endsWith(entry));
        if (before > MessageLog::kTrimAbove) {
            EXPECT_LE(t.size() - entry.size(), 948);
            EXPECT_TRUE(t.startsWith(QStringLiteral("写FLASH第"))) << i;
        } else {
            EXPECT_EQ(t.size(), before + entry.size());
        }
    }
    EXPECT_FALSE(log.text().contains(kBanner));
}

TEST_F(MessageLogTest, BracketInsideAMessageMovesTheCut) {
    // The last 950 characters begin with a message holding "]".
    QString tail = QStringLiteral("ab]cdefg\r\n") + kStamp;
    tail += QString(950 - tail.size(), QLatin1Char('z'));
    log.setBanner(QString(51, QLatin1Char('q')) + tail);
    log.sendInfo(QStringLiteral("新"));
    EXPECT_TRUE(log.text().startsWith(QStringLiteral("efg\r\n") + kStamp));
    EXPECT_TRUE(log.text().endsWith(QStringLiteral("z新\r\n") + kStamp));
}

TEST_F(MessageLogTest, CutNeverLeavesHalfASurrogatePair) {
    QString banner(50, QLatin1Char('b'));
    for (int i = 0; i < 475; ++i) {
        banner += QString::fromUtf8("😀");
    }
    banner += QLatin1Char('c');
    log.setBanner(banner);
    const QString kept = MessageLog::trimmed(log.text());
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_TRUE(kept.at(0).isHighSurrogate());
    EXPECT_TRUE(kept.isValidUtf16());
}

TEST_F(MessageLogTest, DoubleClickRestoresBannerAlone) {
    for (int i = 0; i < 100; ++i) {
        log.sendInfo(QStringLiteral("消息"));
    }
    changes = 0;
    log.reset();
    EXPECT_EQ(log.text(), kBanner);
    EXPECT_EQ(log.logBanner(), kBanner);
    EXPECT_EQ(changes, 1);
}

}  // namespace
