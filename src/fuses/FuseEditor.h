// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>

#include "fuses/FuseTypes.h"

namespace kv {

// The fuse tab's state: the option list of the selected model, 32 bit cells
// with their names, the four byte values with their frame captions, and the
// model's default bits. The cells are the one source of truth; options, bytes
// and captions are derived from them. The window reflects this state and
// forwards clicks; check states set here are never user changes.
class FuseEditor : public QObject {
    Q_OBJECT
public:
    using LogFn = std::function<void(const QString&)>;

    explicit FuseEditor(QObject* parent = nullptr);

    // Where messages about definition files go (the window's message log).
    void setLog(LogFn log) { m_log = std::move(log); }
    // Folders searched for definition files, first match wins.
    void setDefinitionFolders(const QStringList& folders) { m_folders = folders; }
    const QStringList& definitionFolders() const { return m_folders; }
    // "Set" beside the program, then the installed data folder.
    static QStringList defaultDefinitionFolders();

    // Rebuilds the option list, the bit names and defaultFuseBits from the
    // file fileName (model name + ".FUS"). Cells and check states are left
    // alone: callers apply a fuseBitString next. A missing or unusable file
    // leaves the list empty, keeps the previous names and defaults, and
    // leaves definitionsProblem() naming the file.
    void loadFuseDefinitions(const QString& fileName);
    // Replaces the definitions as a successful load does.
    void setDefinitions(const FuseDefinitions& definitions);
    // Empty while the names and defaults are those of the file last asked
    // for; otherwise why they are not, naming the file by its full path.
    // Nothing may be written to a chip from the cells then: they may be
    // another model's.
    const QString& definitionsProblem() const { return m_definitionsProblem; }

    void applyFuseBits(QString bits);
    void computeFuseBytes();
    void syncOptionsFromBits();
    // position counts from 1; acts on the option's current check state.
    void toggleOption(int position);
    void toggleBitCell(int cell);

    // The user changed option position's check box; checked is its new state.
    void setOptionChecked(int position, bool checked);
    // After the click on the list that changed a check box: an option whose
    // key marks it as one that stays set is checked again.
    void settlePendingOption();
    void restoreDefaultBits() { applyFuseBits(m_defaultBits); }

    // Concatenated captions of cells 31 down to 0.
    QString fuseBitString() const;
    const QString& defaultFuseBits() const { return m_defaultBits; }
    quint8 fuseLow() const { return m_bytes[0]; }
    quint8 fuseHigh() const { return m_bytes[1]; }
    quint8 fuseExtended() const { return m_bytes[2]; }
    quint8 lockByte() const { return m_bytes[3]; }
    // Byte b (0 low, 1 high, 2 extended, 3 lock) as two upper-case hex digits.
    QString byteText(int b) const;
    // True when cells first..last all show "1", "0" or "*".
    bool cellsClean(int first, int last) const;

    const FuseCell& cell(int i) const { return m_cells.at(i); }
    const FuseBitName& bitName(int i) const { return m_names.at(i); }
    // The four byte frames: "熔丝低字节[E1]", "熔丝高字节[D9]", "扩展熔丝位[FF]", "锁定位[FF]".
    const QString& frameCaption(int frame) const { return m_frameCaptions.at(frame); }
    const QVector<FuseOption>& options() const { return m_options; }
    int selectedOption() const { return m_selected; }  // 0: none
    int pendingOption() const { return m_pending; }    // 0: none
    // Off while the list is rebuilt; stays off when the file was missing.
    bool optionListDisplayed() const { return m_displayed; }
    void setOptionListDisplayed(bool on);

Q_SIGNALS:
    // Captions, colours, enabled flags of cells and names, bytes, frame captions.
    void cellsChanged();
    void checksChanged();
    // Option list rebuilt, bit names or defaultFuseBits replaced.
    void definitionsChanged();
    void selectedOptionChanged(int position);
    void optionListDisplayedChanged(bool on);

private:
    using Captions = std::array<QString, 32>;
    void applyCaptions(const Captions& captions);
    void syncGroups(const QString& kind, int width, int topCell);
    void log(const QString& message) const;
    void setDefinitionsProblem(const QString& problem);

    LogFn m_log;
    QStringList m_folders;
    std::array<FuseCell, 32> m_cells;
    std::array<FuseBitName, 32> m_names;
    std::array<QString, 4> m_frameCaptions;
    std::array<quint8, 4> m_bytes{};
    QString m_defaultBits;
    QVector<FuseOption> m_options;
    QString m_definitionsProblem =
        QCoreApplication::translate("FuseEditor", "尚未载入熔丝定义文件");
    int m_selected = 0;
    int m_pending = 0;
    bool m_displayed = true;
};

}  // namespace kv
