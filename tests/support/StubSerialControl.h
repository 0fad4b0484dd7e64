// SPDX-License-Identifier: MIT
#pragma once

#include "link/SerialControl.h"

namespace kv::test {

// An open port on COM1 with nothing on the line: writes go nowhere, nothing
// arrives. Tests override what their scenario needs.
class StubSerialControl : public SerialControl {
public:
    int portNumber() const override { return 1; }
    void setPortNumber(int) override {}
    QString settings() const override { return QStringLiteral("115200,n,8,1"); }
    void setSettings(const QString&) override {}
    int handshaking() const override { return 0; }
    void setHandshaking(int) override {}
    bool isOpen() const override { return true; }
    void setOpen(bool) override {}
    void write(const QByteArray&) override {}
    QByteArray readAll() override { return {}; }
    int bytesAvailable() const override { return 0; }
    int bytesToWrite() const override { return 0; }
    bool waitForBytesWritten(int) override { return true; }
    bool waitForReadyRead(int) override { return false; }
};

}  // namespace kv::test
