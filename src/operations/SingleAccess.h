// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

namespace kv {

class ModelState;
class ProgrammerLink;
class SingleAccessState;
class UserPrompts;

// The frame "读写数据": row 0 reads or writes one FLASH word ("RW"/"WW", word
// address), row 1 one EEPROM byte ("RB"/"WE", byte address). Addresses go out
// as four hex digits, data as typed (hex), left-padded with "0".
//
// Port errors propagate as OperationError. A bad address box or data box is
// refused with a warning box titled `title`; nothing is sent.
class SingleAccess {
public:
    SingleAccess(ProgrammerLink& link, ModelState& model, SingleAccessState& state,
                 UserPrompts& prompts, QString title);

    // "写": the address must be decimal and within the model's memory, the data
    // 1-4 (row 0) or 1-2 (row 1) hex digits. Waits up to 100 ms for "!"; only
    // its absence is logged (noReplyText).
    void singleWrite(int row);
    // Whether the last singleWrite was sent and confirmed with "!".
    bool lastWriteAcknowledged() const { return m_lastWriteAcknowledged; }
    // "读": the reply goes into dataText(row) as received; when nothing came
    // the box is emptied and noReplyText logged.
    void singleRead(int row);

    static QString dataFormatError() {
        return QCoreApplication::translate("SingleAccess", "数据框数据格式错误!");
    }
    static QString noReplyText() {
        return QCoreApplication::translate("SingleAccess", "编程器无反应!");
    }

private:
    std::optional<QString> address(int row);

    ProgrammerLink& m_link;
    ModelState& m_model;
    SingleAccessState& m_state;
    UserPrompts& m_prompts;
    QString m_title;
    bool m_lastWriteAcknowledged = false;
};

}  // namespace kv
