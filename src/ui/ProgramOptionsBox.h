// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <array>

class QCheckBox;
class QPushButton;

namespace kv::ui {

class Twips;

// The group "编程选项": the ten option boxes CheckPRO(0)-(9), each 0 (off),
// 1 (on) or 2 (greyed), and the button ProCommand "编 程".
class ProgramOptionsBox : public QGroupBox {
    Q_OBJECT
public:
    ProgramOptionsBox(const Twips& twips, QWidget* parent = nullptr);

    static QString caption(int index);
    QCheckBox* option(int index) const { return m_options[index]; }
    QPushButton* programButton() const { return m_program; }

    int value(int index) const;
    void setValue(int index, int value);

Q_SIGNALS:
    void valueChangedByUser(int index, int value);

private:
    std::array<QCheckBox*, 10> m_options{};
    QPushButton* m_program;
    bool m_programmatic = false;
};

}  // namespace kv::ui
