// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include "core/Clock.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "settings/SettingsStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TestFiles.h"

namespace kv::test {

class CountingPump : public EventPump {
public:
    void yieldUntil(qint64) override { ++yields; }
    int yields = 0;
};

// Both image slots with their loaders, a log, prompts and settings in a
// temporary folder that also takes the test's files.
struct ImageRig {
    ImageRig()
        : settings(QStringLiteral("KELVARO 测试"), dir.filePath(QStringLiteral("settings"))),
          files(flash, eeprom, pump, [this](const QString& m) { log << m; }) {}

    // A load as the window runs it: a failure shown in a box.
    kv::LoadOutcome load(MemoryKind memory, const QString& path) {
        const kv::LoadOutcome outcome = files.load(memory, path);
        if (outcome.status == LoadStatus::Failed)
            prompts.warning(settings.applicationName(), outcome.problem);
        return outcome;
    }

    // A file of the given content in the rig's folder.
    QString write(const QString& name, const QByteArray& content) {
        return writeFile(dir.filePath(name), content);
    }

    QTemporaryDir dir;
    ImageSlot flash{MemoryKind::Flash};
    ImageSlot eeprom{MemoryKind::Eeprom};
    CountingPump pump;
    QStringList log;
    FakePrompts prompts;
    SettingsStore settings;
    ImageFiles files;
};

// One Intel HEX line: the given record bytes (count, address, type, data)
// followed by their checksum.
inline QByteArray hexLine(const QByteArray& body) {
    int sum = 0;
    for (const char c : body)
        sum += quint8(c);
    const QByteArray line = body + char(-sum);
    return QByteArray(":") + line.toHex().toUpper() + "\r\n";
}

inline QByteArray hexRecord(int address, int type, const QByteArray& data) {
    QByteArray body;
    body.append(char(data.size()));
    body.append(char(address >> 8));
    body.append(char(address));
    body.append(char(type));
    return hexLine(body + data);
}

inline QByteArray hexEnd() {
    return ":00000001FF\r\n";
}

}  // namespace kv::test
