// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace kv {

// A colour as the window should paint it.
struct Rgb {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// One entry of the option list. Position = index + 1.
struct FuseOption {
    QString key;   // OptionKey text, 14 characters
    QString text;  // label as shown (the red-marking "*" removed)
    bool checked = false;
    bool marked = false;  // shown in kMarkedColour
    bool shaded = false;  // background kShadeColour (positions 1, 3, 5, ...)

    static constexpr Rgb kMarkedColour{205, 0, 0};
    static constexpr Rgb kShadeColour{205, 218, 204};
};

// One bit cell of the editor. Cell i is bit (i mod 8) of byte (i div 8):
// 0 fuse low, 1 fuse high, 2 extended fuse, 3 lock.
struct FuseCell {
    QString caption;      // "1", "0", "*" (or whatever a bad source put there)
    Rgb colour;           // black for "1", kProgrammedColour otherwise
    bool enabled = true;  // false for "*": not clickable
    bool bold = true;

    static constexpr Rgb kUnprogrammedColour{0, 0, 0};
    static constexpr Rgb kProgrammedColour{240, 0, 0};
};

// The name label beside a cell; disabled together with a "*" cell.
struct FuseBitName {
    QString caption;
    bool enabled = true;
};

// What a definition file gives: the model's default fuseBitString, the 32 bit
// names (names[i] belongs to cell i) and the option list.
struct FuseDefinitions {
    QString defaultBits;
    QStringList names;
    QVector<FuseOption> options;
};

}  // namespace kv
