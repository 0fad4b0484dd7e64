// SPDX-License-Identifier: MIT
#include "sim/SimConsole.h"

#include <unistd.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QStringList>
#include <cstdio>

#include "sim/PtyServer.h"
#include "sim/SimChip.h"
#include "sim/SimulatedProgrammer.h"

namespace kv::sim {

namespace {

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString byteText(quint8 value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

bool parseFuseWords(const QStringList& words, int values[4]) {
    if (words.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        const QString& w = words[i];
        if (w == QLatin1String("..")) {
            values[i] = -1;
            continue;
        }
        bool ok = false;
        const int v = w.toInt(&ok, 16);
        if (!ok || w.size() != 2)
            return false;
        values[i] = v;
    }
    return true;
}

SimConsole::SimConsole(SimulatedProgrammer& device, PtyServer* server, QObject* parent)
    : QObject(parent), m_device(device), m_server(server) {}

QString SimConsole::execute(const QString& line) {
    const QStringList words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return {};
    }
    const QString command = words[0].toLower();
    const QString arg = words.size() > 1 ? words[1] : QString();
    QString reply;
    if (command == u"model" && SimChip::find(arg)) {
        m_device.setModel(arg);
        reply = QStringLiteral("ok model ") + m_device.model();
    } else if (command == u"model") {
        reply = QStringLiteral("error: unknown model \"%1\"").arg(arg);
    } else if (command == u"signature") {
        const QByteArray bytes = QByteArray::fromHex(arg.toLatin1());
        if (arg.size() != 6 || bytes.size() != 3 || hexText(bytes) != arg.toUpper()) {
            return QStringLiteral("error: signature needs six hex digits");
        }
        m_device.signature() = {quint8(bytes[0]), quint8(bytes[1]), quint8(bytes[2])};
        reply = QStringLiteral("ok signature ") + hexText(bytes);
    } else if (command == u"fuses") {
        int v[4];
        if (!parseFuseWords(words.mid(1), v)) {
            return QStringLiteral(
                "error: fuses needs LOW HIGH EXT LOCK as two hex digits or \"..\"");
        }
        // Bits the silicon does not have read as 1, as on the chip.
        const SimChip& chip = m_device.chip();
        if (v[0] >= 0)
            m_device.low = quint8(v[0] | quint8(~chip.lowUsed));
        if (v[1] >= 0)
            m_device.high = quint8(v[1] | quint8(~chip.highUsed));
        if (v[2] >= 0)
            m_device.extended = quint8(v[2] | quint8(~chip.extendedUsed));
        if (v[3] >= 0)
            m_device.lock = quint8(v[3] | quint8(~chip.lockUsed));
        reply = QStringLiteral("ok fuses %1 %2 %3 %4")
                    .arg(byteText(m_device.low), byteText(m_device.high),
                         byteText(m_device.extended), byteText(m_device.lock));
    } else if (command == u"loader") {
        m_device.restartIntoLoader();
        reply = QStringLiteral("ok loader");
    } else if (command == u"loaderpage") {
        if (arg.toInt() <= 0) {
            return QStringLiteral("error: loaderpage needs a size in bytes");
        }
        m_device.setLoaderPageSize(arg.toInt());
        reply = QStringLiteral("ok loaderpage %1").arg(m_device.loaderPageSize());
    } else if (command == u"fault") {
        reply = setFault(arg.toLower(), words.mid(2).join(u' '));
    } else if (command == u"dump") {
        reply = dump();
    } else if (command == u"transcript") {
        reply = hexText(m_device.transcript());
    } else if (command == u"hangup") {
        if (m_server) {
            m_server->hangUp();
        }
        reply = QStringLiteral("ok hangup");
    } else if (command == u"quit") {
        Q_EMIT quitRequested();
        reply = QStringLiteral("ok quit");
    } else {
        reply = QStringLiteral("error: unknown command \"%1\"").arg(words[0]);
    }
    if (m_server) {
        m_server->service();
    }
    return reply;
}

QString SimConsole::setFault(const QString& name, const QString& value) {
    FaultPlan& faults = m_device.faults();
    bool ok = true;
    const int number = value.toInt(&ok);
    if (name == u"clear") {
        m_device.setFaults({});
        return QStringLiteral("ok fault clear");
    }
    if (name == u"garbage") {
        faults.garbage = value.toUtf8();
        return QStringLiteral("ok fault garbage");
    }
    if (!ok) {
        return QStringLiteral("error: fault %1 needs a number").arg(name);
    }
    if (name == u"silent") {
        faults.silent = number != 0;
    } else if (name == u"lowercase") {
        faults.lowerCaseHex = number != 0;
    } else if (name == u"delay") {
        faults.extraReplyDelayMs = number;
    } else if (name == u"pageacks") {
        faults.dropPageAcksAfter = number;
    } else if (name == u"writeacks") {
        faults.dropWriteAcksAfter = number;
    } else if (name == u"hangupafter") {
        faults.hangUpAfterBytes = number;
    } else if (name == u"readlimit") {
        faults.readReplyLimitChars = number;
    } else if (name == u"trickle") {
        faults.readReplyGapMs = number;
    } else if (name == u"loaderacks") {
        faults.dropLoaderAcksAfter = number;
    } else if (name == u"stuckflash") {
        faults.stuckFlashByte = number;
    } else if (name == u"stuckeeprom") {
        faults.stuckEepromByte = number;
    } else {
        return QStringLiteral("error: unknown fault \"%1\"").arg(name);
    }
    return QStringLiteral("ok fault %1 %2").arg(name).arg(number);
}

QString SimConsole::dump() const {
    SimulatedProgrammer& d = m_device;
    const auto& sig = d.signature();
    const auto& cal = d.calibration();
    const QByteArray signature(reinterpret_cast<const char*>(sig.data()), 3);
    const QByteArray calibration(reinterpret_cast<const char*>(cal.data()), 4);
    QJsonObject fuses{{"lock", byteText(d.lock)},
                      {"extended", byteText(d.extended)},
                      {"high", byteText(d.high)},
                      {"low", byteText(d.low)}};
    QJsonObject object{
        {"model", d.model()},
        {"signature", hexText(signature)},
        {"fuses", fuses},
        {"calibration", hexText(calibration)},
        {"flash", hexText(d.flash())},
        {"eeprom", hexText(d.eeprom())},
        {"inLoader", d.inLoader()},
        {"loaderMode", QString::fromLatin1(d.loaderMode())},
        {"loaderFirmware", hexText(d.receivedFirmware())},
        {"baud", d.baud()},
    };
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void SimConsole::listen(int fd) {
    m_fd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimConsole::onReadable);
}

void SimConsole::onReadable() {
    char buffer[1024];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n <= 0) {
        m_notifier->setEnabled(false);  // end of input: keep serving the port
        return;
    }
    m_partial.append(buffer, n);
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_partial.left(end));
        m_partial.remove(0, end + 1);
        const QString reply = execute(line);
        if (!reply.isEmpty()) {
            std::fputs(reply.toUtf8().append('\n').constData(), stdout);
            std::fflush(stdout);
        }
    }
}

}  // namespace kv::sim
