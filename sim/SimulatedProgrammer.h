#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <deque>

namespace kv::sim {

// What a test can make the programmer do wrong.
struct FaultPlan {
    bool silent = false;              // answers nothing at all
    int extraReplyDelayMs = 0;        // every reply starts this much later
    bool lowerCaseHex = false;        // hex replies in lower case
    int dropPageAcksAfter = -1;       // FLASH: pages acknowledged before acks stop (-1: never)
    int dropWriteAcksAfter = -1;      // "WE"/"WW": "!" sent this many times, then never
    QByteArray garbage;               // appended to every reply
    qint64 hangUpAfterBytes = -1;     // the line dies after receiving this many bytes
    int readReplyLimitChars = -1;     // "RF"/"RE": stop sending after this many characters
};

// The device model of the programmer with a chip of one of the 14 models in its
// socket. It is driven by a transport (in-process or a pseudo-terminal) that
// hands it received bytes with their arrival time and collects the bytes it
// answers with, each with the time it is due on the line.
class SimulatedProgrammer {
public:
    explicit SimulatedProgrammer(const QString& model = QStringLiteral("ATMEGA8"));

    // Puts a fresh (erased) chip of this model into the socket: FLASH and EEPROM
    // all 0xFF, fuses and lock at the model's factory defaults, calibration
    // bytes set to plausible values.
    void setModel(const QString& model);
    QString model() const { return m_model; }

    // Chip state, for tests to set up and inspect.
    QByteArray& flash() { return m_flash; }
    QByteArray& eeprom() { return m_eeprom; }
    std::array<quint8, 3>& signature() { return m_signature; }
    std::array<quint8, 4>& calibration() { return m_calibration; }  // info bytes 0x80-0x83
    quint8 lock = 0xFF, extended = 0xFF, high = 0xFF, low = 0xFF;
    QByteArray firmwareVersionText = "KELVARO HV-PROG FW 1.20";
    FaultPlan& faults() { return m_faults; }

    // Firmware loader: the next byte stream is the loader dialogue; it greets
    // with "B" and keeps the firmware it receives.
    void restartIntoLoader();
    bool inLoader() const { return m_loader; }
    QByteArray receivedFirmware() const { return m_firmware; }
    QByteArray loaderMode() const { return m_loaderMode; }  // "B" or "D" as received

    // Line speed used for byte timing (bits per character: 10).
    void setBaud(int baud) { m_baud = baud; }
    int baud() const { return m_baud; }
    qint64 byteTimeUs() const;

    // Transport side. receive() takes bytes that finished arriving at atUs;
    // replies become available through nextOutputDueUs()/takeOutput().
    void receive(const QByteArray& bytes, qint64 atUs);
    // Time at which the next pending output byte is fully on the line, or -1.
    qint64 nextOutputDueUs() const;
    // Removes and returns every output byte due at or before nowUs.
    QByteArray takeOutput(qint64 nowUs);
    bool hungUp() const { return m_hungUp; }

    // Every byte received since construction or clearTranscript(), in order.
    const QByteArray& transcript() const { return m_transcript; }
    void clearTranscript() { m_transcript.clear(); }

private:
    struct Pending {
        qint64 dueUs;
        char byte;
    };
    void queueReply(const QByteArray& bytes, qint64 startUs);
    void handleCommand(const QByteArray& command, qint64 atUs);
    void handleFlashByte(char byte, qint64 atUs);
    void handleLoaderByte(char byte, qint64 atUs);

    QString m_model;
    QByteArray m_flash, m_eeprom;
    std::array<quint8, 3> m_signature{0x1E, 0x93, 0x07};
    std::array<quint8, 4> m_calibration{0xA1, 0xB2, 0xC3, 0xD4};
    FaultPlan m_faults;
    int m_baud = 115200;
    QByteArray m_transcript;
    QByteArray m_command;  // text command being received
    std::deque<Pending> m_out;
    qint64 m_busyUntilUs = 0;  // chip busy with a page or byte write
    bool m_hungUp = false;
    // FLASH stream state after "WF#"
    int m_flashState = 0;
    int m_flashPageWords = 0, m_flashWordsMinusOne = 0;
    qint64 m_flashReceived = 0, m_flashExpected = 0;
    int m_pagesAcked = 0, m_writeAcks = 0;
    // loader
    bool m_loader = false;
    int m_loaderState = 0;
    QByteArray m_loaderMode, m_firmware, m_loaderHex;
};

}  // namespace kv::sim
