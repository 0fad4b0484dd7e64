// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "avr/HvppParts.h"

struct avr_t;
struct avr_irq_t;

namespace kv::sim {
struct SimChip;
}

namespace kv::sim::avr {

// An AVR in high-voltage parallel programming mode, as its datasheet describes
// it, on simavr's IRQs and cycle clock. The programmer drives the input IRQs
// (one per control line, DATA as a byte, the direction of the programmer's own
// DATA pins); the chip answers on READY (RDY/BSY) and DATA_OUT (the byte, with
// bit 8 set while the chip drives the bus). Every answer comes on a cycle
// timer, never in the same cycle as the change that asked for it.
//
// What the datasheets' timing tables and entry algorithms require is checked
// as it happens; a breach is recorded as a violation (a firmware fault) and,
// where the real part would misbehave, acted on as the part would: a wrong
// entry leaves it out of programming mode, a strobe while busy is ignored.
class HvppChip {
public:
    // Input IRQs, numbered as here.
    enum Input {
        Oe,  // /OE, active low
        Wr,  // /WR, active low
        Bs1,
        Xa0,
        Xa1,
        Pagel,
        Bs2,
        Xtal1,
        Vcc,      // 1: 5 V on VCC
        ResetHv,  // 1: 12 V on RESET, 0: RESET at 0 V
        Data,     // 8 bits: the level the programmer puts on DATA0..7
        DataDir,  // 8 bits: 1 where the programmer's DATA pin is an output
        InputCount
    };
    enum Output { Ready, DataOut, OutputCount };
    static constexpr int kIrqCount = int(InputCount) + int(OutputCount);
    static constexpr unsigned kDriving = 0x100;  // in DataOut's value

    struct Violation {
        double atUs;  // simulated time
        QString text;
    };

    // host: the core whose cycle counter and timers the chip runs on. The model
    // name must have SimChip and HvppPart rows (see isKnown()).
    HvppChip(avr_t* host, const QString& model);
    ~HvppChip();
    HvppChip(const HvppChip&) = delete;
    HvppChip& operator=(const HvppChip&) = delete;
    static bool isKnown(const QString& model);

    avr_irq_t* input(Input which) const;
    avr_irq_t* output(Output which) const;

    // A fresh chip of this model: erased, factory fuses, out of programming mode.
    void reset(const QString& model);
    QString model() const;
    const SimChip& chip() const { return *m_chip; }
    const HvppPart& part() const { return *m_part; }

    QByteArray& flash() { return m_flash; }
    QByteArray& eeprom() { return m_eeprom; }
    std::array<quint8, 4>& calibration() { return m_calibration; }
    quint8 lock = 0xFF, extended = 0xFF, high = 0xFF, low = 0xFF;
    // Sets the fuse and lock bytes as silicon would keep them (bits that do
    // not exist read as 1); an absent byte (negative) stays as it is.
    void presetFuses(int low, int high, int extended, int lock);

    // The programmer samples DATA (reads its port): before the chip's byte is
    // valid after /OE or BS1/BS2 changed, that is a breach of tOLDV / tBVDV.
    void dataSampled();

    bool inProgrammingMode() const { return m_mode == Mode::Programming; }
    bool busy() const { return m_busyUntilCycle != 0; }
    // Breaches of the timing table and of the order of operations while in
    // programming mode: a sound firmware makes none.
    const std::vector<Violation>& violations() const { return m_violations; }
    // Entries the chip did not take ("TIME us: why"). A firmware that tries
    // one family's entry on a chip of the other makes one; every command
    // after it then finds nobody.
    const QStringList& refusals() const { return m_refusals; }
    QStringList violationTexts() const;
    void clearViolations();
    // Memory writes and erases carried out, for tests that count them.
    int writesDone() const { return m_writesDone; }

private:
    enum class Mode { Off, Reset, Programming, Refused };
    friend struct HvppChipCallbacks;
    void readyLowDue();
    void writeDue();
    void dataDue();
    void changed(int line, unsigned value);
    void lineChanged(int line, bool level, double now);
    void dataChanged(quint8 bus, double now);
    void directionChanged(quint8 dir, double now);
    void vccChanged(bool on, double now);
    void resetChanged(bool hv, double now);
    void xtalRising(double now);
    void pagelRising(double now);
    void writeFalling(double now);
    void outputEnable(bool low, double now);
    void scheduleData(double delayNs);
    void leaveProgramming(double now, const QString& why);
    void finishWrite();
    void setReady(bool ready);
    quint8 readByte() const;
    bool bs1() const;
    bool bs2() const;
    bool pagel() const;
    bool xa1() const;
    bool level(int line) const { return m_level[size_t(line)]; }
    double sinceNs(int line, double now) const { return now - m_changedNs[size_t(line)]; }
    double nowNs() const;
    unsigned long long cyclesFor(double ns) const;
    void violation(double now, const QString& text);
    void refuse(double now, const QString& text);
    bool checkNotBusy(double now, const char* what);
    bool tooEarly(double now, const char* what);

    avr_t* m_avr;
    avr_irq_t* m_irqs = nullptr;  // inputs, then outputs
    const SimChip* m_chip = nullptr;
    const HvppPart* m_part = nullptr;
    QByteArray m_flash, m_eeprom;
    std::array<quint8, 4> m_calibration{};

    Mode m_mode = Mode::Off;
    std::array<bool, InputCount> m_level{};
    std::array<double, InputCount> m_changedNs{};  // -1e18 until a line first changes
    quint8 m_dataIn = 0, m_dataDir = 0;
    double m_vccOnNs = -1, m_hvOnNs = -1;
    int m_xtalEdgesInReset = 0;
    double m_xtalFellNs = -1e18, m_xtalRoseNs = -1e18, m_wrFellNs = -1e18, m_pagelFellNs = -1e18;
    double m_changedNsPagelRose = -1e18;
    bool m_latchingPulse = false;  // XTAL1 is high for a load (XA not 11)

    quint8 m_command = 0, m_addrLow = 0, m_addrHigh = 0, m_dataLow = 0xFF, m_dataHigh = 0xFF;
    std::vector<quint16> m_pageBuffer;
    std::vector<int> m_eepromBuffer;  // -1: not loaded
    enum class Pending { None, ChipErase, FlashPage, Eeprom, Fuse, Lock };
    Pending m_pending = Pending::None;
    int m_pendingAddress = 0, m_pendingSelect = 0;
    quint8 m_pendingValue = 0;
    unsigned long long m_busyUntilCycle = 0;
    bool m_ready = true;
    bool m_driving = false;
    double m_dataValidNs = -1;  // while /OE is low: when the byte on DATA becomes valid
    unsigned m_lastOut = ~0u;

    std::vector<Violation> m_violations;
    QStringList m_refusals;
    int m_writesDone = 0;
};

}  // namespace kv::sim::avr
