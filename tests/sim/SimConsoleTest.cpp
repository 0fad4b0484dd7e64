// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "SimBench.h"
#include "sim/SimConsole.h"

using kv::sim::SimConsole;
using kv::test::SimBench;

TEST(SimConsole, ChangesTheChipAndReportsItsState) {
    SimBench bench;
    SimConsole console(bench.device, nullptr);
    EXPECT_EQ(console.execute("model attiny26"), "ok model ATTINY26");
    EXPECT_EQ(bench.exchange("RS#"), "FFFFF7E1");
    EXPECT_TRUE(console.execute("model ATMEGA9").startsWith("error:"));
    EXPECT_EQ(bench.device.model(), "ATTINY26");
    // Absent bytes ("..") and bits the part lacks stay 1, as in silicon.
    EXPECT_EQ(console.execute("fuses E4 .. 00 .."), "ok fuses E4 F7 FF FF");
    EXPECT_EQ(bench.exchange("RS#"), "FFFFF7E4");
    EXPECT_TRUE(console.execute("fuses E4 F7").startsWith("error:"));
    EXPECT_TRUE(console.execute("fuses E4 F7 .. XY").startsWith("error:"));
    EXPECT_EQ(console.execute("signature 1E9307"), "ok signature 1E9307");
    EXPECT_EQ(bench.exchange("RI01#"), "93");
    EXPECT_TRUE(console.execute("signature 1E93").startsWith("error:"));
    EXPECT_TRUE(console.execute("signature 1E93XY").startsWith("error:"));

    bench.exchange("WE5A0001#");
    const QJsonObject dump = QJsonDocument::fromJson(console.execute("dump").toUtf8()).object();
    EXPECT_EQ(dump["model"].toString(), "ATTINY26");
    EXPECT_EQ(dump["signature"].toString(), "1E9307");
    EXPECT_EQ(dump["eeprom"].toString().left(4), "FF5A");
    EXPECT_EQ(dump["flash"].toString().size(), 4096);
    EXPECT_EQ(dump["fuses"].toObject()["high"].toString(), "F7");
    EXPECT_EQ(console.execute("transcript"),
              QString::fromLatin1(QByteArray("RS#RS#RI01#WE5A0001#").toHex().toUpper()));
}

TEST(SimConsole, SetsFaultsAndStartsTheLoader) {
    SimBench bench;
    SimConsole console(bench.device, nullptr);
    EXPECT_EQ(console.execute("fault lowercase 1"), "ok fault lowercase 1");
    EXPECT_EQ(console.execute("fault readlimit 3"), "ok fault readlimit 3");
    EXPECT_EQ(bench.exchange("RF0004#"), "fff");
    EXPECT_EQ(console.execute("fault clear"), "ok fault clear");
    EXPECT_EQ(bench.exchange("RF0001#"), "FF");
    EXPECT_TRUE(console.execute("fault silent maybe").startsWith("error:"));
    EXPECT_TRUE(console.execute("fault sleepy 1").startsWith("error:"));
    EXPECT_EQ(console.execute("loaderpage 32"), "ok loaderpage 32");
    EXPECT_EQ(console.execute("loader"), "ok loader");
    bench.run(1'000'000);
    EXPECT_EQ(bench.port.readAll(), "B");
    EXPECT_EQ(bench.device.loaderPageSize(), 32);
    bool quit = false;
    QObject::connect(&console, &SimConsole::quitRequested, [&] { quit = true; });
    EXPECT_TRUE(console.execute("bogus").startsWith("error:"));
    EXPECT_EQ(console.execute("  "), "");
    EXPECT_EQ(console.execute("quit"), "ok quit");
    EXPECT_TRUE(quit);
}
