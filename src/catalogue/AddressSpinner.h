// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

namespace kv {

// An address text box with its spinner (flashCalibrationAddress,
// eepromCalibrationAddress and the two singleAccessAddress boxes). The spinner counts
// downwards: its value is minus the address, its range is [minimum, 0], so the
// up arrow raises the address and the spinner stops at the largest address
// (-minimum) and at address 0. Values are 16-bit.
//
// The window shows text() in the box and value()/minimum()/maximum() on its
// scroll bar, forwards user edits to setText() and spinner moves to setValue(),
// and refreshes both on changed().
class AddressSpinner : public QObject {
    Q_OBJECT
public:
    explicit AddressSpinner(QObject* parent = nullptr);

    const QString& text() const { return m_text; }
    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    static constexpr int maximum() { return 0; }
    int largestAddress() const { return -m_minimum; }
    // The address the box stands for by the leading-number rule. Commands that
    // need a clean number check the text's digits themselves.
    qint64 number() const;

    // Spinner moved: the value is kept in range; when it changed, the box shows
    // the address it stands for.
    void setValue(int value);
    // Box edited: a number above the largest address is replaced by the largest
    // address; then the spinner follows the number (a negative number counts
    // as address 0), and when the spinner moved the box shows the clean number.
    // Text the spinner already agrees with stays as typed (e.g. "81a1").
    void setText(const QString& text);
    // Lower end of the spinner, limited to the 16-bit range and to at most 0.
    // A value below it is pulled up silently; the text is left alone.
    void setMinimum(int minimum);

Q_SIGNALS:
    void changed();

private:
    QString m_text;
    int m_value = 0;
    int m_minimum = 0;
};

}  // namespace kv
