// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

namespace kv {

class Programmer;

// A signature reading as the programmer gave it: nothing (or the "1E" that
// readSignatureText puts in front of nothing), six hex digits, or anything
// else, which is the rest of another reply rather than a chip's signature.
enum class SignatureShape { Missing, Whole, Garbled };
SignatureShape signatureShape(const QString& reading);

// Reads signature bytes 1 and 2 and returns "1E" followed by the two replies
// exactly as received ("1E9307"; just "1E" from a silent programmer). Clears
// stale input first; `pause` lets the line settle after that. Throws
// OperationError when the port is closed.
QString readSignatureText(Programmer& programmer, bool pause);

// The group "读标识字" of the tab "其它": the signature label,
// the identified model label and the read button. The window binds to changed(); the
// button is enabled when isReadEnabled() and the device controls are.
class SignatureReader : public QObject {
    Q_OBJECT
public:
    explicit SignatureReader(Programmer& programmer, QObject* parent = nullptr);

    const QString& signatureText() const { return m_sigLabel; }
    const QString& identifiedModel() const { return m_currentModel; }
    bool isReadEnabled() const { return m_enabled; }

    // For the automatic model selection, which shows its own reading.
    void setSignatureText(const QString& text);
    void setIdentifiedModel(const QString& text);

    // Shows what is in the socket: on a known signature the labels change and
    // "读标识字:" + signature is logged, otherwise "无目标芯片或无连接!" is
    // logged and the labels stay. The selected model is not touched. ReadSIG
    // is disabled meanwhile, and enabled again also when OperationError
    // escapes; a call while it is disabled does nothing.
    void readSignature();

Q_SIGNALS:
    void changed();

private:
    Programmer& m_programmer;
    QString m_sigLabel = QStringLiteral("1E");
    QString m_currentModel = QStringLiteral("AT");
    bool m_enabled = true;
};

}  // namespace kv
