// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kv::ui {

class Twips;

// The "其它" tab: signature read, calibration bytes and single-byte access.
// Only builds the controls; the window binds them.
class OtherTab : public QWidget {
    Q_OBJECT
public:
    explicit OtherTab(const Twips& twips, QWidget* parent = nullptr);

    // group "读标识字"
    QPushButton* readSig;
    QLabel* currentModel;   // Crunt_MCUTYPE
    QLabel* selectedModel;  // SEL_MCUTYPE
    QLabel* sigLabel;       // SIG_LABEL

    // group "校准选项"
    std::array<QLabel*, 4> oaLabel;      // Label_OA
    std::array<QLabel*, 4> oaValue;      // Label_OAnum
    std::array<QRadioButton*, 4> selOa;  // Sel_OA
    QButtonGroup* oaGroup;
    QPushButton* readOa;
    std::array<QRadioButton*, 2> selFe;  // Sel_FE
    QButtonGroup* feGroup;
    QPushButton* writeOa;  // WriteOA_Command
    QLineEdit* flashAddress;
    QScrollBar* vScroll1;
    QLineEdit* eepromAddress;
    QScrollBar* vScroll2;

    // group "读写数据", rows 0 (FLASH word) and 1 (EEPROM byte)
    std::array<QPushButton*, 2> readData;   // R_DataCommand
    std::array<QPushButton*, 2> writeData;  // W_DataCommand
    std::array<QLineEdit*, 2> address;      // W_AddressText
    std::array<QLineEdit*, 2> data;         // W_DataText
    std::array<QScrollBar*, 2> vScroll3;

private:
    void describe();
};

}  // namespace kv::ui
