// SPDX-License-Identifier: MIT
#include "avr/FirmwareConsole.h"

#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QStringList>
#include <cstdio>

#include "avr/FirmwareHost.h"
#include "avr/ProgrammerBoard.h"
#include "sim/SimChip.h"
#include "sim/SimConsole.h"

namespace kv::sim::avr {

namespace {

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString byteText(quint8 value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

FirmwareConsole::FirmwareConsole(FirmwareHost& host, QObject* parent)
    : QObject(parent), m_host(host) {}

QString FirmwareConsole::execute(const QString& line) {
    const QStringList words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    const QString command = words[0].toLower();
    const QString arg = words.size() > 1 ? words[1] : QString();
    if (command == u"model") {
        if (!HvppChip::isKnown(arg))
            return QStringLiteral("error: unknown model \"%1\"").arg(arg);
        QString name;
        m_host.withBoard([&](ProgrammerBoard& b) {
            b.setModel(arg);
            name = b.chip().model();
        });
        return QStringLiteral("ok model ") + name;
    }
    if (command == u"fuses") {
        int v[4];
        if (!parseFuseWords(words.mid(1), v))
            return QStringLiteral(
                "error: fuses needs LOW HIGH EXT LOCK as two hex digits or \"..\"");
        QString text;
        m_host.withBoard([&](ProgrammerBoard& b) {
            HvppChip& c = b.chip();
            c.presetFuses(v[0], v[1], v[2], v[3]);
            text =
                QStringLiteral("%1 %2 %3 %4")
                    .arg(byteText(c.low), byteText(c.high), byteText(c.extended), byteText(c.lock));
        });
        return QStringLiteral("ok fuses ") + text;
    }
    if (command == u"dump")
        return dump();
    if (command == u"transcript") {
        QString text;
        m_host.withBoard([&](ProgrammerBoard& b) { text = hexText(b.transcript()); });
        return text;
    }
    if (command == u"violations") {
        QStringList texts;
        m_host.withBoard([&](ProgrammerBoard& b) {
            texts = b.chip().violationTexts();
            for (const QString& refusal : b.chip().refusals())
                texts << QStringLiteral("entry refused at ") + refusal;
        });
        return texts.isEmpty() ? QStringLiteral("ok none") : texts.join(QStringLiteral(" | "));
    }
    if (command == u"loader") {
        m_host.withBoard([](ProgrammerBoard& b) { b.pressReset(); });
        return QStringLiteral("ok loader");
    }
    if (command == u"rail") {
        bool ok = false;
        const int mv = arg.toInt(&ok);
        if (!ok || mv < 0)
            return QStringLiteral("error: rail needs millivolts");
        m_host.withBoard([&](ProgrammerBoard& b) { b.setRailMv(mv); });
        return QStringLiteral("ok rail %1").arg(mv);
    }
    if (command == u"hangup") {
        m_host.hangUp();
        return QStringLiteral("ok hangup");
    }
    if (command == u"quit") {
        Q_EMIT quitRequested();
        return QStringLiteral("ok quit");
    }
    return QStringLiteral("error: unknown command \"%1\"").arg(words[0]);
}

QString FirmwareConsole::dump() {
    QJsonObject object;
    m_host.withBoard([&](ProgrammerBoard& b) {
        HvppChip& c = b.chip();
        const QByteArray signature(reinterpret_cast<const char*>(c.chip().signature), 3);
        const QByteArray calibration(reinterpret_cast<const char*>(c.calibration().data()), 4);
        QJsonArray violations, refusals;
        for (const QString& text : c.violationTexts())
            violations.append(text);
        for (const QString& text : c.refusals())
            refusals.append(text);
        object = QJsonObject{
            {"model", c.model()},
            {"signature", hexText(signature)},
            {"fuses", QJsonObject{{"lock", byteText(c.lock)},
                                  {"extended", byteText(c.extended)},
                                  {"high", byteText(c.high)},
                                  {"low", byteText(c.low)}}},
            {"calibration", hexText(calibration)},
            {"flash", hexText(c.flash())},
            {"eeprom", hexText(c.eeprom())},
            {"inLoader", b.runningLoader()},
            {"loaderMode", QString()},
            {"loaderFirmware", QString()},
            {"baud", b.baud()},
            {"violations", violations},
            {"refusals", refusals},
            {"simulatedUs", double(b.nowUs())},
        };
    });
    object.insert(QStringLiteral("lagMs"), m_host.lagMs());
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void FirmwareConsole::listen(int fd) {
    m_fd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FirmwareConsole::onReadable);
}

void FirmwareConsole::onReadable() {
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

}  // namespace kv::sim::avr
