// SPDX-License-Identifier: MIT
#include "ui/ProgramOptionsBox.h"

#include <QCheckBox>
#include <QPushButton>

#include "ui/Twips.h"

namespace kv::ui {

namespace {

const char* const kCaptions[10] = {QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "擦除芯片"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "编程FLASH"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "编程EEPROM"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "编程熔丝位"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "编程锁定位"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "文件重载"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "校验标识字"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "写校准字节"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "校验FLASH"),
                                   QT_TRANSLATE_NOOP("kv::ui::ProgramOptionsBox", "校验EEPROM")};
// Left column from the top, then the right column.
const int kLeft[] = {6, 0, 1, 2, 8, 9};
const int kRight[] = {3, 4, 7, 5};

// Greyed (2) is set only by the program; a click turns a box on, or off when it
// was on.
class OptionBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

}  // namespace

QString ProgramOptionsBox::caption(int index) {
    return tr(kCaptions[index]);
}

ProgramOptionsBox::ProgramOptionsBox(const Twips& t, QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("FramePRO"));
    setTitle(tr("编程选项"));
    const int rowTwips = 270, firstRow = 240;
    auto place = [&](const int* order, int count, int left) {
        for (int row = 0; row < count; ++row) {
            const int index = order[row];
            auto* box = new OptionBox(caption(index), this);
            box->setObjectName(QStringLiteral("CheckPRO_%1").arg(index));
            box->setTristate(true);
            box->setGeometry(t.rect(left, firstRow + row * rowTwips, 1470, 255));
            // Unlike the toolbar's buttons of the same caption, these only choose.
            box->setAccessibleName(tr("%1（编程选项）").arg(caption(index)));
            box->setAccessibleDescription(tr("勾选后，“编 程”执行这一步"));
            connect(box, &QCheckBox::stateChanged, this, [this, index] {
                if (!m_programmatic)
                    Q_EMIT valueChangedByUser(index, value(index));
            });
            m_options[index] = box;
        }
    };
    place(kLeft, 6, 105);
    place(kRight, 4, 1635);
    setValue(0, 1);

    m_program = new QPushButton(tr("编 程"), this);
    m_program->setObjectName(QStringLiteral("ProCommand"));
    m_program->setGeometry(t.rect(3135 - 1155 - 90, 1935 - 555 - 45, 1155, 555));
}

int ProgramOptionsBox::value(int index) const {
    switch (m_options[index]->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

void ProgramOptionsBox::setValue(int index, int value) {
    m_programmatic = true;
    m_options[index]->setCheckState(value == 1   ? Qt::Checked
                                    : value == 2 ? Qt::PartiallyChecked
                                                 : Qt::Unchecked);
    m_programmatic = false;
}

}  // namespace kv::ui
