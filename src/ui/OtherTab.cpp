// SPDX-License-Identifier: MIT
#include "ui/OtherTab.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "ui/SpinnerBar.h"
#include "ui/Tones.h"
#include "ui/Twips.h"

namespace kv::ui {

namespace {

template <typename W>
W* make(QWidget* parent, const QString& name, const Twips& t, int l, int top, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(t.rect(l, top, w, h));
    return widget;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const Twips& t, int l,
              int top, int w, int h) {
    QLabel* l_ = make<QLabel>(parent, name, t, l, top, w, h);
    l_->setText(text);
    return l_;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, const Twips& t,
                    int l, int top, int w, int h) {
    QPushButton* b = make<QPushButton>(parent, name, t, l, top, w, h);
    b->setText(text);
    return b;
}

QScrollBar* spinner(QWidget* parent, const QString& name, const Twips& t, int l, int top) {
    QScrollBar* bar = make<SpinnerBar>(parent, name, t, l, top, 225, 300);
    bar->setRange(0, 0);
    return bar;
}

}  // namespace

OtherTab::OtherTab(const Twips& t, QWidget* parent) : QWidget(parent) {
    auto* sig = make<QGroupBox>(this, QStringLiteral("FrameSIG"), t, 60, 45, 3900, 1035);
    sig->setTitle(tr("读标识字"));
    readSig = button(sig, QStringLiteral("ReadSIG"), tr("读标识字"), t, 120, 285, 1050, 405);
    sigLabel =
        label(sig, QStringLiteral("SIG_LABEL"), QStringLiteral("1E"), t, 120, 735, 1050, 225);
    sigLabel->setAlignment(Qt::AlignCenter);
    label(sig, QStringLiteral("Label5"), tr("当前MCU 型号："), t, 1290, 315, 1380, 240);
    currentModel =
        label(sig, QStringLiteral("Crunt_MCUTYPE"), QStringLiteral("AT"), t, 2700, 315, 1140, 240);
    label(sig, QStringLiteral("Label6"), tr("您选择的型号："), t, 1290, 675, 1380, 240);
    selectedModel =
        label(sig, QStringLiteral("SEL_MCUTYPE"), QStringLiteral("AT"), t, 2700, 675, 1140, 240);
    // Set apart in the palette's accent, legible on light and dark desktops.
    for (QLabel* l : {currentModel, selectedModel})
        setRoleTone(l, QPalette::Link);

    auto* cal = make<QGroupBox>(this, QStringLiteral("FrameOA"), t, 60, 1140, 3900, 1830);
    cal->setTitle(tr("校准选项"));
    oaGroup = new QButtonGroup(this);
    const char16_t* const mhz[] = {u"1MHz", u"2MHz", u"4MHz", u"8MHz"};
    for (int i = 0; i < 4; ++i) {
        const int left = 120 + (i % 2) * 1350;
        const int top = 300 + (i / 2) * 345;
        selOa[i] =
            make<QRadioButton>(cal, QStringLiteral("Sel_OA_%1").arg(i), t, left, top, 270, 255);
        oaGroup->addButton(selOa[i], i);
        oaLabel[i] = label(cal, QStringLiteral("Label_OA_%1").arg(i), QString::fromUtf16(mhz[i]), t,
                           left + 270, top, 540, 255);
        oaValue[i] = label(cal, QStringLiteral("Label_OAnum_%1").arg(i), QStringLiteral("00"), t,
                           left + 810, top, 390, 255);
        oaValue[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        oaValue[i]->setAlignment(Qt::AlignCenter);
    }
    readOa = button(cal, QStringLiteral("ReadOA"), tr("读校准字节"), t, 2790, 255, 1050, 375);
    writeOa = button(cal, QStringLiteral("WriteOA_Command"), tr("写 入"), t, 2790, 690, 1050, 375);
    writeOa->setToolTip(tr("暂不可用"));
    writeOa->setEnabled(false);

    feGroup = new QButtonGroup(this);
    selFe[0] = make<QRadioButton>(cal, QStringLiteral("Sel_FE_0"), t, 1080, 1050, 1200, 255);
    selFe[0]->setText(QStringLiteral("Flash"));
    selFe[1] = make<QRadioButton>(cal, QStringLiteral("Sel_FE_1"), t, 2490, 1050, 1200, 255);
    selFe[1]->setText(QStringLiteral("Eeprom"));
    feGroup->addButton(selFe[0], 0);
    feGroup->addButton(selFe[1], 1);
    label(cal, QStringLiteral("Label7"), tr("写入地址"), t, 120, 1410, 930, 240);
    flashAddress = make<QLineEdit>(cal, QStringLiteral("Flash_Address"), t, 1080, 1380, 1080, 300);
    vScroll1 = spinner(cal, QStringLiteral("VScroll1"), t, 2160, 1380);
    eepromAddress =
        make<QLineEdit>(cal, QStringLiteral("Eeprom_Address"), t, 2490, 1380, 1080, 300);
    vScroll2 = spinner(cal, QStringLiteral("VScroll2"), t, 3570, 1380);

    auto* rw = make<QGroupBox>(this, QStringLiteral("FrameRW"), t, 60, 3030, 3900, 1935);
    rw->setTitle(tr("读写数据"));
    label(rw, QStringLiteral("LabelAddressDec"), tr("地址DEC"), t, 1305, 255, 915, 240);
    label(rw, QStringLiteral("LabelDataHex"), tr("数据HEX"), t, 2490, 255, 900, 240);
    const QString rows[] = {tr("FLASH(字)"), tr("EEPROM(字节)")};
    for (int r = 0; r < 2; ++r) {
        const int top = 540 + r * 405;
        label(rw, QStringLiteral("LabelRow_%1").arg(r), rows[r], t, 75, top + 30, 1215, 240);
        address[r] =
            make<QLineEdit>(rw, QStringLiteral("W_AddressText_%1").arg(r), t, 1305, top, 915, 300);
        vScroll3[r] = spinner(rw, QStringLiteral("VScroll3_%1").arg(r), t, 2220, top);
        data[r] =
            make<QLineEdit>(rw, QStringLiteral("W_DataText_%1").arg(r), t, 2490, top, 660, 300);
        data[r]->setText(QStringLiteral("0"));
        readData[r] = button(rw, QStringLiteral("R_DataCommand_%1").arg(r), tr("读"), t, 3180,
                             top - 15, 330, 330);
        writeData[r] = button(rw, QStringLiteral("W_DataCommand_%1").arg(r), tr("写"), t, 3510,
                              top - 15, 330, 330);
    }
    QLabel* note = label(rw, QStringLiteral("Label14"),
                         tr("注:只有原地址数据为FF时,才能正确写入数据。"), t, 120, 1380, 3690, 450);
    note->setWordWrap(true);
    setTone(note, QColor(0xC0, 0, 0));
    describe();
}

void OtherTab::describe() {
    // Screen readers hear what each control holds or does; the buttons'
    // names come with their commands.
    for (int i = 0; i < 4; ++i) {
        selOa[i]->setAccessibleName(tr("%1校准字节").arg(oaLabel[i]->text()));
        selOa[i]->setAccessibleDescription(tr("选择要写入的校准字节"));
    }
    for (QRadioButton* target : selFe)
        target->setAccessibleName(tr("%1（校准字节写到这里）").arg(target->text()));
    for (QRadioButton* b : selFe)
        b->setAccessibleDescription(tr("选择校准字节写入的存储器"));
    flashAddress->setAccessibleName(tr("FLASH中的校准字节地址"));
    eepromAddress->setAccessibleName(tr("EEPROM中的校准字节地址"));
    vScroll1->setAccessibleName(tr("FLASH中的校准字节地址增减"));
    vScroll2->setAccessibleName(tr("EEPROM中的校准字节地址增减"));
    address[0]->setAccessibleName(tr("FLASH字地址"));
    address[1]->setAccessibleName(tr("EEPROM字节地址"));
    vScroll3[0]->setAccessibleName(tr("FLASH字地址增减"));
    vScroll3[1]->setAccessibleName(tr("EEPROM字节地址增减"));
    data[0]->setAccessibleName(tr("FLASH字数据"));
    data[1]->setAccessibleName(tr("EEPROM字节数据"));
    for (QLineEdit* box : {flashAddress, eepromAddress, address[0], address[1]})
        box->setAccessibleDescription(tr("十进制地址"));
    for (QScrollBar* bar : {vScroll1, vScroll2, vScroll3[0], vScroll3[1]})
        bar->setAccessibleDescription(tr("增减地址"));
    for (QLineEdit* box : data)
        box->setAccessibleDescription(tr("十六进制数据"));
}

}  // namespace kv::ui
