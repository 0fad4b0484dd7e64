// SPDX-License-Identifier: MIT
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "BenchRig.h"
#include "Section.h"
#include "core/UserPrompts.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "operations/WindowEvents.h"
#include "programmer/SerialProgrammer.h"
#include "settings/SettingsStore.h"
#include "sim/SimTiming.h"

namespace kv::bench {

namespace {

namespace timing = kv::sim::timing;

// Warnings are collected; a benchmark has nobody to click them away.
class CollectingPrompts : public UserPrompts {
public:
    void warning(const QString&, const QString& text) override { warnings << text; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    QStringList warnings;
};

// The image operations of an ATMEGA32 (32 KiB FLASH in 64-word pages, 1 KiB
// EEPROM) on the bench's link.
struct ImageBench {
    explicit ImageBench(BenchRig& rig)
        : rig(rig),
          programmer(rig.link()),
          writer(programmer, flash, eeprom, [] { return geometry; }),
          reader(programmer, flash, eeprom, [] { return geometry; }) {
        programmer.setEventSink(windowEvents(rig.link(), flash, eeprom));
    }

    static constexpr MemoryGeometry geometry{32768, 1024, 64};

    // Puts an ATMEGA32 into the simulator's socket and erases it.
    void prepareChip() {
        rig.simCommand("model ATMEGA32");
        for (int i = 0; i < 20 && rig.link().readInfoByte(1) != u"95"; ++i)
            rig.link().delayMs(100);
        rig.link().discardInput();
        rig.link().sendCommand(QStringLiteral("EM#"));
        rig.link().logReplyAfter(100);
    }
    template <typename Fn>
    qint64 timedUs(Fn fn) {
        const qint64 start = rig.clock().nowUs();
        fn();
        return rig.clock().nowUs() - start;
    }
    // The verify's verdict as the log and the prompts show it.
    QString verdict(const QString& passText) const {
        if (!prompts.warnings.isEmpty())
            return prompts.warnings.join(u' ');
        return rig.log().contains(passText) ? QStringLiteral("passed")
                                            : QStringLiteral("no verdict");
    }

    BenchRig& rig;
    ImageSlot flash{MemoryKind::Flash};
    ImageSlot eeprom{MemoryKind::Eeprom};
    CollectingPrompts prompts;
    SerialProgrammer programmer;
    ImageWriter writer;
    ImageReader reader;
};

QByteArray randomBytes(int n) {
    QByteArray bytes(n, Qt::Uninitialized);
    QRandomGenerator generator(20240607);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

qint64 line(qint64 count) {
    return timing::lineTimeUs(count, BenchRig::kBaud);
}

// writeFlashImage and verifyFlashImage of a full 32 KiB image.
QList<Measurement> flashImage(BenchRig& rig, const Options&) {
    ImageBench bench(rig);
    bench.prepareChip();
    const int bytes = 32768;
    const int pages = bytes / (2 * ImageBench::geometry.flashPageWords);
    bench.flash.setImage(MemoryImage::fromBytes(randomBytes(bytes)));
    rig.log().clear();

    const qint64 writeUs = bench.timedUs([&] { bench.writer.write(MemoryKind::Flash); });
    // The stream on the line, each page's write and acknowledgement, and the
    // fixed waits: three of 50 ms around the header, 200 ms for the closing text.
    const qint64 writeFloorUs =
        line(bytes) + pages * (timing::kProcessingUs + timing::kFlashPageWriteUs + line(1)) +
        3 * 50'000 + 200'000;
    Measurement write;
    write.measure = QStringLiteral("WriteFlashImage 32 KiB");
    write.valueUs = double(writeUs);
    write.floorUs = double(writeFloorUs);
    write.maxRatio = 1.05;
    write.details << QStringLiteral("FLASH write: %1 pages; closing reply \"%2\"")
                         .arg(pages)
                         .arg(rig.log().isEmpty() ? QString() : rig.log().last());

    const qint64 verifyUs = bench.timedUs([&] { bench.reader.verify(MemoryKind::Flash); });
    // The reply flows during the first 200 ms wait: the line time is the floor.
    const qint64 verifyFloorUs = line(7) + timing::kProcessingUs + line(2 * bytes);
    Measurement verify;
    verify.measure = QStringLiteral("VerifyFlashImage 32 KiB");
    verify.valueUs = double(verifyUs);
    verify.floorUs = double(verifyFloorUs);
    verify.maxRatio = 1.05;
    verify.details << QStringLiteral(
                          "FLASH verify: %1; floor = command and reply on the line, "
                          "collected in 200 ms steps")
                          .arg(bench.verdict(QStringLiteral("校验FLASH通过。")));
    return {write, verify};
}

// writeEepromImage and verifyEepromImage of 512 bytes.
QList<Measurement> eepromImage(BenchRig& rig, const Options&) {
    ImageBench bench(rig);
    bench.prepareChip();
    const int bytes = 512;
    bench.eeprom.setImage(MemoryImage::fromBytes(randomBytes(bytes)));
    rig.log().clear();
    const qint64 us = bench.timedUs([&] {
        bench.writer.write(MemoryKind::Eeprom);
        bench.reader.verify(MemoryKind::Eeprom);
    });
    // Per byte: "WE" command, reaction, EEPROM write, "!"; then the 1 ms pause,
    // and the verify's first wait of 200 ms, which outlasts its reply.
    const qint64 floorUs =
        bytes * (line(9) + timing::kProcessingUs + timing::kEepromByteWriteUs + line(1)) + 1'000 +
        200'000;
    Measurement m;
    m.measure = QStringLiteral("Write+VerifyEepromImage 512 B");
    m.valueUs = double(us);
    m.floorUs = double(floorUs);
    m.maxRatio = 1.10;
    m.details << QStringLiteral("EEPROM verify: %1")
                     .arg(bench.verdict(QStringLiteral("校验EEPROM通过。")));
    return {m};
}

// loadFlashFile of a 32 KiB Intel HEX file with its hex view, against a budget.
QList<Measurement> hexLoad(BenchRig& rig, const Options&) {
    QTemporaryDir dir;
    const QByteArray data = randomBytes(32768);
    QByteArray hex;
    for (int address = 0; address < data.size(); address += 16) {
        QByteArray record;
        record += char(16);
        record += char(address >> 8);
        record += char(address);
        record += char(0);
        record += data.mid(address, 16);
        int sum = 0;
        for (const char c : record)
            sum += quint8(c);
        record += char(-sum);
        hex += ':' + record.toHex().toUpper() + "\r\n";
    }
    hex += ":00000001FF\r\n";
    const QString path = dir.filePath(QStringLiteral("image.hex"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(hex) != hex.size()) {
        throw std::runtime_error("cannot write the HEX file");
    }
    file.close();

    ImageSlot flash(MemoryKind::Flash), eeprom(MemoryKind::Eeprom);
    ImageFiles files(flash, eeprom, rig.link().pump(), {});
    std::vector<qint64> times;
    for (int i = 0; i < 10; ++i) {
        QString copy = path;
        QElapsedTimer timer;
        timer.start();
        files.load(kv::MemoryKind::Flash, copy);
        times.push_back(timer.nsecsElapsed() / 1000);
    }
    std::sort(times.begin(), times.end());
    Measurement m;
    m.measure = QStringLiteral("load 32 KiB HEX + view (median)");
    m.valueUs = double(times[times.size() / 2]);
    m.floorUs = 50'000;
    m.maxRatio = 1.0;
    m.details << QStringLiteral("HEX load: floor column is the 50 ms budget; max %1 ms; %2")
                     .arg(double(times.back()) / 1000, 0, 'f', 2)
                     .arg(flash.image().toBytes() == data ? QStringLiteral("bytes match")
                                                          : QStringLiteral("BYTES DIFFER"));
    return {m};
}

}  // namespace

QList<Section> imageSections() {
    return {
        {QStringLiteral("FLASH image"), flashImage},
        {QStringLiteral("EEPROM image"), eepromImage},
        {QStringLiteral("image files"), hexLoad},
    };
}

}  // namespace kv::bench
