// SPDX-License-Identifier: MIT
#include "avr/ProgrammerBoard.h"

#include <avr_adc.h>
#include <avr_ioport.h>
#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_cycle_timers.h>
#include <sim_elf.h>
#include <sim_hex.h>
#include <sim_irq.h>
#include <sim_regbit.h>

#include <QFile>
#include <QFileInfo>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kv::sim::avr {

namespace {

// ATmega2560 data-space addresses of the ports the shield uses.
constexpr int kPinA = 0x20;
constexpr int kPortA = 0x22;
constexpr int kDdrA = 0x21;
constexpr int kPortL = 0x10B;

// BOOTSZ at its largest: the boot section is the upper 4096 words.
constexpr quint32 kBootStart = 0x3E000;

// The shield's divider, 10 k over 3.3 k.
int dividedMv(int mv) {
    return mv * 33 / 133;
}

// simavr reports through a global logger; keep its chatter (UART set-up,
// traces) off stdout, where kelvaro-sim prints its port path, and pass errors
// to stderr.
void quietLogger(avr_t*, const int level, const char* format, va_list args) {
    if (level <= LOG_ERROR) {
        std::vfprintf(stderr, format, args);
    }
}

avr_uart_t* findUart(avr_t* avr, char name) {
    for (avr_io_t* io = avr->io_port; io; io = io->next) {
        if (io->kind && std::strcmp(io->kind, "uart") == 0) {
            auto* uart = reinterpret_cast<avr_uart_t*>(io);
            if (uart->name == name)
                return uart;
        }
    }
    return nullptr;
}

// Copies an ELF or Intel HEX image into the core's FLASH; the lowest address
// loaded in *base, -1 on failure with *error.
bool loadImage(avr_t* avr, const QString& path, quint32* base, QString* error) {
    const QByteArray file = QFile::encodeName(path);
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("no such file"));
    if (path.endsWith(QLatin1String(".hex"), Qt::CaseInsensitive)) {
        ihex_chunk_p chunks = nullptr;
        const int count = read_ihex_chunks(file.constData(), &chunks);
        if (count <= 0)
            return fail(QStringLiteral("not an Intel HEX file"));
        quint32 lowest = ~0u;
        for (int i = 0; i < count; ++i) {
            if (chunks[i].baseaddr + chunks[i].size > avr->flashend + 1) {
                free_ihex_chunks(chunks);
                return fail(QStringLiteral("beyond the ATmega2560's FLASH"));
            }
            std::memcpy(avr->flash + chunks[i].baseaddr, chunks[i].data, chunks[i].size);
            lowest = qMin(lowest, chunks[i].baseaddr);
        }
        free_ihex_chunks(chunks);
        *base = lowest;
        return true;
    }
    elf_firmware_t firmware;
    std::memset(&firmware, 0, sizeof firmware);
    if (elf_read_firmware(file.constData(), &firmware) != 0 || !firmware.flash)
        return fail(QStringLiteral("not an AVR ELF program"));
    if (firmware.flashbase + firmware.flashsize > avr->flashend + 1) {
        std::free(firmware.flash);
        return fail(QStringLiteral("beyond the ATmega2560's FLASH"));
    }
    std::memcpy(avr->flash + firmware.flashbase, firmware.flash, firmware.flashsize);
    *base = firmware.flashbase;
    std::free(firmware.flash);
    std::free(firmware.eeprom);
    return true;
}

}  // namespace

struct BoardCallbacks {
    static void portC(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onPortC(-1, value);
    }
    static void portL(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onPortL(-1, value);
    }
    static void portA(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onPortA(-1, value);
    }
    static void directionA(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onDirectionA(value);
    }
    static void ready(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onChipReady(value != 0);
    }
    static void data(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onChipData(value);
    }
    static void uartOut(avr_irq_t*, uint32_t value, void* param) {
        static_cast<ProgrammerBoard*>(param)->onUartOut(quint8(value));
    }
    static uint8_t pinA(avr_t*, avr_io_addr_t addr, void* param) {
        return static_cast<ProgrammerBoard*>(param)->onReadPinA(addr);
    }
    static avr_cycle_count_t feed(avr_t*, avr_cycle_count_t when, void* param) {
        return static_cast<ProgrammerBoard*>(param)->feedDue(when);
    }
};

ProgrammerBoard::ProgrammerBoard(const QString& model) {
    avr_global_logger_set(&quietLogger);
    m_avr = avr_make_mcu_by_name("atmega2560");
    if (!m_avr)
        std::abort();  // the library always has this core
    avr_init(m_avr);
    m_avr->frequency = kFrequency;
    m_avr->vcc = m_avr->avcc = m_avr->aref = 5000;
    m_avr->log = LOG_ERROR;
    uint32_t flags = 0;  // no console echo, no sleeping in status polls
    avr_ioctl(m_avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    for (int i = 0; i < 8; ++i) {
        m_portA[i] = avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('A'), i);
        m_portC[i] = avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('C'), i);
        m_portL[i] = avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('L'), i);
    }
    m_chip = std::make_unique<HvppChip>(m_avr, model);
    attachChip();
    updateAnalog();
}

ProgrammerBoard::~ProgrammerBoard() {
    m_chip.reset();
    avr_terminate(m_avr);
    std::free(m_avr);
}

void ProgrammerBoard::attachChip() {
    avr_irq_register_notify(avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('C'), IOPORT_IRQ_REG_PORT),
                            &BoardCallbacks::portC, this);
    avr_irq_register_notify(avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('L'), IOPORT_IRQ_REG_PORT),
                            &BoardCallbacks::portL, this);
    avr_irq_register_notify(avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('A'), IOPORT_IRQ_REG_PORT),
                            &BoardCallbacks::portA, this);
    avr_irq_register_notify(
        avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ('A'), IOPORT_IRQ_DIRECTION_ALL),
        &BoardCallbacks::directionA, this);
    // Wraps the port's PINA reader (one reader per address) to see when the
    // firmware samples DATA.
    auto& pinA = m_avr->io[AVR_DATA_TO_IO(kPinA)].r;
    m_pinARead = pinA.c;
    m_pinAParam = pinA.param;
    pinA.c = &BoardCallbacks::pinA;
    pinA.param = this;
    avr_irq_register_notify(m_chip->output(HvppChip::Ready), &BoardCallbacks::ready, this);
    avr_irq_register_notify(m_chip->output(HvppChip::DataOut), &BoardCallbacks::data, this);
    avr_irq_register_notify(avr_io_getirq(m_avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT),
                            &BoardCallbacks::uartOut, this);
    onChipReady(true);
}

bool ProgrammerBoard::loadFirmware(const QString& path, QString* error) {
    std::memset(m_avr->flash, 0xFF, m_avr->flashend + 1);
    m_bootAddress = -1;
    quint32 base = 0;
    if (!loadImage(m_avr, path, &base, error))
        return false;
    m_entry = base < kBootStart ? base : 0;
    m_avr->codeend = m_avr->flashend;
    findBootSection();
    pressReset();
    return true;
}

void ProgrammerBoard::findBootSection() {
    // Code in the upper 8 KiB is a boot-section loader, which the board's
    // BOOTRST fuse starts first.
    for (quint32 a = kBootStart; a <= m_avr->flashend; ++a) {
        if (m_avr->flash[a] != 0xFF) {
            m_bootAddress = kBootStart;
            return;
        }
    }
}

bool ProgrammerBoard::loadExtra(const QString& path, QString* error) {
    quint32 base = 0;
    if (!loadImage(m_avr, path, &base, error))
        return false;
    findBootSection();
    pressReset();
    return true;
}

bool ProgrammerBoard::runningLoader() const {
    return m_bootAddress >= 0 && qint64(m_avr->pc) >= m_bootAddress;
}

void ProgrammerBoard::pressReset() {
    m_avr->reset_pc = m_bootAddress >= 0 ? avr_flashaddr_t(m_bootAddress) : m_entry;
    avr_reset(m_avr);
    m_avr->reset_pc = m_bootAddress >= 0 ? avr_flashaddr_t(m_bootAddress) : m_entry;
    m_avr->pc = m_avr->reset_pc;
    uint32_t flags = 0;
    avr_ioctl(m_avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    // All pins are inputs again: the shield's switches drop VCC and 12 V, the
    // control lines float low.
    onPortL(-1, 0);
    onPortC(-1, 0);
    onDirectionA(0);
    m_input.clear();
    m_feeding = false;
    avr_cycle_timer_cancel(m_avr, &BoardCallbacks::feed, this);
    onChipReady(m_chip->inProgrammingMode() ? !m_chip->busy() : true);
}

void ProgrammerBoard::onPortC(int, unsigned value) {
    static constexpr HvppChip::Input lines[8] = {HvppChip::InputCount, HvppChip::Oe,  HvppChip::Wr,
                                                 HvppChip::Bs1,        HvppChip::Xa0, HvppChip::Xa1,
                                                 HvppChip::Pagel,      HvppChip::Bs2};
    for (int i = 1; i < 8; ++i) {
        avr_raise_irq(m_chip->input(lines[i]), (value >> i) & 1);
    }
}

void ProgrammerBoard::onPortL(int, unsigned value) {
    // VCC before XTAL1 and 12 V: a write that sets them together reaches the
    // chip in the order the pins are numbered, as a scope would not show.
    avr_raise_irq(m_chip->input(HvppChip::Xtal1), value & 1);
    avr_raise_irq(m_chip->input(HvppChip::Vcc), (value >> 1) & 1);
    m_hvEnable = (value >> 2) & 1;
    avr_raise_irq(m_chip->input(HvppChip::ResetHv), m_hvEnable && m_railMv >= 11500 ? 1 : 0);
    updateAnalog();
}

void ProgrammerBoard::onPortA(int, unsigned) {
    const quint8 ddr = m_avr->data[kDdrA];
    const quint8 port = m_avr->data[kPortA];
    m_dataOut = quint8((port & ddr) | (m_dataOut & ~ddr));
    avr_raise_irq(m_chip->input(HvppChip::Data), m_dataOut);
}

void ProgrammerBoard::onDirectionA(unsigned ddr) {
    const quint8 port = m_avr->data[kPortA];
    m_dataOut = quint8((port & ddr) | (m_dataOut & ~ddr));
    avr_raise_irq(m_chip->input(HvppChip::DataDir), ddr & 0xFF);
    avr_raise_irq(m_chip->input(HvppChip::Data), m_dataOut);
}

quint8 ProgrammerBoard::onReadPinA(unsigned addr) {
    m_chip->dataSampled();
    return m_pinARead ? m_pinARead(m_avr, avr_io_addr_t(addr), m_pinAParam) : m_avr->data[addr];
}

void ProgrammerBoard::onChipReady(bool ready) {
    // RDY/BSY is an input with the pull-up on: the port reads what the chip
    // drives, and the pull-up's high when the chip lets go.
    avr_ioport_external_t external{};
    external.name = 'C';
    external.mask = 1;
    external.value = ready ? 1 : 0;
    avr_ioctl(m_avr, AVR_IOCTL_IOPORT_SET_EXTERNAL('C'), &external);
    avr_raise_irq(m_portC[0], ready ? 1 : 0);
}

void ProgrammerBoard::onChipData(unsigned value) {
    if (!(value & HvppChip::kDriving))
        return;  // the bus floats: the pins keep what they read last
    for (int i = 0; i < 8; ++i) {
        avr_raise_irq(m_portA[i], (value >> i) & 1);
    }
}

void ProgrammerBoard::setRailMv(int mv) {
    m_railMv = qMax(0, mv);
    avr_raise_irq(m_chip->input(HvppChip::ResetHv), m_hvEnable && m_railMv >= 11500 ? 1 : 0);
    updateAnalog();
}

void ProgrammerBoard::updateAnalog() {
    avr_raise_irq(avr_io_getirq(m_avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC0), dividedMv(m_railMv));
    avr_raise_irq(avr_io_getirq(m_avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC1),
                  m_hvEnable ? dividedMv(m_railMv) : 0);
}

unsigned long long ProgrammerBoard::byteCycles() const {
    return (unsigned long long)((qint64(kFrequency) * 10 + m_baud - 1) / m_baud);
}

void ProgrammerBoard::fixUartTiming() {
    // simavr counts a parity bit into every character; 8N1 has ten bits.
    avr_uart_t* uart = findUart(m_avr, '0');
    if (!uart)
        return;
    const unsigned ubrr =
        m_avr->data[uart->ubrrl.reg] | ((m_avr->data[uart->ubrrh.reg] & 0x0F) << 8);
    const unsigned bitCycles = (ubrr + 1) * (avr_regbit_get(m_avr, uart->u2x) ? 8 : 16);
    const unsigned long long own = bitCycles * 10ULL;
    // Within a receiver's tolerance each character resynchronises on its start
    // bit, so both sides move at the line's pace; simavr would otherwise drain
    // its receive queue at the firmware's own rate and overrun a slightly
    // faster sender.
    const unsigned long long line = byteCycles();
    uart->cycles_per_byte = (own * 100 >= line * 95 && own * 100 <= line * 105) ? line : own;
}

void ProgrammerBoard::send(const QByteArray& bytes) {
    for (char c : bytes) {
        m_input.push_back(quint8(c));
    }
    m_transcript += bytes;
    if (!m_feeding && !m_input.empty()) {
        m_feeding = true;
        const unsigned long long now = m_avr->cycle;
        const unsigned long long at = qMax(m_nextFeedCycle, now + 1);
        avr_cycle_timer_register(m_avr, at - now, &BoardCallbacks::feed, this);
    }
}

unsigned long long ProgrammerBoard::feedDue(unsigned long long when) {
    if (m_input.empty()) {
        m_feeding = false;
        return 0;
    }
    fixUartTiming();
    // Handed over as the start bit begins: the UART has the byte one
    // character time later, when its stop bit is in.
    const quint8 byte = m_input.front();
    m_input.pop_front();
    avr_raise_irq(avr_io_getirq(m_avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT), byte);
    m_nextFeedCycle = when + byteCycles();
    if (m_input.empty()) {
        m_feeding = false;
        return 0;
    }
    return m_nextFeedCycle;
}

void ProgrammerBoard::onUartOut(quint8 byte) {
    fixUartTiming();
    avr_uart_t* uart = findUart(m_avr, '0');
    const unsigned long long frame = uart ? uart->cycles_per_byte : byteCycles();
    const unsigned long long start = qMax<unsigned long long>(m_txFreeCycle, m_avr->cycle);
    m_txFreeCycle = start + frame;
    m_output.push_back({m_txFreeCycle, byte});
}

QByteArray ProgrammerBoard::takeOutput() {
    QByteArray out;
    while (!m_output.empty() && m_output.front().doneCycle <= m_avr->cycle) {
        out += char(m_output.front().byte);
        m_output.pop_front();
    }
    return out;
}

qint64 ProgrammerBoard::nextOutputUs() const {
    if (m_output.empty())
        return -1;
    return qint64(m_output.front().doneCycle / (kFrequency / 1'000'000));
}

qint64 ProgrammerBoard::cycles() const {
    return qint64(m_avr->cycle);
}

qint64 ProgrammerBoard::nowUs() const {
    return qint64(m_avr->cycle / (kFrequency / 1'000'000));
}

bool ProgrammerBoard::crashed() const {
    return m_avr->state == cpu_Crashed || m_avr->state == cpu_Done;
}

QString ProgrammerBoard::stopReason() const {
    if (m_avr->state == cpu_Crashed)
        return QStringLiteral("the firmware crashed at 0x%1").arg(m_avr->pc, 0, 16);
    if (m_avr->state == cpu_Done)
        return QStringLiteral("the firmware stopped (sleep with interrupts off) at 0x%1")
            .arg(m_avr->pc, 0, 16);
    return {};
}

bool ProgrammerBoard::runUntilCycle(qint64 cycle) {
    while (qint64(m_avr->cycle) < cycle) {
        const int state = avr_run(m_avr);
        if (state == cpu_Done || state == cpu_Crashed)
            return false;
    }
    return true;
}

bool ProgrammerBoard::runFor(qint64 us) {
    return runUntilCycle(qint64(m_avr->cycle) + us * (kFrequency / 1'000'000));
}

PinTrace tracePin(const char* mcu, int frequency, const QByteArray& flash, char port, int pin,
                  double forUs) {
    PinTrace trace;
    avr_global_logger_set(&quietLogger);
    avr_t* avr = avr_make_mcu_by_name(mcu);
    if (!avr) {
        trace.error = QStringLiteral("simavr has no core \"%1\"").arg(QLatin1String(mcu));
        return trace;
    }
    avr_init(avr);
    avr->frequency = uint32_t(frequency);
    avr->log = LOG_ERROR;
    const size_t size = qMin<size_t>(size_t(flash.size()), avr->flashend + 1);
    std::memcpy(avr->flash, flash.constData(), size);
    avr->codeend = avr->flashend;
    struct Hook {
        avr_t* avr;
        QList<double>* changes;
        static void notify(avr_irq_t*, uint32_t, void* param) {
            auto* hook = static_cast<Hook*>(param);
            hook->changes->append(double(hook->avr->cycle) * 1e6 / hook->avr->frequency);
        }
    } hook{avr, &trace.changesUs};
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ(port), pin), &Hook::notify,
                            &hook);
    const avr_cycle_count_t end = avr_cycle_count_t(forUs * frequency / 1e6);
    while (avr->cycle < end) {
        const int state = avr_run(avr);
        if (state == cpu_Done || state == cpu_Crashed) {
            trace.error = QStringLiteral("the image stopped at 0x%1").arg(avr->pc, 0, 16);
            break;
        }
    }
    avr_terminate(avr);
    std::free(avr);
    return trace;
}

}  // namespace kv::sim::avr
