// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <array>

namespace kv {

// The data boxes dataText(0) (FLASH word, 4 hex digits) and dataText(1)
// (EEPROM byte, 2 hex digits) of the frame "读写数据", initially "0". The
// address boxes are the model state's singleAccessAddress(row).
class SingleAccessState : public QObject {
    Q_OBJECT
public:
    explicit SingleAccessState(QObject* parent = nullptr) : QObject(parent) {
        m_data.fill(QStringLiteral("0"));
    }

    const QString& dataText(int row) const { return m_data.at(row == 0 ? 0 : 1); }
    void setDataText(int row, const QString& text) {
        QString& current = m_data.at(row == 0 ? 0 : 1);
        if (current != text) {
            current = text;
            Q_EMIT changed();
        }
    }

Q_SIGNALS:
    void changed();

private:
    std::array<QString, 2> m_data;
};

}  // namespace kv
