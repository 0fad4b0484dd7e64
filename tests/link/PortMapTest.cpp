// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "link/PortMap.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFiles.h"

using kv::PortMap;

namespace {

// A fake file-system root with /dev entries and, for on-board ports, the
// kernel's UART type (0: no UART behind the name).
class FakeRoot {
public:
    FakeRoot() { QDir(m_dir.path()).mkpath("dev/pts"); }
    QString path() const { return m_dir.path(); }
    void device(const QString& name) { kv::test::writeFile(m_dir.filePath("dev/" + name), {}); }
    void uart(const QString& name, int type) {
        device(name);
        QDir(m_dir.path()).mkpath("sys/class/tty/" + name);
        kv::test::writeFile(m_dir.filePath("sys/class/tty/" + name + "/type"),
                            QByteArray::number(type) + "\n");
    }

private:
    QTemporaryDir m_dir;
};

struct PortMapTest : ::testing::Test {
    kv::test::TempSettings store;
    FakeRoot root;
};

}  // namespace

TEST_F(PortMapTest, DefaultsPutUsbFirstInNaturalOrderAndSkipPhantomUarts) {
    for (const char* name : {"ttyUSB10", "ttyS1", "ttyACM0", "ttyUSB2", "ttyUSBx", "tty1", "ttyS",
                             "ttyACM1", "console"}) {
        root.device(name);
    }
    root.uart("ttyS0", 4);  // 16550A found
    root.uart("ttyS1", 0);  // registered, no chip
    root.uart("ttyS10", 4);
    root.device("ttyS2");  // no sysfs entry at all

    PortMap map(&store, root.path());
    EXPECT_EQ(map.defaultDevices(), QStringList({"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                                                 "/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyS10"}));

    const auto all = map.mappings();
    ASSERT_EQ(all.size(), 16);
    EXPECT_EQ(all[0].number, 1);
    EXPECT_EQ(all[0].devicePath, "/dev/ttyUSB2");
    EXPECT_TRUE(all[0].exists);
    EXPECT_FALSE(all[0].stored);
    EXPECT_EQ(all[5].devicePath, "/dev/ttyS10");
    EXPECT_EQ(all[6].devicePath, "");
    EXPECT_FALSE(all[6].exists);
    EXPECT_EQ(all[15].number, 16);
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB10");
    EXPECT_EQ(map.devicePath(0), "");
    EXPECT_EQ(map.devicePath(17), "");
}

TEST_F(PortMapTest, StoredEntryOverridesOneNumberAndEmptyMeansDefault) {
    root.device("ttyUSB0");
    root.device("ttyUSB1");
    PortMap map(&store, root.path());

    map.setDevicePath(2, "/dev/pts/7");
    EXPECT_EQ(store.read("端口映射", "COM2"), "/dev/pts/7");
    auto m = map.mapping(2);
    EXPECT_EQ(m.devicePath, "/dev/pts/7");
    EXPECT_TRUE(m.stored);
    EXPECT_FALSE(m.exists);
    root.device("pts/7");
    EXPECT_TRUE(map.mapping(2).exists);
    // Other numbers keep their defaults: no renumbering around an override.
    EXPECT_EQ(map.devicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.devicePath(3), "");

    map.setDevicePath(5, "/dev/ttyUSB1");  // any path, also one that is another default
    EXPECT_EQ(map.devicePath(5), "/dev/ttyUSB1");

    map.clearDevicePath(2);
    EXPECT_EQ(store.read("端口映射", "COM2"), "");
    m = map.mapping(2);
    EXPECT_EQ(m.devicePath, "/dev/ttyUSB1");
    EXPECT_FALSE(m.stored);

    ASSERT_TRUE(store.write("端口映射", "COM1", "   "));
    EXPECT_EQ(map.devicePath(1), "/dev/ttyUSB0");
}

TEST_F(PortMapTest, WorksWithoutStoreAndMapsPathsAsGiven) {
    root.device("ttyACM3");
    PortMap bare(nullptr, root.path() + "/");
    EXPECT_EQ(bare.devicePath(1), "/dev/ttyACM3");
    bare.setDevicePath(1, "/dev/null");  // no store: nothing to write to
    EXPECT_EQ(bare.devicePath(1), "/dev/ttyACM3");

    // On the real root a stored symlink or pty path is reported as it exists.
    PortMap real(&store);
    real.setDevicePath(4, "/dev/null");
    EXPECT_TRUE(real.mapping(4).exists);
    EXPECT_TRUE(real.mapping(4).stored);
}
