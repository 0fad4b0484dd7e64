// SPDX-License-Identifier: MIT
#include "catalogue/SignatureReader.h"

#include "core/HexDigits.h"

#include <QCoreApplication>

#include "catalogue/ChipModelTable.h"
#include "programmer/Programmer.h"

namespace kv {

QString readSignatureText(Programmer& programmer, bool pause) {
    return programmer.identify(pause ? SignatureRead::AfterVendorSettled
                                     : SignatureRead::AfterVendor);
}

SignatureShape signatureShape(const QString& reading) {
    if (reading.isEmpty() || reading == u"1E")
        return SignatureShape::Missing;
    if (reading.size() == 6 && isHexText(reading))
        return SignatureShape::Whole;
    return SignatureShape::Garbled;
}

SignatureReader::SignatureReader(Programmer& programmer, QObject* parent)
    : QObject(parent), m_programmer(programmer) {}

void SignatureReader::setSignatureText(const QString& text) {
    if (text != m_sigLabel) {
        m_sigLabel = text;
        Q_EMIT changed();
    }
}

void SignatureReader::setIdentifiedModel(const QString& text) {
    if (text != m_currentModel) {
        m_currentModel = text;
        Q_EMIT changed();
    }
}

void SignatureReader::readSignature() {
    if (!m_enabled) {
        return;
    }
    struct Disabled {
        SignatureReader& reader;
        explicit Disabled(SignatureReader& r) : reader(r) {
            reader.m_enabled = false;
            Q_EMIT reader.changed();
        }
        ~Disabled() {
            reader.m_enabled = true;
            Q_EMIT reader.changed();
        }
    } disabled(*this);

    const QString signature = readSignatureText(m_programmer, false);
    const QString name = modelFromSignature(signature);
    if (name.isEmpty()) {
        m_programmer.note(QCoreApplication::translate("SignatureReader", "无目标芯片或无连接!"));
        return;
    }
    m_currentModel = name;
    m_sigLabel = signature;
    Q_EMIT changed();
    m_programmer.note(QCoreApplication::translate("SignatureReader", "读标识字:%1").arg(signature));
}

}  // namespace kv
