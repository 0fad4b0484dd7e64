// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

class FuseEditor;
class Programmer;
struct FuseBytes;

// The window's fuse, lock and erase commands on the programmer, from and into
// the fuse editor, and the two toolbar steps that act on the editor's
// defaults. Each reports only through the programmer's events (the log); a
// port failure throws OperationError to the caller (the toolbar dispatch).
// `model` is the selected model's name.
class FuseCommands : public QObject {
    Q_OBJECT
public:
    FuseCommands(Programmer& programmer, FuseEditor& editor, QObject* parent = nullptr);

    // Whether the model's extended fuse byte travels in "WS"/"SS" (its row in
    // the model table says so); the others, and unknown names, send "..".
    static bool hasExtendedFuseByte(const QString& model);
    // EE + HH + LL, or ".." + HH + LL, from the editor's bytes.
    static QString fuseField(const FuseEditor& editor, const QString& model);
    // The editor's fuse bytes as a write carries them for the model.
    static FuseBytes fuseBytes(const FuseEditor& editor, const QString& model);
    // Why the cells cannot be written as fuse or lock bytes (the log's
    // refusal); empty when they can.
    QString fuseCellsRefusal(const QString& model) const;
    QString lockCellsRefusal() const;

    // "RS#": decodes the reply into the cells ("*" from the defaults). Returns
    // the reply: lock, extended, high and low byte as eight upper-case hex
    // digits; empty when the programmer is silent or the reply is invalid.
    QString readFuses(const QString& model);
    // "RS#" without touching the cells: the whole reading as readFuses returns it.
    QString readFuseBytes();
    // "RS#" without touching the cells: the read fuseField; empty when the
    // programmer is silent or its reply is not 8 hex digits (logged).
    QString readBackFuses(const QString& model);
    // The fuseField part of an eight-digit reading.
    static QString fuseFieldOf(const QString& reading, const QString& model);
    // The write commands return the programmer's reply ("" when it was
    // silent), or nullopt when the cells were refused and nothing was sent.
    std::optional<QString> writeFuses(const QString& model);
    // What a recovery found in its read-back.
    struct Recovery {
        bool confirmed = false;  // the chip holds the bytes sent
        QString reading;         // as readFuses returns it; empty when none came
    };
    // "SS" with the editor's bytes, then a read-back compared with them.
    Recovery recoverFuses(const QString& model);
    std::optional<QString> writeLockBits();
    QString eraseChip();

    const FuseEditor& editor() const { return m_editor; }

    // Toolbar key "SetFuseDefault": the model's defaults into the editor.
    void applyFuseDefaults();
    // Toolbar key "RecoverFuse": the defaults into the editor, then recoverFuses.
    Recovery recoverDefaultFuses(const QString& model);

    // Throws OperationError while the editor does not hold the selected
    // model's definitions: the text names the file, then `refused` says what
    // was not done. Every command that writes to the chip from the cells, or
    // puts the defaults into them, checks this first; reads need not.
    void requireDefinitions(const QString& refused) const;

    // Own enabled flags of the toolbar buttons "ReadFuse" and "WriteFuse",
    // false while their command runs. The window shows a button enabled only
    // when this flag and the port state both allow it.
    bool readFuseEnabled() const { return m_readFuseEnabled; }
    bool writeFuseEnabled() const { return m_writeFuseEnabled; }

Q_SIGNALS:
    void buttonsChanged();

private:
    // One reading: its eight hex digits, or empty when none came (logged) or
    // they were not hex digits (invalidText, %1 the reply).
    QString requestFuseReading(const char* invalidText);
    void setReadFuseEnabled(bool on);
    void setWriteFuseEnabled(bool on);
    // Cells first..last must all be "1", "0" or "*" before their bytes are sent.
    bool checkCells(const QString& refusal);

    Programmer& m_programmer;
    FuseEditor& m_editor;
    bool m_readFuseEnabled = true;
    bool m_writeFuseEnabled = true;
};

}  // namespace kv
