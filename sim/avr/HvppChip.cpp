// SPDX-License-Identifier: MIT
#include "avr/HvppChip.h"

#include <sim_avr.h>
#include <sim_cycle_timers.h>
#include <sim_irq.h>

#include <cmath>

#include "sim/SimChip.h"

namespace kv::sim::avr {

namespace {

// The parallel programming characteristics tables agree on these across the
// families (nanoseconds unless named otherwise).
constexpr double kDataSetupNs = 67;          // tDVXH: data and control valid before XTAL1 high
constexpr double kXtalLowNs = 200;           // tXLXH: XTAL1 low before the next high
constexpr double kXtalHighNs = 150;          // tXHXL: XTAL1 pulse width high
constexpr double kDataHoldNs = 67;           // tXLDX: data and control hold after XTAL1 low
constexpr double kPagelToXtalNs = 150;       // tPLXH: PAGEL low to XTAL1 high
constexpr double kBs1ToPagelNs = 67;         // tBVPH: BS1 valid before PAGEL high
constexpr double kPagelHighNs = 150;         // tPHPL: PAGEL pulse width high
constexpr double kBs1HoldAfterPagelNs = 67;  // tPLBX: BS1 hold after PAGEL low
constexpr double kBsHoldAfterWrNs = 67;      // tWLBX: BS2/1 hold after /WR low
constexpr double kPagelToWrNs = 67;          // tPLWL: PAGEL low to /WR low
constexpr double kBs1ToWrNs = 67;            // tBVWL: BS1 valid to /WR low
constexpr double kWrLowNs = 150;             // tWLWH: /WR pulse width low
constexpr double kWrToBusyNs = 1000;         // tWLRL: /WR low to RDY/BSY low, at most
constexpr double kWriteNs = 4.5e6;    // tWLRH: FLASH page, EEPROM, fuse and lock writes, at most
constexpr double kChipEraseNs = 9e6;  // tWLRH_CE, at most
constexpr double kOeToDataNs = 250;   // tOLDV: /OE low to DATA valid
constexpr double kBs1ToDataNs = 250;  // tBVDV: BS1 valid to DATA valid
constexpr double kOeToFloatNs = 250;  // tOHDZ: /OE high to DATA tri-stated
// Entry, the older families: VCC settles before the clocks count; the
// Prog_enable pins are stable around the 12 V edge.
constexpr double kClockedVccNs = 100e3;
// "Toggle XTAL1 at least six times": counted as edges, the lenient reading.
constexpr int kClockedXtalEdges = 6;
constexpr double kClockedEnableSetupNs = 100;
constexpr double kClockedEnableHoldNs = 100;
// Entry, the newer families.
constexpr double kWindowMinNs = 20e3;
constexpr double kWindowMaxNs = 60e3;
constexpr double kWindowHoldNs = 10e3;
constexpr double kWindowFirstCommandNs = 300e3;

const char* const kInputNames[] = {"/OE", "/WR",   "BS1", "XA0",   "XA1",  "PAGEL",
                                   "BS2", "XTAL1", "VCC", "RESET", "DATA", "DATA direction"};

QString hex2(int value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

struct HvppChipCallbacks {
    static void input(avr_irq_t* irq, uint32_t value, void* param) {
        static_cast<HvppChip*>(param)->changed(int(irq->irq), value);
    }
    static avr_cycle_count_t readyLow(avr_t*, avr_cycle_count_t, void* param) {
        static_cast<HvppChip*>(param)->readyLowDue();
        return 0;
    }
    static avr_cycle_count_t write(avr_t*, avr_cycle_count_t, void* param) {
        static_cast<HvppChip*>(param)->writeDue();
        return 0;
    }
    static avr_cycle_count_t data(avr_t*, avr_cycle_count_t, void* param) {
        static_cast<HvppChip*>(param)->dataDue();
        return 0;
    }
};

bool HvppChip::isKnown(const QString& model) {
    return SimChip::find(model) && hvppPart(model);
}

HvppChip::HvppChip(avr_t* host, const QString& model) : m_avr(host) {
    m_changedNs.fill(-1e18);
    static const char* names[] = {"<oe",    "<wr",  "<bs1", "<xa0",   "<xa1",  "<pagel", "<bs2",
                                  "<xtal1", "<vcc", "<hv",  "8<data", "8<ddr", ">rdy",   "9>data"};
    m_irqs = avr_alloc_irq(&host->irq_pool, 0, kIrqCount, names);
    for (int i = 0; i < InputCount; ++i) {
        avr_irq_register_notify(m_irqs + i, &HvppChipCallbacks::input, this);
    }
    reset(model);
}

HvppChip::~HvppChip() {
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::readyLow, this);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::write, this);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::data, this);
    for (int i = 0; i < InputCount; ++i) {
        avr_irq_unregister_notify(m_irqs + i, &HvppChipCallbacks::input, this);
    }
    avr_free_irq(m_irqs, kIrqCount);
}

avr_irq_t* HvppChip::input(Input which) const {
    return m_irqs + which;
}

avr_irq_t* HvppChip::output(Output which) const {
    return m_irqs + InputCount + which;
}

QString HvppChip::model() const {
    return m_chip->name;
}

void HvppChip::reset(const QString& model) {
    m_chip = SimChip::find(model);
    m_part = hvppPart(model);
    if (!m_chip || !m_part) {
        m_chip = SimChip::find(QStringLiteral("ATMEGA8"));
        m_part = hvppPart(QStringLiteral("ATMEGA8"));
    }
    m_flash = QByteArray(m_chip->flashBytes, char(0xFF));
    m_eeprom = QByteArray(m_chip->eepromBytes, char(0xFF));
    lock = m_chip->lockDefault;
    extended = m_chip->extendedDefault;
    high = m_chip->highDefault;
    low = m_chip->lowDefault;
    // The same calibration values as the built-in simulator gives this model.
    const int base = 0x90 + ((m_chip->signature[1] + m_chip->signature[2] * 3) & 0x1F);
    for (int i = 0; i < 4; ++i) {
        m_calibration[size_t(i)] = i < m_chip->calibrationBytes ? quint8(base + 5 * i) : 0xFF;
    }
    m_pageBuffer.assign(size_t(m_chip->pageWords), 0xFFFF);
    m_eepromBuffer.assign(size_t(qMax(m_part->eepromPageBytes, 1)), -1);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::readyLow, this);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::write, this);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::data, this);
    m_pending = Pending::None;
    m_busyUntilCycle = 0;
    // A chip put into a powered socket sees the lines as they are.
    m_mode = level(Vcc) ? (level(ResetHv) ? Mode::Refused : Mode::Reset) : Mode::Off;
    m_vccOnNs = nowNs();
    m_xtalEdgesInReset = 0;
    m_driving = false;
    setReady(true);
    m_lastOut = ~0u;
    avr_raise_irq(output(DataOut), 0xFF);
}

void HvppChip::presetFuses(int lowValue, int highValue, int extendedValue, int lockValue) {
    if (lowValue >= 0)
        low = quint8(lowValue) | quint8(~m_chip->lowUsed);
    if (highValue >= 0)
        high = quint8(highValue) | quint8(~m_chip->highUsed);
    if (extendedValue >= 0)
        extended = quint8(extendedValue) | quint8(~m_chip->extendedUsed);
    if (lockValue >= 0)
        lock = quint8(lockValue) | quint8(~m_chip->lockUsed);
}

QStringList HvppChip::violationTexts() const {
    QStringList texts;
    for (const Violation& v : m_violations) {
        texts << QStringLiteral("%1 us: %2").arg(v.atUs, 0, 'f', 3).arg(v.text);
    }
    return texts;
}

void HvppChip::clearViolations() {
    m_violations.clear();
    m_refusals.clear();
}

double HvppChip::nowNs() const {
    return double(m_avr->cycle) * 1e9 / double(m_avr->frequency);
}

unsigned long long HvppChip::cyclesFor(double ns) const {
    return qMax<unsigned long long>(
        1, (unsigned long long)std::ceil(ns * double(m_avr->frequency) / 1e9));
}

void HvppChip::violation(double now, const QString& text) {
    m_violations.push_back({now / 1000.0, text});
}

void HvppChip::refuse(double now, const QString& text) {
    m_refusals << QStringLiteral("%1 us: %2").arg(now / 1000.0, 0, 'f', 3).arg(text);
    m_mode = Mode::Refused;
    m_driving = false;
    setReady(true);
}

bool HvppChip::bs1() const {
    return level(Bs1);
}

bool HvppChip::pagel() const {
    return m_part->pagelOnBs1 ? level(Bs1) : level(Pagel);
}

bool HvppChip::xa1() const {
    return level(Xa1);
}

bool HvppChip::bs2() const {
    if (!m_part->hasBs2)
        return false;
    return m_part->bs2OnXa1 ? level(Xa1) : level(Bs2);
}

void HvppChip::setReady(bool ready) {
    m_ready = ready;
    avr_raise_irq(output(Ready), ready ? 1 : 0);
}

void HvppChip::changed(int line, unsigned value) {
    const double now = nowNs();
    if (line == Data) {
        dataChanged(quint8(value), now);
        return;
    }
    if (line == DataDir) {
        directionChanged(quint8(value), now);
        return;
    }
    if (line < 0 || line >= InputCount)
        return;
    const bool high = value != 0;
    if (high == level(line))
        return;
    m_level[size_t(line)] = high;
    m_changedNs[size_t(line)] = now;
    lineChanged(line, high, now);
}

void HvppChip::lineChanged(int line, bool high, double now) {
    if (line == Vcc) {
        vccChanged(high, now);
        return;
    }
    if (line == ResetHv) {
        resetChanged(high, now);
        return;
    }
    const QString name = QLatin1String(kInputNames[line]);
    if (m_mode == Mode::Reset && line == Xtal1 && m_part->entry == EntryStyle::ClockedReset &&
        now - m_vccOnNs >= kClockedVccNs) {
        ++m_xtalEdgesInReset;
    }
    const bool progEnable =
        line == Xa1 || line == Xa0 || line == Bs1 ||
        (m_part->wrInProgEnable ? line == Wr : (line == Pagel && !m_part->pagelOnBs1));
    if (m_mode == Mode::Programming && progEnable) {
        const double hold =
            m_part->entry == EntryStyle::PowerWindow ? kWindowHoldNs : kClockedEnableHoldNs;
        if (now - m_hvOnNs < hold) {
            refuse(now, QStringLiteral("%1 changed %2 ns after 12 V reached RESET; the Prog_enable "
                                       "pins must hold %3 ns")
                            .arg(name)
                            .arg(now - m_hvOnNs, 0, 'f', 0)
                            .arg(hold, 0, 'f', 0));
            return;
        }
    }
    if (m_mode != Mode::Programming)
        return;

    // Control hold around a load strobe.
    if ((line == Xa0 || line == Xa1 || line == Bs1) && m_latchingPulse &&
        (level(Xtal1) || now - m_xtalFellNs < kDataHoldNs)) {
        violation(now, level(Xtal1)
                           ? QStringLiteral("%1 changed while XTAL1 was high").arg(name)
                           : QStringLiteral("%1 changed %2 ns after XTAL1 fell (hold %3 ns)")
                                 .arg(name)
                                 .arg(now - m_xtalFellNs, 0, 'f', 1)
                                 .arg(kDataHoldNs));
    }
    if (line == Bs1 && !m_part->pagelOnBs1 && m_command == 0x10 &&
        now - m_pagelFellNs < kBs1HoldAfterPagelNs) {
        violation(now, QStringLiteral("BS1 changed %1 ns after PAGEL fell (hold %2 ns)")
                           .arg(now - m_pagelFellNs, 0, 'f', 1)
                           .arg(kBs1HoldAfterPagelNs));
    }
    if ((line == Bs1 || (line == Bs2 && !m_part->bs2OnXa1)) &&
        now - m_wrFellNs < kBsHoldAfterWrNs) {
        violation(now, QStringLiteral("%1 changed %2 ns after /WR fell (hold %3 ns)")
                           .arg(name)
                           .arg(now - m_wrFellNs, 0, 'f', 1)
                           .arg(kBsHoldAfterWrNs));
    }

    switch (line) {
        case Xtal1:
            if (high) {
                xtalRising(now);
            } else {
                if (m_latchingPulse && now - m_xtalRoseNs < kXtalHighNs) {
                    violation(now, QStringLiteral("XTAL1 high for %1 ns (at least %2 ns)")
                                       .arg(now - m_xtalRoseNs, 0, 'f', 1)
                                       .arg(kXtalHighNs));
                }
                m_xtalFellNs = now;
            }
            break;
        case Pagel:
            if (m_part->pagelOnBs1)
                break;  // not connected on this part
            [[fallthrough]];
        case Bs1:
            if (line == Pagel || m_part->pagelOnBs1) {
                if (high) {
                    pagelRising(now);
                } else {
                    if (line == Pagel && now - m_changedNsPagelRose < kPagelHighNs) {
                        violation(now, QStringLiteral("PAGEL high for %1 ns (at least %2 ns)")
                                           .arg(now - m_changedNsPagelRose, 0, 'f', 1)
                                           .arg(kPagelHighNs));
                    }
                    m_pagelFellNs = now;
                }
            }
            if (line == Bs1 && !level(Oe))
                scheduleData(kBs1ToDataNs);
            break;
        case Bs2:
        case Xa1:
            if (!level(Oe) && (line == Bs2 || m_part->bs2OnXa1))
                scheduleData(kBs1ToDataNs);
            break;
        case Wr:
            if (!high) {
                writeFalling(now);
            } else if (now - m_wrFellNs < kWrLowNs) {
                violation(now, QStringLiteral("/WR low for %1 ns (at least %2 ns)")
                                   .arg(now - m_wrFellNs, 0, 'f', 1)
                                   .arg(kWrLowNs));
            }
            break;
        case Oe:
            outputEnable(!high, now);
            break;
        default:
            break;
    }
}

void HvppChip::dataChanged(quint8 bus, double now) {
    if (bus == m_dataIn)
        return;
    m_dataIn = bus;
    m_changedNs[Data] = now;
    if (m_mode != Mode::Programming || m_dataDir == 0)
        return;
    if (m_latchingPulse && (level(Xtal1) || now - m_xtalFellNs < kDataHoldNs)) {
        violation(now, level(Xtal1)
                           ? QStringLiteral("DATA changed while XTAL1 was high")
                           : QStringLiteral("DATA changed %1 ns after XTAL1 fell (hold %2 ns)")
                                 .arg(now - m_xtalFellNs, 0, 'f', 1)
                                 .arg(kDataHoldNs));
    }
    if (!level(Wr)) {
        violation(now, QStringLiteral("DATA changed while /WR was low"));
    }
}

void HvppChip::directionChanged(quint8 dir, double now) {
    m_dataDir = dir;
    if (m_mode != Mode::Programming || dir == 0)
        return;
    if (m_driving) {
        violation(now, QStringLiteral("bus contention: the programmer drives DATA while the chip "
                                      "does (/OE low)"));
    } else if (now - m_changedNs[Oe] < kOeToFloatNs && level(Oe)) {
        violation(now, QStringLiteral("the programmer drives DATA %1 ns after /OE rose; the chip "
                                      "lets go of it only after %2 ns")
                           .arg(now - m_changedNs[Oe], 0, 'f', 1)
                           .arg(kOeToFloatNs));
    }
}

void HvppChip::vccChanged(bool on, double now) {
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::readyLow, this);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::write, this);
    avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::data, this);
    if (on) {
        m_vccOnNs = now;
        m_xtalEdgesInReset = 0;
        m_mode = Mode::Reset;
        if (level(ResetHv)) {
            refuse(now, QStringLiteral("VCC came on with 12 V already on RESET"));
        }
        return;
    }
    if (busy()) {
        violation(now, QStringLiteral("VCC removed while the chip was busy; the write is lost"));
    }
    m_pending = Pending::None;
    m_busyUntilCycle = 0;
    m_mode = Mode::Off;
    m_driving = false;
    setReady(true);
    avr_raise_irq(output(DataOut), m_dataIn);
}

void HvppChip::resetChanged(bool hv, double now) {
    if (!hv) {
        if (m_mode == Mode::Programming && busy()) {
            violation(now, QStringLiteral("12 V removed from RESET while the chip was busy; the "
                                          "write is lost"));
        }
        avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::readyLow, this);
        avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::write, this);
        avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::data, this);
        m_pending = Pending::None;
        m_busyUntilCycle = 0;
        m_driving = false;
        m_mode = level(Vcc) ? Mode::Reset : Mode::Off;
        m_xtalEdgesInReset = 0;
        m_vccOnNs = level(Vcc) ? m_vccOnNs : now;
        setReady(true);
        return;
    }
    m_hvOnNs = now;
    if (m_mode == Mode::Off) {
        m_refusals
            << QStringLiteral("%1 us: 12 V on RESET without VCC").arg(now / 1000.0, 0, 'f', 3);
        return;
    }
    if (m_mode != Mode::Reset)
        return;
    // The Prog_enable pins as they stand when 12 V arrives.
    QStringList high;
    const auto check = [&](int line) {
        if (level(line))
            high << QLatin1String(kInputNames[line]);
    };
    check(Xa1);
    check(Xa0);
    check(Bs1);
    if (m_part->wrInProgEnable) {
        if (level(Wr))
            high << QStringLiteral("/WR");
    } else if (!m_part->pagelOnBs1) {
        check(Pagel);
    }
    if (!high.isEmpty()) {
        refuse(now, QStringLiteral("Prog_enable pins not 0 when 12 V reached RESET: %1")
                        .arg(high.join(QStringLiteral(", "))));
        return;
    }
    if (m_part->entry == EntryStyle::PowerWindow) {
        const double after = now - m_vccOnNs;
        if (after < kWindowMinNs || after > kWindowMaxNs) {
            refuse(now, QStringLiteral("12 V reached RESET %1 us after VCC; this part takes it "
                                       "20 to 60 us after VCC")
                            .arg(after / 1000, 0, 'f', 1));
            return;
        }
    } else {
        if (m_xtalEdgesInReset < kClockedXtalEdges) {
            refuse(now, QStringLiteral("XTAL1 toggled %1 times with RESET at 0 V and VCC on for "
                                       "100 us; this part needs %2")
                            .arg(m_xtalEdgesInReset)
                            .arg(kClockedXtalEdges));
            return;
        }
        for (int line : {int(Xa1), int(Xa0), int(Bs1), int(Pagel)}) {
            if (now - m_changedNs[size_t(line)] < kClockedEnableSetupNs) {
                refuse(now, QStringLiteral("%1 set %2 ns before 12 V; the Prog_enable pins must "
                                           "settle %3 ns first")
                                .arg(QLatin1String(kInputNames[line]))
                                .arg(now - m_changedNs[size_t(line)], 0, 'f', 1)
                                .arg(kClockedEnableSetupNs));
                return;
            }
        }
    }
    m_mode = Mode::Programming;
    m_command = 0;
    m_addrLow = m_addrHigh = 0;
    m_dataLow = m_dataHigh = 0xFF;
    m_latchingPulse = false;
    m_pageBuffer.assign(m_pageBuffer.size(), 0xFFFF);
    m_eepromBuffer.assign(m_eepromBuffer.size(), -1);
    setReady(true);
}

bool HvppChip::tooEarly(double now, const char* what) {
    if (m_part->entry != EntryStyle::PowerWindow || now - m_hvOnNs >= kWindowFirstCommandNs)
        return false;
    violation(now, QStringLiteral("%1 %2 us after 12 V reached RESET; the part takes commands "
                                  "after 300 us")
                       .arg(QLatin1String(what))
                       .arg((now - m_hvOnNs) / 1000, 0, 'f', 1));
    return true;
}

bool HvppChip::checkNotBusy(double now, const char* what) {
    if (!busy())
        return true;
    violation(now,
              QStringLiteral("%1 while the chip was busy (RDY/BSY low)").arg(QLatin1String(what)));
    return false;
}

void HvppChip::xtalRising(double now) {
    const int action = (xa1() ? 2 : 0) | (level(Xa0) ? 1 : 0);
    m_latchingPulse = action != 3;
    m_xtalRoseNs = now;
    if (!m_latchingPulse)
        return;
    if (tooEarly(now, "XTAL1 load") || !checkNotBusy(now, "XTAL1 load"))
        return;
    if (now - m_xtalFellNs < kXtalLowNs) {
        violation(now, QStringLiteral("XTAL1 low for %1 ns between loads (at least %2 ns)")
                           .arg(now - m_xtalFellNs, 0, 'f', 1)
                           .arg(kXtalLowNs));
    }
    for (int line : {int(Data), int(Xa0), int(Xa1), int(Bs1)}) {
        if (now - m_changedNs[size_t(line)] < kDataSetupNs) {
            violation(now, QStringLiteral("%1 set %2 ns before XTAL1 rose (at least %3 ns)")
                               .arg(QLatin1String(kInputNames[line]))
                               .arg(now - m_changedNs[size_t(line)], 0, 'f', 1)
                               .arg(kDataSetupNs));
        }
    }
    if (!m_part->pagelOnBs1 && now - m_pagelFellNs < kPagelToXtalNs) {
        violation(now, QStringLiteral("XTAL1 rose %1 ns after PAGEL fell (at least %2 ns)")
                           .arg(now - m_pagelFellNs, 0, 'f', 1)
                           .arg(kPagelToXtalNs));
    }
    if (m_dataDir != 0xFF) {
        violation(now, QStringLiteral("XTAL1 load while the programmer does not drive DATA "
                                      "(direction %1)")
                           .arg(hex2(m_dataDir)));
    }
    if (!level(Oe)) {
        violation(now, QStringLiteral("XTAL1 load while /OE is low"));
    }
    const quint8 value = m_dataIn;
    switch (action) {
        case 0:
            (bs1() ? m_addrHigh : m_addrLow) = value;
            break;
        case 1:
            (bs1() ? m_dataHigh : m_dataLow) = value;
            break;
        case 2:
            m_command = value;
            break;
        default:
            break;
    }
}

void HvppChip::pagelRising(double now) {
    m_changedNsPagelRose = now;
    const bool loadsBuffer =
        m_command == 0x10 || (m_command == 0x11 && m_part->eepromPageBytes > 0);
    if (!loadsBuffer)
        return;  // BS1 on a shared pin also selects bytes; only a buffer load is a PAGEL
    if (tooEarly(now, "PAGEL") || !checkNotBusy(now, "PAGEL"))
        return;
    if (level(Xtal1)) {
        violation(now, QStringLiteral("PAGEL rose while XTAL1 was high"));
    }
    if (m_command == 0x10) {
        if (!m_part->pagelOnBs1 && !bs1()) {
            violation(now,
                      QStringLiteral("PAGEL pulsed with BS1 low; the FLASH latch wants BS1 high"));
        } else if (!m_part->pagelOnBs1 && now - m_changedNs[Bs1] < kBs1ToPagelNs) {
            violation(now, QStringLiteral("BS1 set %1 ns before PAGEL rose (at least %2 ns)")
                               .arg(now - m_changedNs[Bs1], 0, 'f', 1)
                               .arg(kBs1ToPagelNs));
        }
        const size_t word = size_t(m_addrLow) & (m_pageBuffer.size() - 1);
        m_pageBuffer[word] = quint16(m_dataLow | (m_dataHigh << 8));
    } else {
        const size_t byte = size_t(m_addrLow) & (m_eepromBuffer.size() - 1);
        m_eepromBuffer[byte] = m_dataLow;
    }
}

void HvppChip::writeFalling(double now) {
    m_wrFellNs = now;
    if (tooEarly(now, "/WR") || !checkNotBusy(now, "/WR (a write started)"))
        return;
    if (level(Xtal1)) {
        violation(now, QStringLiteral("/WR fell while XTAL1 was high"));
    }
    if (!level(Oe)) {
        violation(now, QStringLiteral("/WR fell while /OE was low"));
    }
    const bool memoryWrite = m_command == 0x10 || m_command == 0x11;
    if (memoryWrite) {
        if (pagel()) {
            violation(now, QStringLiteral("/WR fell while PAGEL was high"));
        } else if (now - m_pagelFellNs < kPagelToWrNs) {
            violation(now, QStringLiteral("/WR fell %1 ns after PAGEL (at least %2 ns)")
                               .arg(now - m_pagelFellNs, 0, 'f', 1)
                               .arg(kPagelToWrNs));
        }
    }
    if (now - m_changedNs[Bs1] < kBs1ToWrNs) {
        violation(now, QStringLiteral("BS1 set %1 ns before /WR fell (at least %2 ns)")
                           .arg(now - m_changedNs[Bs1], 0, 'f', 1)
                           .arg(kBs1ToWrNs));
    }
    const int words = m_chip->flashBytes / 2;
    const int address = (m_addrHigh << 8) | m_addrLow;
    double busyNs = kWriteNs;
    switch (m_command) {
        case 0x80:
            m_pending = Pending::ChipErase;
            busyNs = kChipEraseNs;
            break;
        case 0x10:
            m_pending = Pending::FlashPage;
            m_pendingAddress = (address % words) & ~(m_chip->pageWords - 1);
            break;
        case 0x11:
            m_pending = Pending::Eeprom;
            m_pendingAddress = address % m_chip->eepromBytes;
            m_pendingValue = m_dataLow;
            break;
        case 0x40:
            m_pending = Pending::Fuse;
            m_pendingSelect = (bs2() ? 2 : 0) | (bs1() ? 1 : 0);
            m_pendingValue = m_dataLow;
            break;
        case 0x20:
            m_pending = Pending::Lock;
            m_pendingValue = m_dataLow;
            break;
        default:
            return;  // a read or no-operation command: /WR does nothing
    }
    m_busyUntilCycle = m_avr->cycle + cyclesFor(busyNs);
    avr_cycle_timer_register(m_avr, cyclesFor(kWrToBusyNs), &HvppChipCallbacks::readyLow, this);
    avr_cycle_timer_register(m_avr, cyclesFor(busyNs), &HvppChipCallbacks::write, this);
}

void HvppChip::readyLowDue() {
    if (busy())
        setReady(false);
}

void HvppChip::writeDue() {
    finishWrite();
    m_busyUntilCycle = 0;
    setReady(true);
}

void HvppChip::finishWrite() {
    const bool writeLocked = (lock & 0x01) == 0;  // LB1 programmed
    ++m_writesDone;
    switch (m_pending) {
        case Pending::ChipErase: {
            m_flash.fill(char(0xFF));
            const bool eesave = m_chip->eesaveBit >= 0 && (high & (1 << m_chip->eesaveBit)) == 0;
            if (!eesave)
                m_eeprom.fill(char(0xFF));
            lock = 0xFF;
            break;
        }
        case Pending::FlashPage:
            // FLASH bits only go from 1 to 0 without an erase.
            for (int i = 0; i < m_chip->pageWords && !writeLocked; ++i) {
                const int at = (m_pendingAddress + i) * 2;
                m_flash[at] = char(quint8(m_flash[at]) & (m_pageBuffer[size_t(i)] & 0xFF));
                m_flash[at + 1] = char(quint8(m_flash[at + 1]) & (m_pageBuffer[size_t(i)] >> 8));
            }
            m_pageBuffer.assign(m_pageBuffer.size(), 0xFFFF);
            break;
        case Pending::Eeprom:
            if (m_part->eepromPageBytes > 0) {
                const int base = m_pendingAddress & ~(m_part->eepromPageBytes - 1);
                for (int i = 0; i < m_part->eepromPageBytes && !writeLocked; ++i) {
                    if (m_eepromBuffer[size_t(i)] >= 0)
                        m_eeprom[(base + i) % m_eeprom.size()] = char(m_eepromBuffer[size_t(i)]);
                }
                m_eepromBuffer.assign(m_eepromBuffer.size(), -1);
            } else if (!writeLocked) {
                m_eeprom[m_pendingAddress] = char(m_pendingValue);
            }
            break;
        case Pending::Fuse:
            if (writeLocked)
                break;
            if (m_pendingSelect == 0) {
                low = m_pendingValue | quint8(~m_chip->lowUsed);
            } else if (m_pendingSelect == 1 && m_chip->hasHigh) {
                high = m_pendingValue | quint8(~m_chip->highUsed);
            } else if (m_pendingSelect == 2 && m_chip->hasExtended) {
                extended = m_pendingValue | quint8(~m_chip->extendedUsed);
            }
            break;
        case Pending::Lock:
            // Lock bits are only programmed here; a chip erase clears them.
            lock &= m_pendingValue | quint8(~m_chip->lockUsed);
            break;
        case Pending::None:
            --m_writesDone;
            break;
    }
    m_pending = Pending::None;
}

void HvppChip::outputEnable(bool low, double now) {
    if (!low) {
        m_dataValidNs = -1;
        avr_cycle_timer_cancel(m_avr, &HvppChipCallbacks::data, this);
        if (m_driving) {
            m_driving = false;
            m_lastOut = m_lastOut & 0xFF;
            avr_raise_irq(output(DataOut), m_lastOut);
        }
        return;
    }
    if (tooEarly(now, "/OE") || !checkNotBusy(now, "/OE (a read)"))
        return;
    if (level(Xtal1)) {
        violation(now, QStringLiteral("/OE fell while XTAL1 was high"));
    }
    if (!level(Wr)) {
        violation(now, QStringLiteral("/OE fell while /WR was low"));
    }
    scheduleData(kOeToDataNs);
}

void HvppChip::scheduleData(double delayNs) {
    if (m_mode != Mode::Programming || level(Oe))
        return;
    m_dataValidNs = nowNs() + delayNs;
    avr_cycle_timer_register(m_avr, cyclesFor(delayNs), &HvppChipCallbacks::data, this);
}

void HvppChip::dataDue() {
    if (m_mode != Mode::Programming || level(Oe) || busy())
        return;
    if (!m_driving && m_dataDir != 0) {
        violation(nowNs(),
                  QStringLiteral("bus contention: the chip drives DATA (/OE low) while the "
                                 "programmer's DATA pins are outputs (%1)")
                      .arg(hex2(m_dataDir)));
    }
    m_driving = true;
    const unsigned out = readByte() | kDriving;
    if (out != m_lastOut) {
        m_lastOut = out;
        avr_raise_irq(output(DataOut), out);
    }
}

void HvppChip::dataSampled() {
    const double now = nowNs();
    if (m_mode != Mode::Programming || level(Oe) || m_dataValidNs < 0 || now >= m_dataValidNs)
        return;
    violation(now, QStringLiteral("DATA read %1 ns before the chip's byte was valid (%2 ns after "
                                  "/OE or BS1/BS2)")
                       .arg(m_dataValidNs - now, 0, 'f', 1)
                       .arg(kOeToDataNs));
}

quint8 HvppChip::readByte() const {
    const bool readLocked = (lock & 0x02) == 0;  // LB2 programmed: no verification
    const int address = (m_addrHigh << 8) | m_addrLow;
    switch (m_command) {
        case 0x08:
            if (bs1())
                return m_addrLow < 4 ? m_calibration[m_addrLow] : 0xFF;
            return m_addrLow < 3 ? m_chip->signature[m_addrLow] : 0xFF;
        case 0x04: {
            const int select = (bs2() ? 2 : 0) | (bs1() ? 1 : 0);
            switch (select) {
                case 0:
                    return low;
                case 3:
                    return high;
                case 2:
                    return extended;
                default:
                    return lock;
            }
        }
        case 0x02: {
            if (readLocked)
                return 0xFF;
            const int at = (address % (m_chip->flashBytes / 2)) * 2 + (bs1() ? 1 : 0);
            return quint8(m_flash[at]);
        }
        case 0x03:
            return readLocked ? 0xFF : quint8(m_eeprom[address % m_chip->eepromBytes]);
        default:
            return 0xFF;
    }
}

}  // namespace kv::sim::avr
