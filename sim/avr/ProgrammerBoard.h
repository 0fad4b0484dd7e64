// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>
#include <memory>

#include "avr/HvppChip.h"

struct avr_t;
struct avr_irq_t;

namespace kv::sim::avr {

// The open programmer as built: an ATmega2560 at 16 MHz running the firmware,
// its shield (target VCC and 12 V switches, the 12 V rail and RESET sensed on
// ADC0/ADC1 through 10 k / 3.3 k dividers) and a modelled chip in the socket,
// wired as the shield's pin map says:
//   PA0-7 DATA, PC0 RDY/BSY (pull-up), PC1 /OE, PC2 /WR, PC3 BS1, PC4 XA0,
//   PC5 XA1, PC6 PAGEL, PC7 BS2, PL0 XTAL1, PL1 VCC_EN, PL2 HV_EN.
// UART0 is the host line: bytes given to send() reach the firmware one
// character time apart (10 bits at the line's baud rate), bytes the firmware
// writes come back from takeOutput() with the time they leave the pin.
// Single-threaded: the caller runs the core with runFor()/runUntil().
class ProgrammerBoard {
public:
    static constexpr int kFrequency = 16'000'000;

    explicit ProgrammerBoard(const QString& model = QStringLiteral("ATMEGA8"));
    ~ProgrammerBoard();
    ProgrammerBoard(const ProgrammerBoard&) = delete;
    ProgrammerBoard& operator=(const ProgrammerBoard&) = delete;

    // Loads an ELF (or Intel HEX) program into the board's FLASH and resets the
    // core; false with the reason on failure. A second image (a loader built
    // apart) may follow at its own addresses. With code in the boot section
    // (the upper 8 KiB) the core starts there, as BOOTRST makes it.
    bool loadFirmware(const QString& path, QString* error = nullptr);
    bool loadExtra(const QString& path, QString* error = nullptr);
    // Restarts the board as its reset button does: the program starts again
    // (from the boot section when one was loaded, so the loader greets).
    void pressReset();
    bool hasBootSection() const { return m_bootAddress >= 0; }
    qint64 bootAddress() const { return m_bootAddress; }
    // The core runs in the boot section (the loader).
    bool runningLoader() const;

    avr_t* core() { return m_avr; }
    HvppChip& chip() { return *m_chip; }
    // A fresh chip of another model in the socket.
    void setModel(const QString& model) { m_chip->reset(model); }

    // The line rate the host side uses (for character times).
    void setBaud(int baud) { m_baud = baud > 0 ? baud : 115200; }
    int baud() const { return m_baud; }
    void send(const QByteArray& bytes);
    int pendingInput() const { return int(m_input.size()); }
    // Bytes the firmware has sent whose last bit is on the line at or before
    // the core's current time.
    QByteArray takeOutput();
    // Simulated time at which the next output byte is complete, or -1.
    qint64 nextOutputUs() const;
    // Everything received from the host, in order.
    const QByteArray& transcript() const { return m_transcript; }
    void clearTranscript() { m_transcript.clear(); }

    // The 12 V rail in millivolts (0: switched off), seen by the firmware on
    // ADC0 and, when HV_EN is on, on RESET and ADC1.
    void setRailMv(int mv);

    qint64 cycles() const;
    qint64 nowUs() const;
    // Runs the core; false when it stopped (crashed or left its program).
    bool runUntilCycle(qint64 cycle);
    bool runFor(qint64 us);
    bool crashed() const;
    QString stopReason() const;

private:
    friend struct BoardCallbacks;
    void attachChip();
    void findBootSection();
    void onPortC(int pin, unsigned value);
    void onPortL(int pin, unsigned value);
    void onPortA(int pin, unsigned value);
    void onDirectionA(unsigned ddr);
    void onChipReady(bool ready);
    void onChipData(unsigned value);
    void onUartOut(quint8 byte);
    quint8 onReadPinA(unsigned addr);
    unsigned long long feedDue(unsigned long long when);
    void fixUartTiming();
    void updateAnalog();
    unsigned long long byteCycles() const;

    avr_t* m_avr = nullptr;
    std::unique_ptr<HvppChip> m_chip;
    avr_irq_t* m_portA[8] = {};
    avr_irq_t* m_portC[8] = {};
    avr_irq_t* m_portL[8] = {};
    // The port module's own reader of PINA, which the board's reader wraps.
    quint8 (*m_pinARead)(avr_t*, unsigned short, void*) = nullptr;
    void* m_pinAParam = nullptr;
    quint8 m_dataOut = 0;  // the programmer's view of PORTA pins it drives
    bool m_echo = false;   // the chip's own drive of PA pins, not to be handed back
    bool m_hvEnable = false;
    int m_railMv = 12000;
    int m_baud = 115200;
    std::deque<quint8> m_input;
    unsigned long long m_nextFeedCycle = 0;
    bool m_feeding = false;
    struct OutByte {
        unsigned long long doneCycle;
        quint8 byte;
    };
    std::deque<OutByte> m_output;
    unsigned long long m_txFreeCycle = 0;
    QByteArray m_transcript;
    qint64 m_bootAddress = -1;  // byte address of a loaded boot section
    quint32 m_entry = 0;
};

// Runs a FLASH image on a core of its own (e.g. "atmega328p") for a while and
// counts the changes of one port pin, for checking that a programmed image
// runs. Returns the times (us) of each change; empty with *error set when the
// core cannot be made.
struct PinTrace {
    QList<double> changesUs;
    QString error;
};
PinTrace tracePin(const char* mcu, int frequency, const QByteArray& flash, char port, int pin,
                  double forUs);

}  // namespace kv::sim::avr
