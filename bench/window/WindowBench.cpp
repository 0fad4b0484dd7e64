// SPDX-License-Identifier: MIT
#include "WindowBench.h"

#include <QFile>
#include <QRandomGenerator>
#include <array>
#include <stdexcept>

#include "app/ShellTexts.h"
#include "link/PortMap.h"
#include "settings/SettingsStore.h"

namespace kv::bench {

QByteArray intelHex(const QByteArray& bytes) {
    QByteArray text;
    for (int at = 0; at < bytes.size(); at += 16) {
        const QByteArray data = bytes.mid(at, 16);
        QByteArray record;
        record.append(char(data.size()));
        record.append(char(at >> 8));
        record.append(char(at & 0xFF));
        record.append(char(0));
        record.append(data);
        quint8 sum = 0;
        for (char c : record)
            sum += quint8(c);
        record.append(char(quint8(-sum)));
        text += ':' + record.toHex().toUpper() + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

WindowSetup::WindowSetup(const QString& simPath) {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    const QString tty = m_dir.filePath(QStringLiteral("tty"));
    m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sim.start(simPath, {QStringLiteral("--model"), QStringLiteral("ATMEGA32"),
                          QStringLiteral("--link"), tty});
    if (!m_sim.waitForStarted(5000))
        throw std::runtime_error("cannot start " + simPath.toStdString());
    while (!m_sim.canReadLine() && m_sim.waitForReadyRead(5000)) {
    }
    if (!m_sim.canReadLine())
        throw std::runtime_error("kelvaro-sim did not answer");
    m_sim.readLine();

    SettingsStore settings(ShellTexts::appTitle(), settingsFolder());
    PortMap(&settings).setDevicePath(1, tty);
    const QList<std::array<QString, 3>> entries = {
        {QStringLiteral("属性"), QStringLiteral("通信端口"), QStringLiteral("1")},
        {QStringLiteral("属性"), QStringLiteral("设置"), QStringLiteral("115200,n,8,1")},
        {QStringLiteral("芯片"), QStringLiteral("型号"), QStringLiteral("ATMEGA32")},
        {QStringLiteral("熔丝"), QStringLiteral("设置"),
         QStringLiteral("11111111"
                        "11111111"
                        "10011001"
                        "11100001")},
        {QStringLiteral("编程选项"), QStringLiteral("设置"), QStringLiteral("1110011011")},
        {QStringLiteral("FLASH"), QStringLiteral("文件"),
         writeHexFile(QStringLiteral("image.hex"), kFlashBytes)},
        {QStringLiteral("EEPROM"), QStringLiteral("文件"),
         writeHexFile(QStringLiteral("image.eep"), kEepromBytes)},
        {QStringLiteral("校准"), QStringLiteral("HZ"), QStringLiteral(" 3")},
        {QStringLiteral("校准"), QStringLiteral("FE"), QStringLiteral(" 1")},
    };
    for (const auto& [section, key, value] : entries) {
        if (!settings.write(section, key, value))
            throw std::runtime_error("cannot store the set-up: " +
                                     settings.errorString().toStdString());
    }
}

WindowSetup::~WindowSetup() {
    m_sim.write("quit\n");
    if (!m_sim.waitForFinished(3000)) {
        m_sim.kill();
        m_sim.waitForFinished(3000);
    }
}

QString WindowSetup::writeHexFile(const QString& name, int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(intelHex(bytes)) < 0)
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

}  // namespace kv::bench
