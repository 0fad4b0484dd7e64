// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include "Section.h"
#include "avr/BoardSerialControl.h"
#include "avr/ProgrammerBoard.h"
#include "images/MemoryGeometry.h"
#include "link/ProgrammerLink.h"
#include "programmer/SerialProgrammer.h"
#include "sim/SimTiming.h"

namespace kv::bench {

namespace {

namespace timing = kv::sim::timing;
using namespace kv::sim::avr;

QString firmwarePath() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("firmware/kelvaro-programmer.elf"));
}

// A 32 KiB write and verify of an ATMEGA328P through the open programmer's
// firmware on the simulated board, timed on the simulator's clock: the same
// image operations as the window's, the link on the board's UART0 at 115200
// baud, the chip modelled from its datasheet.
QList<Measurement> firmwareFlash(BenchRig&, const Options&) {
    Measurement m;
    m.measure = QStringLiteral("open programmer: write+verify 32 KiB (simulated time)");
    const QString path = firmwarePath();
    ProgrammerBoard board(QStringLiteral("ATMEGA328P"));
    QString error;
    if (!board.loadFirmware(path, &error)) {
        m.details << QStringLiteral("open programmer: not measured: %1").arg(error);
        return {m};
    }
    BoardSerialControl port(board);
    BoardClock clock(board);
    BoardPump pump(port);
    QStringList log;
    ProgrammerLink link(port, clock, pump, [&](const QString& text) { log << text; });
    port.setSettings(QStringLiteral("115200,n,8,1"));
    port.setOpen(true);
    link.delayMs(500);  // the firmware starts
    link.discardInput();

    constexpr MemoryGeometry geometry{32768, 1024, 64};
    QByteArray bytes(32768, Qt::Uninitialized);
    QRandomGenerator generator(20240607);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    SerialProgrammer programmer(link);
    programmer.setGeometry(geometry);

    link.sendCommand(QStringLiteral("EM#"));
    link.logReplyAfter(100);
    board.chip().clearViolations();

    QElapsedTimer wall;
    wall.start();
    const qint64 start = clock.nowUs();
    VerifyOutcome verify;
    try {
        programmer.write(MemoryKind::Flash, bytes);
        verify = programmer.verify(MemoryKind::Flash, bytes);
    } catch (const std::exception& e) {
        m.details
            << QStringLiteral("open programmer: stopped: %1").arg(QString::fromUtf8(e.what()));
    }
    const qint64 simulatedUs = clock.nowUs() - start;
    const double wallS = double(wall.nsecsElapsed()) / 1e9;

    // Today's wire floor, as the built-in simulator's section has it: the
    // stream, each page's write and acknowledgement, the three 50 ms waits
    // around the header and the 200 ms for the closing text; then the verify's
    // command and its reply on the line.
    const int pages = 32768 / (2 * geometry.flashPageWords);
    const auto line = [](qint64 n) { return timing::lineTimeUs(n, 115200); };
    const qint64 floorUs = line(32768) +
                           pages * (timing::kProcessingUs + timing::kFlashPageWriteUs + line(1)) +
                           3 * 50'000 + 200'000 + line(7) + timing::kProcessingUs + line(65536);
    m.valueUs = double(simulatedUs);
    m.floorUs = double(floorUs);
    m.maxRatio = 1.10;
    m.details << QStringLiteral(
                     "open programmer: %1 s simulated, %2 s wall (%3x real time); "
                     "verify %4; chip timing findings: %5")
                     .arg(double(simulatedUs) / 1e6, 0, 'f', 3)
                     .arg(wallS, 0, 'f', 3)
                     .arg(wallS > 0 ? double(simulatedUs) / 1e6 / wallS : 0, 0, 'f', 2)
                     .arg(verify.passed() ? QStringLiteral("passed") : QStringLiteral("FAILED"))
                     .arg(board.chip().violations().empty()
                              ? QStringLiteral("none")
                              : board.chip().violationTexts().join(QStringLiteral("; ")));
    if (!verify.passed())
        m.maxRatio = 0.0001;  // a failed verify fails the section whatever its time
    return {m};
}

}  // namespace

QList<Section> firmwareSections() {
    return {{QStringLiteral("firmware"), firmwareFlash, true}};
}

}  // namespace kv::bench
