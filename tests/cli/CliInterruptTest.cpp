// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <signal.h>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include "tests/cli/CliProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestFiles.h"

namespace kv::test {
namespace {

struct Stop {
    const char* name;
    int signal;
    int exit;  // 128 + the signal
};

class CliEndToEndStop : public ::testing::TestWithParam<Stop> {};

// Ctrl-C, a supervisor's SIGTERM or a closed terminal's SIGHUP in the middle
// of a FLASH write: the command ends between two pages, says what it did,
// records the chip, closes the port and exits 128 + the signal; the chip
// holds whole pages of the image and erased pages, never a page cut in two.
TEST_P(CliEndToEndStop, DuringAFlashWriteLeavesWholePagesAndARecord) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA32")});
    QTemporaryDir dir;
    QByteArray image(32768, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char& b : image)
        b = char(random.bounded(255));  // never 0xFF: a written byte always shows
    const QString file = writeFile(dir.filePath("big.bin"), image);

    CliProcess cli;
    cli.start({"--json", "-p", sim.pts(), "write-flash", file, "--verify"});
    ASSERT_TRUE(cli.waitForLine([](const QJsonObject& l) {
        return l["event"] == "progress" && l["step"] == "flash" && l["done"].toInt() >= 20;
    })) << cli.rawOutput().toStdString();
    ASSERT_EQ(::kill(pid_t(cli.pid()), GetParam().signal), 0);
    EXPECT_EQ(cli.finish(), GetParam().exit) << cli.rawOutput().toStdString();

    const QJsonObject result = cli.result();
    EXPECT_EQ(cli.resultCount(), 1);
    EXPECT_EQ(result["ok"], false);
    EXPECT_EQ(result["interrupted"], true);
    EXPECT_EQ(result["reason"], "stopped");
    EXPECT_TRUE(result.contains("record")) << "the half-written chip has its row";
    EXPECT_LT(result["flashProgress"].toInt(), 100);
    EXPECT_FALSE(result.contains("eepromProgress")) << "the command never touched EEPROM";
    EXPECT_TRUE(result["message"].toString().contains(QStringLiteral("端口已关闭")));
    EXPECT_FALSE(result.contains("flashVerified")) << "the verify after the stop never ran";
    EXPECT_TRUE(cli.logTexts().join('\n').contains(QStringLiteral("写FLASH中断")));
    CliProcess list;
    list.useFoldersOf(cli);
    ASSERT_EQ(list.run({"--json", "record", "list"}), 0);
    EXPECT_EQ(list.result()["records"].toArray().at(0)["result"], "stopped");

    const QByteArray chip = QByteArray::fromHex(sim.dump()["flash"].toString().toLatin1());
    ASSERT_EQ(chip.size(), image.size());
    const int page = 128;
    int written = 0, erased = 0;
    for (int at = 0; at < chip.size(); at += page) {
        const QByteArray got = chip.mid(at, page);
        if (got == image.mid(at, page))
            ++written;
        else if (got == QByteArray(page, char(0xFF)))
            ++erased;
        else
            ADD_FAILURE() << "page at " << at << " is neither written nor erased";
    }
    EXPECT_GE(written, 256 / 5);
    EXPECT_GT(erased, 0);
    // The port was closed and can be opened again; the programmer gives up
    // the stalled page stream after a second of silence, then answers.
    QThread::msleep(1500);
    CliProcess again;
    EXPECT_EQ(again.run({"--json", "-p", sim.pts(), "detect"}), 0);
}

// A read stopped half-way leaves the programmer streaming the rest of its
// reply; the next command waits for the line to fall quiet before it asks,
// so it reads the signature, not the rest of the FLASH.
TEST(CliEndToEnd, TheCommandAfterAStoppedReadDrainsTheLineFirst) {
    SimProcess sim({QStringLiteral("--model"), QStringLiteral("ATMEGA32")});
    QTemporaryDir dir;
    CliProcess read;
    read.start({"--json", "-p", sim.pts(), "read-flash", dir.filePath("out.bin")});
    ASSERT_TRUE(read.waitForLine([](const QJsonObject& l) {
        return l["event"] == "progress" && l["step"] == "flash" && l["done"].toInt() >= 10;
    })) << read.rawOutput().toStdString();
    ASSERT_EQ(::kill(pid_t(read.pid()), SIGINT), 0);
    EXPECT_EQ(read.finish(), 130);

    CliProcess detect;
    EXPECT_EQ(detect.run({"--json", "-p", sim.pts(), "detect"}), 0)
        << detect.rawOutput().toStdString();
    EXPECT_EQ(detect.result()["signature"], "1E9502");
    EXPECT_EQ(detect.result()["model"], "ATMEGA32");
}

INSTANTIATE_TEST_SUITE_P(Signals, CliEndToEndStop,
                         ::testing::Values(Stop{"ctrl_c", SIGINT, 130}, Stop{"term", SIGTERM, 143},
                                           Stop{"hangup", SIGHUP, 129}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
