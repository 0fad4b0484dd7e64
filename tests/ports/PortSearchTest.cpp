// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "PortFormFixture.h"
#include "ports/PortSearch.h"
#include "tests/support/RecordingSerialControl.h"
#include "tests/support/TestFiles.h"

namespace kv {
namespace {

// The rig's programmer sits on COM16, which the search never probes; tests move
// a second programmer around the probed numbers.
class PortSearchTest : public test::PortFormFixture {
protected:
    PortSearchTest() : PortFormFixture(16) {}
    sim::SimulatedProgrammer target;
};

TEST_F(PortSearchTest, FindsTheProgrammerOnTheThirdPort) {
    rig.port.attach(1, nullptr);  // free ports with nothing on them
    rig.port.attach(2, nullptr);
    rig.port.attach(3, &target);
    PortSettingsForm& f = makeForm();
    f.setEcho(true);
    f.search();
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(toggles, 1);  // opened through the toggle, which refreshes the indicators
    EXPECT_EQ(target.transcript(), "CC#");
    EXPECT_EQ(rig.wire(), QByteArray());         // COM16 was closed and never asked
    EXPECT_EQ(rig.port.written(), "CC#CC#CC#");  // COM1, COM2, COM3
    EXPECT_EQ(rig.log, QStringList{QStringLiteral("连接成功!")});
    EXPECT_EQ(stored(QStringLiteral("通信端口")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("设置")), QStringLiteral("115200,n,8,1"));
    EXPECT_EQ(stored(QStringLiteral("握手")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("回应")), QStringLiteral("True"));
    EXPECT_TRUE(prompts.warnings.isEmpty());
}

TEST_F(PortSearchTest, PortsThatFailToOpenOrStaySilentAreSkipped) {
    sim::SimulatedProgrammer silent;
    silent.faults().silent = true;
    rig.port.attach(1, &target);
    rig.port.setBusy(1);  // held by another program
    rig.port.attach(2, &silent);
    rig.port.attach(4, nullptr);  // a free port with nothing on it
    sim::SimulatedProgrammer found;
    rig.port.attach(9, &found);
    PortSearch search(rig.link);
    const qint64 start = rig.clock.nowUs();
    EXPECT_EQ(search.run(), 9);
    EXPECT_EQ(search.probed(), (QList<int>{2, 4, 9}));
    EXPECT_EQ(silent.transcript(), "CC#");
    EXPECT_EQ(target.transcript(), QByteArray());
    EXPECT_EQ(found.transcript(), "CC#");
    EXPECT_TRUE(rig.port.isOpen());
    // 100 ms before and 200 ms after each question.
    EXPECT_GE(rig.elapsedMsSince(start), 3 * 300);
    EXPECT_LT(rig.elapsedMsSince(start), 3 * 300 + 50);
}

// Each probe: stale input dropped, "CC#" in one write 100 ms after the open,
// the reply taken 200 ms later.
TEST_F(PortSearchTest, ProbeDropsStaleInputAndKeepsItsPace) {
    rig.port.attach(1, nullptr);
    rig.port.attach(2, nullptr);
    rig.port.attach(3, &target);
    test::RecordingSerialControl recorder(rig.port, rig.clock);
    recorder.staleOnOpen = "\xFF";  // line noise the driver held from before the open
    ProgrammerLink link(recorder, rig.clock, rig.pump, {});
    PortSearch search(link);
    EXPECT_EQ(search.run(), 3);

    const auto& events = recorder.events;
    ASSERT_EQ(events.size(), 6);
    for (int probe = 0; probe < 3; ++probe) {
        const auto& open = events[2 * probe];
        const auto& question = events[2 * probe + 1];
        EXPECT_TRUE(open.bytes.isEmpty());
        EXPECT_EQ(open.portNumber, probe + 1);
        EXPECT_EQ(question.bytes, "CC#");
        EXPECT_GT(question.atUs - open.atUs, 100'000);
        EXPECT_LT(question.atUs - open.atUs, 100'100);
        if (probe < 2) {
            const qint64 toNextOpen = events[2 * probe + 2].atUs - question.atUs;
            EXPECT_GT(toNextOpen, 200'000);
            EXPECT_LT(toNextOpen, 200'100);
        }
    }
}

TEST_F(PortSearchTest, ReplyWithOneMoreCharacterIsNotTheProgrammer) {
    target.faults().garbage = "x";
    rig.port.attach(3, &target);
    PortSettingsForm& f = makeForm();
    f.search();
    EXPECT_EQ(target.transcript(), "CC#");
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_EQ(prompts.texts()[0], QStringLiteral("没有找到连接编程器的端口!    "));
    EXPECT_EQ(prompts.titles()[0], QStringLiteral("警告提示\u3000\u3000\u3000\u3000\u3000"));
    // Back as before the search: COM16 open again, indicators refreshed.
    EXPECT_EQ(rig.port.portNumber(), 16);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(toggles, 0);
    EXPECT_TRUE(rig.log.isEmpty());
    EXPECT_TRUE(stored(QStringLiteral("通信端口")).isEmpty());
}

TEST_F(PortSearchTest, NothingFoundLeavesAClosedPortClosed) {
    rig.port.setOpen(false);
    rig.port.attach(15, nullptr);  // the last probe opens but hears nothing
    PortSettingsForm& f = makeForm();
    f.search();
    EXPECT_EQ(prompts.warnings.size(), 1);
    EXPECT_EQ(rig.port.portNumber(), 16);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(refreshes, 1);
}

TEST_F(PortSearchTest, OnlyNumbersWithADeviceAreProbed) {
    // A system with two USB adapters: COM1 and COM2 by default. COM6 is mapped
    // to the first adapter as well, COM7 to a device that is not there.
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("dev")));
    for (const char* name : {"dev/ttyUSB0", "dev/ttyUSB1"})
        test::writeFile(root.filePath(QString::fromLatin1(name)), {});
    PortMap map(&store, root.path());
    PortSettingsForm& f = makeForm(&map);
    EXPECT_EQ(f.devicePath(2), QStringLiteral("/dev/ttyUSB1"));
    f.setDevicePath(6, QStringLiteral("/dev/ttyUSB0"));
    f.setDevicePath(7, QStringLiteral("/dev/ttyUSB9"));
    EXPECT_EQ(f.devicePath(7), QStringLiteral("/dev/ttyUSB9"));
    EXPECT_TRUE(store.read(PortMap::storeSection(), QStringLiteral("COM7")).isEmpty());

    sim::SimulatedProgrammer onSix, onSeven;
    rig.port.attach(1, nullptr);
    rig.port.attach(6, &onSix);
    rig.port.attach(7, &onSeven);
    f.search();
    EXPECT_EQ(store.read(PortMap::storeSection(), QStringLiteral("COM7")),
              QStringLiteral("/dev/ttyUSB9"));
    EXPECT_FALSE(f.deviceExists(7));
    EXPECT_TRUE(onSix.transcript().isEmpty());  // same device as COM1
    EXPECT_TRUE(onSeven.transcript().isEmpty());
    EXPECT_EQ(rig.port.written(), "CC#");  // COM1 only; COM2 could not be opened
    EXPECT_EQ(prompts.warnings.size(), 1);
}

}  // namespace
}  // namespace kv
