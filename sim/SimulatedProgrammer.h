// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <deque>

#include "sim/FaultPlan.h"

namespace kv {
class Clock;
}

namespace kv::sim {

struct SimChip;

// The device model of the programmer with a chip of one of the 14 models in its
// socket. It is driven by a transport (in-process or a pseudo-terminal) that
// hands it received bytes with their arrival time and collects the bytes it
// answers with, each with the time it is due on the line.
//
// Addresses beyond the chip wrap around (the chip ignores the upper address
// bits), as do "RF"/"RE" counts beyond the memory. Hex digits in commands must
// be upper case; anything else is answered with texts::kBadArguments.
// Lock bits are honoured: with LB1 programmed, writes to FLASH, EEPROM and fuses
// have no effect (acknowledged all the same); with LB1 and LB2 programmed, FLASH
// and EEPROM also read as 0xFF. enforceLockBits = false turns this off.
class SimulatedProgrammer {
public:
    explicit SimulatedProgrammer(const QString& model = QStringLiteral("ATMEGA8"));

    // Puts a fresh (erased) chip of this model into the socket: FLASH and EEPROM
    // all 0xFF, fuses and lock at the model's factory defaults, calibration
    // bytes set to plausible values. An unknown name gives an ATMEGA8.
    void setModel(const QString& model);
    QString model() const { return m_model; }
    const SimChip& chip() const { return *m_chip; }

    // Chip state, for tests to set up and inspect.
    QByteArray& flash() { return m_flash; }
    QByteArray& eeprom() { return m_eeprom; }
    std::array<quint8, 3>& signature() { return m_signature; }
    std::array<quint8, 4>& calibration() { return m_calibration; }  // info bytes 0x80-0x83
    quint8 lock = 0xFF, extended = 0xFF, high = 0xFF, low = 0xFF;
    QByteArray firmwareVersionText = "KELVARO HV-PROG FW 1.20";
    bool enforceLockBits = true;
    FaultPlan& faults() { return m_faults; }
    void setFaults(const FaultPlan& plan);

    // Firmware loader: after kLoaderRestartUs it greets with "B"; then it takes
    // the mode character and "0", "0", asks for each page with "?", takes ">" and
    // the page as hex digit pairs, and leaves on "!". The no-argument form uses
    // the clock given to setClock() (or the latest time a transport reported).
    void restartIntoLoader();
    void restartIntoLoader(qint64 nowUs);
    bool inLoader() const { return m_loader; }
    QByteArray receivedFirmware() const { return m_firmware; }
    QByteArray loaderMode() const { return m_loaderMode; }    // "B" or "D" as received
    QByteArray loaderStart() const { return m_loaderStart; }  // the two start characters
    void setLoaderPageSize(int bytes) { m_loaderPageSize = qMax(1, bytes); }
    int loaderPageSize() const { return m_loaderPageSize; }
    // Characters the loader did not expect (stray, lower-case, a page cut short).
    int loaderErrors() const { return m_loaderErrors; }

    void setClock(const Clock* clock) { m_clock = clock; }

    // Line speed used for byte timing (bits per character: 10).
    void setBaud(int baud) { m_baud = baud; }
    int baud() const { return m_baud; }
    qint64 byteTimeUs() const;
    qint64 lineTimeUs(qint64 count) const;

    // Transport side. receive() takes bytes that finished arriving at atUs;
    // replies become available through nextOutputDueUs()/takeOutput().
    void receive(const QByteArray& bytes, qint64 atUs);
    // Time at which the next pending output byte is fully on the line, or -1.
    qint64 nextOutputDueUs() const;
    // Removes and returns every output byte due at or before nowUs.
    QByteArray takeOutput(qint64 nowUs);
    // The line is dead (hangUpAfterBytes reached): nothing is received or sent.
    bool hungUp() const { return m_hungUp; }
    // Plugs the cable back in: clears the hang-up and any half-received command.
    void reconnect();
    // True between "WF#" and the last announced FLASH byte.
    bool inFlashStream() const { return m_flashState != FlashIdle; }

    // Every byte received since construction or clearTranscript(), in order.
    const QByteArray& transcript() const { return m_transcript; }
    void clearTranscript() { m_transcript.clear(); }

    static QByteArray gbk(const char* utf8);

private:
    enum FlashState { FlashIdle, FlashHeader, FlashData };
    enum LoaderState { LoaderMode, LoaderStart, LoaderPages };
    struct Chunk {
        qint64 startUs;
        QByteArray bytes;
        int sent;
        int baud;
        qint64 dueUs(int i) const;
    };
    void queueReply(const QByteArray& bytes, qint64 startUs);
    void receiveByte(char byte, qint64 atUs);
    void handleCommand(const QByteArray& command, qint64 atUs);
    void handleFuseWrite(const QByteArray& args, bool recover, qint64 startUs);
    void handleRead(bool flash, int count, qint64 startUs);
    void handleFlashByte(char byte, qint64 atUs);
    void commitFlashPage(qint64 atUs, bool last);
    void handleLoaderByte(char byte, qint64 atUs);
    void askForPage(qint64 atUs);
    void eraseChip();
    QByteArray hex(quint8 byte) const;
    bool writeProtected() const;
    bool readProtected() const;
    qint64 commandStartUs(qint64 atUs) const;

    QString m_model;
    const SimChip* m_chip = nullptr;
    QByteArray m_flash, m_eeprom;
    std::array<quint8, 3> m_signature{0x1E, 0x93, 0x07};
    std::array<quint8, 4> m_calibration{0xA1, 0xB2, 0xC3, 0xD4};
    FaultPlan m_faults;
    const Clock* m_clock = nullptr;
    int m_baud = 115200;
    QByteArray m_transcript;
    QByteArray m_command;  // text command being received
    qint64 m_lastByteUs = -1;
    qint64 m_lastSeenUs = 0;
    std::deque<Chunk> m_out;
    qint64 m_busyUntilUs = 0;  // chip busy with a page or byte write
    bool m_hungUp = false;
    qint64 m_received = 0;  // bytes counted for hangUpAfterBytes
    // FLASH stream state after "WF#"
    FlashState m_flashState = FlashIdle;
    QByteArray m_flashHeader, m_pageBuffer;
    int m_flashPageWords = 0, m_flashWordsMinusOne = 0;
    qint64 m_flashReceived = 0, m_flashExpected = 0;
    int m_pagesAcked = 0, m_writeAcks = 0;
    // loader
    bool m_loader = false;
    LoaderState m_loaderState = LoaderMode;
    int m_loaderPageSize = 64, m_loaderPageFill = -1, m_loaderErrors = 0, m_loaderAcks = 0;
    QByteArray m_loaderMode, m_loaderStart, m_firmware, m_loaderHex;
};

}  // namespace kv::sim
