// SPDX-License-Identifier: MIT
// The modelled chip driven straight through its input IRQs, with no firmware:
// a correct session is clean and does what the datasheet says, and each
// entry or timing breach of the table is caught.
#include <gtest/gtest.h>
#include <sim_avr.h>

#include <cstring>
#include <functional>

#include "avr/HvppChip.h"
#include "sim/SimChip.h"

namespace kv::sim::avr {
namespace {

using In = HvppChip::Input;

// A spinning ATmega2560 lends the chip its clock; the test is the programmer.
class Driver {
public:
    explicit Driver(const char* model) {
        m_avr = avr_make_mcu_by_name("atmega2560");
        avr_init(m_avr);
        m_avr->frequency = 16'000'000;
        // A thousand NOPs and a jump back: waits in single cycles (62.5 ns).
        std::memset(m_avr->flash, 0, 2000);
        m_avr->flash[2000] = 0x17;  // rjmp to 0
        m_avr->flash[2001] = 0xCC;
        m_avr->codeend = m_avr->flashend;
        m_chip = std::make_unique<HvppChip>(m_avr, QString::fromLatin1(model));
        avr_irq_register_notify(m_chip->output(HvppChip::Ready), &Driver::onReady, this);
        avr_irq_register_notify(m_chip->output(HvppChip::DataOut), &Driver::onData, this);
        set(In::Oe, 1);
        set(In::Wr, !m_chip->part().wrInProgEnable);
    }
    ~Driver() {
        m_chip.reset();
        avr_terminate(m_avr);
        std::free(m_avr);
    }
    HvppChip& chip() { return *m_chip; }

    void set(In line, unsigned v) { avr_raise_irq(m_chip->input(line), v); }
    void wait(double ns) {
        const avr_cycle_count_t end = m_avr->cycle + avr_cycle_count_t(ns * 16 / 1000 + 0.999);
        while (m_avr->cycle < end)
            avr_run(m_avr);
    }
    void drive(quint8 v) {
        set(In::DataDir, 0xFF);
        set(In::Data, v);
    }

    // The datasheet's entry for the part's family, with margins.
    void enter() {
        if (m_chip->part().entry == EntryStyle::PowerWindow) {
            set(In::Vcc, 1);
            wait(30'000);
            set(In::ResetHv, 1);
            wait(20'000);
            set(In::Wr, 1);
            wait(300'000);
        } else {
            set(In::Vcc, 1);
            wait(110'000);
            for (int i = 0; i < 8; ++i) {
                set(In::Xtal1, i % 2 == 0);
                wait(500);
            }
            wait(500);
            set(In::ResetHv, 1);
            wait(1000);
        }
    }
    // XA1 XA0 and BS1 set, DATA driven, one XTAL1 pulse, each step 250 ns.
    void load(int xa, bool bs1, quint8 value) {
        set(In::Xa1, xa >> 1);
        set(In::Xa0, xa & 1);
        set(In::Bs1, bs1);
        drive(value);
        wait(250);
        set(In::Xtal1, 1);
        wait(250);
        set(In::Xtal1, 0);
        wait(250);
    }
    void command(quint8 c) { load(2, false, c); }
    void pulse(In line, bool activeLow) {
        set(line, !activeLow);
        wait(250);
        set(line, activeLow);
        wait(250);
    }
    void writePulse() {
        set(In::Wr, 0);
        wait(250);
        set(In::Wr, 1);
    }
    void waitReady() {
        wait(1500);
        for (int i = 0; i < 20000 && !m_ready; ++i)
            wait(1000);
    }
    quint8 read(bool bs1, bool bs2 = false) {
        set(In::DataDir, 0);
        set(In::Bs1, bs1);
        set(In::Bs2, bs2);
        wait(100);
        set(In::Oe, 0);
        wait(300);
        const quint8 v = m_data;
        set(In::Oe, 1);
        wait(300);
        return v;
    }
    quint8 readSignature(int i) {
        command(0x08);
        load(0, false, quint8(i));
        return read(false);
    }
    void writeFlashWord(int word, quint16 value) {
        command(0x10);
        load(0, false, quint8(word));
        load(1, false, quint8(value));
        load(1, true, quint8(value >> 8));
        if (m_chip->part().pagelOnBs1) {
            // BS1/PAGEL on one pin: a pulse of its own after the high byte.
            set(In::Bs1, 0);
            wait(250);
            pulse(In::Bs1, false);
        } else {
            set(In::Bs1, 1);
            wait(250);
            pulse(In::Pagel, false);
        }
        load(0, true, quint8(word >> 8));
        set(In::Bs1, 0);
        wait(250);
        writePulse();
        waitReady();
    }
    quint16 readFlashWord(int word) {
        command(0x02);
        load(0, true, quint8(word >> 8));
        load(0, false, quint8(word));
        const quint8 lowByte = read(false);
        return quint16(lowByte | (read(true) << 8));
    }
    bool ready() const { return m_ready; }

private:
    static void onReady(avr_irq_t*, uint32_t v, void* p) { static_cast<Driver*>(p)->m_ready = v; }
    static void onData(avr_irq_t*, uint32_t v, void* p) {
        if (v & HvppChip::kDriving)
            static_cast<Driver*>(p)->m_data = quint8(v);
    }
    avr_t* m_avr;
    std::unique_ptr<HvppChip> m_chip;
    bool m_ready = true;
    quint8 m_data = 0;
};

TEST(ChipModel, CleanSessionsReadWriteEraseAndLockAsTheDatasheetSays) {
    for (const char* model : {"ATMEGA8", "ATMEGA328P", "ATTINY2313"}) {
        SCOPED_TRACE(model);
        Driver d(model);
        d.enter();
        ASSERT_TRUE(d.chip().inProgrammingMode()) << d.chip().refusals().join(u'\n').toStdString();
        const auto& sig = d.chip().chip().signature;
        EXPECT_EQ(d.readSignature(0), sig[0]);
        EXPECT_EQ(d.readSignature(1), sig[1]);
        EXPECT_EQ(d.readSignature(2), sig[2]);

        d.writeFlashWord(0x41, 0x1234);
        EXPECT_EQ(d.readFlashWord(0x41), 0x1234);
        // Without an erase a write can only clear bits.
        d.writeFlashWord(0x41, 0xF0F0);
        EXPECT_EQ(d.readFlashWord(0x41), 0x1030);

        // LB1 and LB2 programmed: reads give nothing, writes do nothing.
        d.command(0x20);
        d.load(1, false, 0xFC);
        d.writePulse();
        d.waitReady();
        EXPECT_EQ(d.readFlashWord(0x41), 0xFFFF);
        EXPECT_EQ(d.chip().flash().at(0x82), char(0x30));
        // A chip erase clears memory and lock bits.
        d.command(0x80);
        d.writePulse();
        EXPECT_TRUE(d.chip().busy());
        d.waitReady();
        EXPECT_EQ(d.chip().lock, 0xFF);
        EXPECT_EQ(d.readFlashWord(0x41), 0xFFFF);
        EXPECT_TRUE(d.chip().violations().empty())
            << d.chip().violationTexts().join(u'\n').toStdString();
    }
}

struct Breach {
    const char* name;
    const char* model;
    std::function<void(Driver&)> act;
    const char* expected;  // part of the violation text
};

void PrintTo(const Breach& b, std::ostream* os) {
    *os << b.name;
}

// A correct entry followed by a breach of one rule.
void entered(Driver& d, const std::function<void(Driver&)>& then) {
    d.enter();
    then(d);
}

class ChipBreaches : public ::testing::TestWithParam<Breach> {};

TEST_P(ChipBreaches, AreCaught) {
    const Breach& b = GetParam();
    Driver d(b.model);
    b.act(d);
    const QString all = (d.chip().violationTexts() + d.chip().refusals()).join(u'\n');
    EXPECT_TRUE(all.contains(QLatin1String(b.expected))) << all.toStdString();
}

const Breach kBreaches[] = {
    // Entry, the older families.
    {"TooFewClocks", "ATMEGA8",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         d.wait(110'000);
         d.pulse(In::Xtal1, false);
         d.wait(500);
         d.set(In::ResetHv, 1);
     },
     "XTAL1 toggled 2 times"},
    {"ClocksBeforeVccSettled", "ATMEGA16",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         for (int i = 0; i < 8; ++i)
             d.pulse(In::Xtal1, false);
         d.wait(110'000);
         d.set(In::ResetHv, 1);
     },
     "XTAL1 toggled 0 times"},
    {"ProgEnableSetTooLate", "ATMEGA8",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         d.wait(110'000);
         for (int i = 0; i < 8; ++i)
             d.pulse(In::Xtal1, false);
         d.set(In::Xa0, 1);
         d.wait(300);
         d.set(In::Xa0, 0);
         d.wait(60);
         d.set(In::ResetHv, 1);
     },
     "XA0 set"},
    {"HvWithoutVcc", "ATMEGA8", [](Driver& d) { d.set(In::ResetHv, 1); },
     "12 V on RESET without VCC"},
    // Entry, the newer families.
    {"HvTooLate", "ATMEGA328P",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         d.wait(80'000);
         d.set(In::ResetHv, 1);
     },
     "20 to 60 us after VCC"},
    {"HvTooSoon", "ATMEGA48",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         d.wait(5'000);
         d.set(In::ResetHv, 1);
     },
     "20 to 60 us after VCC"},
    {"ProgEnableNotZero", "ATMEGA88",
     [](Driver& d) {
         d.set(In::Pagel, 1);
         d.set(In::Vcc, 1);
         d.wait(30'000);
         d.set(In::ResetHv, 1);
     },
     "Prog_enable pins not 0 when 12 V reached RESET: PAGEL"},
    {"ProgEnableNotHeld", "ATMEGA168",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         d.wait(30'000);
         d.set(In::ResetHv, 1);
         d.wait(4'000);
         d.set(In::Bs1, 1);
     },
     "must hold 10000 ns"},
    {"WrHighAtTinyEntry", "ATTINY2313",
     [](Driver& d) {
         d.set(In::Wr, 1);
         d.set(In::Vcc, 1);
         d.wait(30'000);
         d.set(In::ResetHv, 1);
     },
     "Prog_enable pins not 0 when 12 V reached RESET: /WR"},
    {"CommandBefore300us", "ATMEGA328P",
     [](Driver& d) {
         d.set(In::Vcc, 1);
         d.wait(30'000);
         d.set(In::ResetHv, 1);
         d.wait(20'000);
         d.set(In::Wr, 1);
         d.wait(100'000);
         d.command(0x08);
     },
     "after 300 us"},
    // Strobes and data.
    {"XtalPulseTooShort", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.set(In::Xa1, 1);
             d.drive(0x08);
             d.wait(250);
             d.set(In::Xtal1, 1);
             d.wait(62.5);
             d.set(In::Xtal1, 0);
         });
     },
     "XTAL1 high for 62.5 ns"},
    {"DataSetupTooShort", "ATMEGA328P",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.set(In::Xa1, 1);
             d.drive(0x00);
             d.wait(250);
             d.set(In::Data, 0x08);
             d.wait(62.5);
             d.set(In::Xtal1, 1);
         });
     },
     "DATA set 62.5 ns before XTAL1 rose"},
    {"DataChangedWhileXtalHigh", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.set(In::Xa1, 1);
             d.drive(0x08);
             d.wait(250);
             d.set(In::Xtal1, 1);
             d.wait(100);
             d.set(In::Data, 0x02);
         });
     },
     "DATA changed while XTAL1 was high"},
    {"ControlHoldAfterXtal", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.load(2, false, 0x08);
             d.set(In::Xa1, 0);
             d.set(In::Xtal1, 1);
             d.wait(200);
             d.set(In::Xtal1, 0);
             d.wait(20);
             d.set(In::Xa0, 1);
         });
     },
     "XA0 changed"},
    {"DataChangedWhileWrLow", "ATMEGA328P",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x40);
             d.load(1, false, 0xE2);
             d.set(In::Wr, 0);
             d.wait(100);
             d.set(In::Data, 0xFF);
             d.wait(200);
             d.set(In::Wr, 1);
         });
     },
     "DATA changed while /WR was low"},
    {"WrPulseTooShort", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x40);
             d.load(1, false, 0xE1);
             d.set(In::Wr, 0);
             d.wait(62.5);
             d.set(In::Wr, 1);
         });
     },
     "/WR low for 62.5 ns"},
    {"WriteWhileBusy", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x80);
             d.writePulse();
             d.wait(2000);
             d.writePulse();
         });
     },
     "/WR (a write started) while the chip was busy"},
    {"LoadWhileBusy", "ATMEGA328P",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x80);
             d.writePulse();
             d.wait(500);  // RDY/BSY may still read high this soon
             d.command(0x08);
         });
     },
     "XTAL1 load while the chip was busy"},
    {"ReadWhileBusy", "ATMEGA16",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x40);
             d.load(1, false, 0xE1);
             d.writePulse();
             d.wait(3000);
             d.read(false);
         });
     },
     "/OE (a read) while the chip was busy"},
    {"BusContention", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x08);
             d.load(0, false, 0);
             d.set(In::Oe, 0);  // DATA still an output
             d.wait(500);
         });
     },
     "bus contention"},
    {"PagelWithBs1Low", "ATMEGA328P",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x10);
             d.load(0, false, 0);
             d.load(1, false, 0x55);
             d.set(In::Bs1, 0);
             d.wait(250);
             d.pulse(In::Pagel, false);
         });
     },
     "PAGEL pulsed with BS1 low"},
    {"HvOffWhileBusy", "ATMEGA8",
     [](Driver& d) {
         entered(d, [](Driver& d) {
             d.command(0x80);
             d.writePulse();
             d.wait(3000);
             d.set(In::ResetHv, 0);
         });
     },
     "12 V removed from RESET while the chip was busy"},
};

INSTANTIATE_TEST_SUITE_P(Table, ChipBreaches, ::testing::ValuesIn(kBreaches),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::sim::avr
