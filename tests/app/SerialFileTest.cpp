// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/SerialFile.h"
#include "core/OperationError.h"

namespace kv::test {
namespace {

QString write(const QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath(QStringLiteral("line3.SET.serial"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

TEST(SerialFile, ReadsEveryKeyBesideTheScheme) {
    QTemporaryDir dir;
    write(dir,
          "# 三号线\nname=板号\r\nstart=1000\nstep = 2\nwidth=6\nformat=hex\n"
          "target=flash\naddress=0x1F00\n");
    const auto scheme = SerialFile::loadBeside(dir.filePath(QStringLiteral("line3.SET")));
    ASSERT_TRUE(scheme.has_value());
    EXPECT_EQ(scheme->name, QStringLiteral("板号"));
    EXPECT_EQ(scheme->start, 1000);
    EXPECT_EQ(scheme->step, 2);
    EXPECT_EQ(scheme->width, 6);
    EXPECT_EQ(scheme->format, SerialScheme::Format::HexText);
    EXPECT_EQ(scheme->target, SerialScheme::Target::Flash);
    EXPECT_EQ(scheme->address, 0x1F00u);
    EXPECT_FALSE(SerialFile::loadBeside(dir.filePath(QStringLiteral("other.SET"))).has_value());
}

class SerialFileRefuses : public ::testing::TestWithParam<const char*> {};

TEST_P(SerialFileRefuses, ALineItCannotUse) {
    QTemporaryDir dir;
    const QString path = write(dir, QByteArray("name=a\n") + GetParam() + '\n');
    EXPECT_THROW(SerialFile::load(path), OperationError);
}

INSTANTIATE_TEST_SUITE_P(Lines, SerialFileRefuses,
                         ::testing::Values("format=octal", "target=ram", "width=twelve",
                                           "address=-1", "step=0", "width=9", "colour=red",
                                           "width=4294967297", "address=4294967296",
                                           "address=0x100000000", "start=9223372036854775808"));

struct Placement {
    quint32 address;
    int width;
    bool fits;
};

class SerialPlacement : public ::testing::TestWithParam<Placement> {};

// Every byte of the number inside a 512-byte EEPROM, or refused naming the
// file, the width and the address.
TEST_P(SerialPlacement, FitsOrIsRefusedWithFileAddressAndWidth) {
    SerialScheme scheme;
    scheme.address = GetParam().address;
    scheme.width = GetParam().width;
    const auto problem = SerialFile::placementProblem(scheme, 512, QStringLiteral("a.serial"));
    EXPECT_EQ(!problem, GetParam().fits);
    if (problem) {
        EXPECT_TRUE(problem->contains(QStringLiteral("a.serial")));
        EXPECT_TRUE(problem->contains(QString::number(GetParam().address)));
        EXPECT_TRUE(problem->contains(QString::number(GetParam().width)));
    }
}

INSTANTIATE_TEST_SUITE_P(Eeprom512, SerialPlacement,
                         ::testing::Values(Placement{508, 4, true},   // fits exactly
                                           Placement{510, 4, false},  // two bytes over the end
                                           Placement{509, 4, false},  // one byte over
                                           Placement{600, 1, false},  // beyond the memory
                                           Placement{0xFFFFFFFF, 8, false}));

}  // namespace
}  // namespace kv::test
