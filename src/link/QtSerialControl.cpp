// SPDX-License-Identifier: MIT
#include "link/QtSerialControl.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>

#include "core/OperationError.h"
#include "link/PortMap.h"

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace kv {

namespace {

QSerialPort::Parity qtParity(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return QSerialPort::EvenParity;
        case LineSettings::Parity::Odd:
            return QSerialPort::OddParity;
        case LineSettings::Parity::Mark:
            return QSerialPort::MarkParity;
        case LineSettings::Parity::Space:
            return QSerialPort::SpaceParity;
        case LineSettings::Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::FlowControl qtFlowControl(int handshaking) {
    switch (handshaking) {
        case 1:
            return QSerialPort::SoftwareControl;
        case 2:
        case 3:
            return QSerialPort::HardwareControl;
        default:
            return QSerialPort::NoFlowControl;
    }
}

}  // namespace

QtSerialControl::QtSerialControl(const PortMap& map, QObject* parent)
    : QObject(parent), m_map(map) {
    connect(&m_serial, &QSerialPort::errorOccurred, this, &QtSerialControl::onErrorOccurred);
    connect(&m_serial, &QSerialPort::readyRead, this, &QtSerialControl::onReadyRead);
}

QtSerialControl::~QtSerialControl() {
    disconnect(&m_serial, nullptr, this, nullptr);
    m_serial.close();
}

void QtSerialControl::setPortNumber(int n) {
    if (n < 1 || n > 16) {
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "端口号%1无效：应为 1 到 16。").arg(n));
    }
    if (isOpen() && n != m_portNumber) {
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "端口COM%1已打开：请先关闭端口再更换。")
                .arg(m_portNumber));
    }
    if (n != m_portNumber)
        m_lostReason.clear();
    m_portNumber = n;
}

void QtSerialControl::setSettings(const QString& text) {
    const LineSettings line = LineSettings::fromText(text);
    if (line.dataBits < 5) {
        throw OperationError(
            QCoreApplication::translate("QtSerialControl",
                                        "串口参数“%1”无效：本机串口不支持 %2 位数据位。")
                .arg(text)
                .arg(line.dataBits));
    }
    if (line.stopBits == LineSettings::StopBits::OneAndHalf) {
        throw OperationError(
            QCoreApplication::translate("QtSerialControl",
                                        "串口参数“%1”无效：本机串口不支持 1.5 位停止位。")
                .arg(text));
    }
    if (isOpen() && !applyLine(line)) {
        const QString reason = m_serial.errorString();
        applyLine(m_line);
        m_serial.clearError();
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "端口COM%1不接受串口参数“%2”：%3")
                .arg(m_portNumber)
                .arg(text, reason));
    }
    m_line = line;
    m_settingsText = text;
}

void QtSerialControl::setHandshaking(int code) {
    if (code < 0 || code > 3) {
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "握手方式%1无效：应为 0 到 3。")
                .arg(code));
    }
    if (isOpen() && !applyHandshaking(code)) {
        const QString reason = m_serial.errorString();
        applyHandshaking(m_handshaking);
        m_serial.clearError();
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "端口COM%1不接受握手方式%2：%3")
                .arg(m_portNumber)
                .arg(code)
                .arg(reason));
    }
    m_handshaking = code;
}

bool QtSerialControl::applyLine(const LineSettings& line) {
    ++m_quiet;
    const bool ok =
        m_serial.setBaudRate(line.baudRate) &&
        m_serial.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits)) &&
        m_serial.setParity(qtParity(line.parity)) &&
        m_serial.setStopBits(line.stopBits == LineSettings::StopBits::Two ? QSerialPort::TwoStop
                                                                          : QSerialPort::OneStop);
    --m_quiet;
    return ok;
}

bool QtSerialControl::applyHandshaking(int code) {
    ++m_quiet;
    const bool ok = m_serial.setFlowControl(qtFlowControl(code));
    --m_quiet;
    return ok;
}

void QtSerialControl::setOpen(bool open) {
    if (!open) {
        if (isOpen()) {
            m_serial.close();
        }
        m_serial.clearError();
        m_devicePath.clear();
        m_lostReason.clear();
        return;
    }
    if (isOpen()) {
        return;
    }
    const QString path = m_map.devicePath(m_portNumber);
    if (path.isEmpty()) {
        throw OperationError(QCoreApplication::translate(
                                 "QtSerialControl", "无法打开端口COM%1：没有与它对应的串口设备。")
                                 .arg(m_portNumber),
                             ErrorKind::LineLost);
    }
    m_serial.setPortName(path);
    // While closed these are only recorded; open() puts them on the device.
    applyLine(m_line);
    applyHandshaking(m_handshaking);
    ++m_quiet;
    const bool ok = m_serial.open(QIODevice::ReadWrite);
    --m_quiet;
    if (!ok) {
        const QString text = openFailureText(path);
        const ErrorKind kind = heldElsewhere(path) ? ErrorKind::PortBusy : ErrorKind::LineLost;
        m_serial.clearError();
        throw OperationError(text, kind);
    }
    m_devicePath = path;
    m_lostReason.clear();
}

// QSerialPort reports a device held by another program (its lock file) as a
// permission error too; only a device we may not open needs dialout.
bool QtSerialControl::heldElsewhere(const QString& path) const {
    if (m_serial.error() != QSerialPort::PermissionError)
        return false;
#ifdef Q_OS_UNIX
    return ::access(path.toLocal8Bit().constData(), R_OK | W_OK) == 0;
#else
    Q_UNUSED(path);
    return true;
#endif
}

QString QtSerialControl::openFailureText(const QString& path) const {
    QString text = QCoreApplication::translate("QtSerialControl", "无法打开端口COM%1（%2）：%3")
                       .arg(m_portNumber)
                       .arg(path, m_serial.errorString());
    if (m_serial.error() == QSerialPort::PermissionError) {
        if (heldElsewhere(path)) {
            text += QCoreApplication::translate("QtSerialControl", "\n该端口正被其他程序使用。");
        } else {
            text += QCoreApplication::translate(
                "QtSerialControl",
                "\n当前用户没有使用串口的权限：请把用户加入 dialout 组"
                "（sudo usermod -aG dialout 用户名），然后注销并重新登录。");
        }
    }
    return text;
}

void QtSerialControl::requireOpen() const {
    if (!isOpen()) {
        if (!m_lostReason.isEmpty())
            throw OperationError(m_lostReason, ErrorKind::LineLost);
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "端口COM%1未打开，无法收发数据。")
                .arg(m_portNumber),
            ErrorKind::LineLost);
    }
}

void QtSerialControl::write(const QByteArray& bytes) {
    requireOpen();
    ++m_quiet;
    const qint64 written = m_serial.write(bytes);
    // Hands the bytes to the driver now: the link may wait without running the
    // event loop, and bytesToWrite() must fall as the line takes them.
    m_serial.flush();
    --m_quiet;
    // A hang-up found by this write has already closed the port (onErrorOccurred):
    // the bytes went nowhere.
    if (!isOpen()) {
        throw OperationError(m_lostReason.isEmpty()
                                 ? QCoreApplication::translate("QtSerialControl",
                                                               "向端口COM%1写入失败：连接已断开。")
                                       .arg(m_portNumber)
                                 : m_lostReason,
                             ErrorKind::LineLost);
    }
    if (written != bytes.size() || m_serial.error() == QSerialPort::WriteError) {
        const QString reason = m_serial.errorString();
        m_serial.clearError();
        throw OperationError(
            QCoreApplication::translate("QtSerialControl", "向端口COM%1写入失败：%2")
                .arg(m_portNumber)
                .arg(reason),
            ErrorKind::LineLost);
    }
}

QByteArray QtSerialControl::readAll() {
    requireOpen();
    return m_serial.readAll();
}

int QtSerialControl::bytesAvailable() const {
    requireOpen();
    return static_cast<int>(std::min<qint64>(m_serial.bytesAvailable(), INT_MAX));
}

int QtSerialControl::osOutputQueue() const {
#if defined(Q_OS_UNIX) && defined(TIOCOUTQ)
    int queued = 0;
    if (isOpen() && ::ioctl(m_serial.handle(), TIOCOUTQ, &queued) == 0 && queued > 0) {
        return queued;
    }
#endif
    return 0;
}

int QtSerialControl::bytesToWrite() const {
    requireOpen();
    return static_cast<int>(std::min<qint64>(m_serial.bytesToWrite() + osOutputQueue(), INT_MAX));
}

bool QtSerialControl::waitForBytesWritten(int msecs) {
    requireOpen();
    QDeadlineTimer deadline(std::max(msecs, 0));
    // Each QSerialPort wait hands over one chunk.
    while (isOpen() && m_serial.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_serial.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 0)))) {
            break;
        }
    }
    // The driver's own queue drains at line speed: sleep about as long as the
    // queued characters need, never spin.
    while (isOpen() && !deadline.hasExpired()) {
        const int queued = osOutputQueue();
        if (queued == 0) {
            break;
        }
        const qint64 lineUs = qint64(queued) * 10 * 1'000'000 / std::max(m_line.baudRate, 1);
        const qint64 leftUs = deadline.remainingTimeNSecs() / 1000;
        QThread::usleep(static_cast<unsigned long>(
            std::clamp<qint64>(lineUs, 200, std::max<qint64>(leftUs, 200))));
    }
    return isOpen() && bytesToWrite() == 0;
}

bool QtSerialControl::waitForReadyRead(int msecs) {
    requireOpen();
    if (m_serial.bytesAvailable() > 0) {
        return true;
    }
    m_serial.waitForReadyRead(std::max(msecs, 0));
    return isOpen() && m_serial.bytesAvailable() > 0;
}

void QtSerialControl::onReadyRead() {
    if (onInputArrived) {
        onInputArrived();
    }
}

void QtSerialControl::onErrorOccurred(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError:
        case QSerialPort::UnsupportedOperationError:
            return;
        case QSerialPort::ReadError:
        case QSerialPort::ResourceError: {
            // After a hang-up QSerialPort repeats this error without end while the
            // port stays open: close at once and report once. Its error text is
            // stale by then (often an unrelated EAGAIN), so it is not shown.
            if (!isOpen()) {
                return;
            }
            const QString reason = hangUpText(m_portNumber);
            m_lostReason = reason;
            m_serial.close();
            m_serial.clearError();
            m_devicePath.clear();
            if (onClosedByError) {
                onClosedByError(reason);
            }
            return;
        }
        default:
            if (m_quiet == 0 && isOpen() && onLineEvent) {
                onLineEvent();
            }
            return;
    }
}

}  // namespace kv
