// SPDX-License-Identifier: MIT
// The proof, end to end: kelvaro-cli on a pseudo-terminal, the open
// programmer's firmware in simavr behind it, a chip modelled from its
// datasheet in the socket; the image written is then run on a core of its own.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "avr/ProgrammerBoard.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/SimProcess.h"

namespace kv::sim::avr {
namespace {

using test::CliProcess;
using test::SimProcess;

const QString kFirmware = QStringLiteral(KV_BIN_DIR "/firmware/kelvaro-programmer.elf");

QString blinkImage(const char* mcu) {
    return QStringLiteral(KV_TEST_IMAGES "/blink-%1.hex").arg(QLatin1String(mcu));
}

// The modelled chip found nothing wrong in what the firmware did.
void expectNoViolations(SimProcess& sim) {
    const QJsonArray violations = sim.dump().value("violations").toArray();
    EXPECT_TRUE(violations.isEmpty()) << QJsonDocument(violations).toJson().toStdString();
}

QJsonObject runCli(const QString& pts, const QStringList& arguments) {
    CliProcess cli;
    const int exit =
        cli.run(QStringList{QStringLiteral("--json"), QStringLiteral("-p"), pts} + arguments);
    EXPECT_EQ(exit, 0) << arguments.join(u' ').toStdString() << "\n"
                       << cli.rawOutput().toStdString() << cli.errors().toStdString();
    return cli.result();
}

struct Part {
    const char* model;
    const char* mcu;  // simavr's core of the same chip
    const char* signature;
};

void PrintTo(const Part& p, std::ostream* os) {
    *os << p.model;
}

class FirmwareEndToEnd : public ::testing::TestWithParam<Part> {};

// Detect, write the blink image with verify, read the fuses; then the FLASH
// the model holds runs on an ATmega core of its own and blinks PB1 every 5 ms.
TEST_P(FirmwareEndToEnd, DetectsWritesVerifiesAndTheImageRuns) {
    const Part& part = GetParam();
    ASSERT_TRUE(QFileInfo::exists(kFirmware)) << "the firmware is not built";
    SimProcess sim({QStringLiteral("--firmware"), kFirmware, QStringLiteral("--model"),
                    QString::fromLatin1(part.model)});
    ASSERT_TRUE(sim.pts().startsWith(QStringLiteral("/dev/"))) << sim.greeting().toStdString();

    const QJsonObject detected = runCli(sim.pts(), {QStringLiteral("detect")});
    EXPECT_EQ(detected.value("signature"), QLatin1String(part.signature));
    EXPECT_EQ(detected.value("model"), QLatin1String(part.model));

    const QJsonObject written =
        runCli(sim.pts(),
               {QStringLiteral("write-flash"), blinkImage(part.mcu), QStringLiteral("--verify")});
    EXPECT_EQ(written.value("flashVerified"), true);

    const QJsonObject fuses = runCli(sim.pts(), {QStringLiteral("fuses"), QStringLiteral("read")});
    const QJsonObject chip = sim.dump();
    const QJsonObject held = chip.value("fuses").toObject();
    EXPECT_EQ(fuses.value("low"), held.value("low")) << ::testing::PrintToString(fuses);
    EXPECT_EQ(fuses.value("high"), held.value("high"));
    expectNoViolations(sim);

    const QByteArray flash = QByteArray::fromHex(chip.value("flash").toString().toLatin1());
    const PinTrace trace = tracePin(part.mcu, 1'000'000, flash, 'B', 1, 62'000);
    ASSERT_TRUE(trace.error.isEmpty()) << trace.error.toStdString();
    // From the first toggle on (making PB1 an output reports the pin, too).
    QList<double> toggles = trace.changesUs;
    toggles.removeIf([](double us) { return us < 1000; });
    ASSERT_GE(toggles.size(), 10);
    for (int i = 1; i < toggles.size(); ++i) {
        const double gap = toggles[i] - toggles[i - 1];
        EXPECT_NEAR(gap, 5000, 100) << "toggle " << i;
    }
}

// An older and a newer entry sequence, and a 20-pin part whose BS1/PAGEL and
// XA1/BS2 share pins and whose /WR is a Prog_enable pin.
INSTANTIATE_TEST_SUITE_P(Parts, FirmwareEndToEnd,
                         ::testing::Values(Part{"ATMEGA8", "atmega8", "1E9307"},
                                           Part{"ATMEGA328P", "atmega328p", "1E950F"},
                                           Part{"ATTINY2313", "attiny2313", "1E910A"}),
                         [](const auto& info) { return std::string(info.param.mcu); });

// A chip whose RESET pin was turned into a port pin and whose serial
// programming is off comes back to its factory fuses through high voltage.
TEST(FirmwareEndToEndRescue, RecoversResetDisabledChip) {
    ASSERT_TRUE(QFileInfo::exists(kFirmware)) << "the firmware is not built";
    SimProcess sim({QStringLiteral("--firmware"), kFirmware, QStringLiteral("--model"),
                    QStringLiteral("ATMEGA8")});
    // RSTDISBL (high bit 7) programmed, SPIEN (bit 5) unprogrammed.
    EXPECT_EQ(sim.command("fuses E1 79 .. .."), QStringLiteral("ok fuses E1 79 FF FF"));
    const QJsonObject result =
        runCli(sim.pts(), {QStringLiteral("-m"), QStringLiteral("ATMEGA8"), QStringLiteral("fuses"),
                           QStringLiteral("recover")});
    EXPECT_EQ(result.value("ok"), true);
    const QJsonObject fuses = sim.dump().value("fuses").toObject();
    EXPECT_EQ(fuses.value("high"), QStringLiteral("D9"));
    EXPECT_EQ(fuses.value("low"), QStringLiteral("E1"));
    expectNoViolations(sim);
}

}  // namespace
}  // namespace kv::sim::avr
