// SPDX-License-Identifier: MIT
#include "catalogue/AddressSpinner.h"

#include <QtGlobal>

#include "core/LeadingNumber.h"

namespace kv {

namespace {
constexpr int kSpinnerLowest = -32768;
}

AddressSpinner::AddressSpinner(QObject* parent) : QObject(parent) {}

qint64 AddressSpinner::number() const {
    return leadingNumber(m_text);
}

void AddressSpinner::setValue(int value) {
    value = qBound(m_minimum, value, maximum());
    if (value == m_value) {
        return;
    }
    m_value = value;
    m_text = QString::number(-value);
    Q_EMIT changed();
}

void AddressSpinner::setText(const QString& text) {
    const QString oldText = m_text;
    const int oldValue = m_value;
    m_text = text;
    qint64 address = leadingNumber(text);
    if (address > largestAddress()) {
        address = largestAddress();
        m_text = QString::number(address);
    }
    const int target = address < 0 ? 0 : static_cast<int>(-address);
    if (target != m_value) {
        m_value = target;
        m_text = QString::number(-target);
    }
    if (m_text != oldText || m_value != oldValue) {
        Q_EMIT changed();
    }
}

void AddressSpinner::setMinimum(int minimum) {
    minimum = qBound(kSpinnerLowest, minimum, maximum());
    if (minimum == m_minimum) {
        return;
    }
    m_minimum = minimum;
    m_value = qMax(m_value, m_minimum);
    Q_EMIT changed();
}

}  // namespace kv
