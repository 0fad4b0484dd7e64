// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFileInfo>

#include <QStringList>
#include <QTemporaryDir>

#include "core/OperationError.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"
#include "schemes/SchemeTarget.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TestFiles.h"

namespace kv {
namespace {

// Records every call as one line so the order can be compared whole.
class RecordingTarget : public SchemeTarget {
public:
    QStringList calls;
    void selectModel(const QString& name) override { calls << "model " + name; }
    void applyFuseBits(const QString& bits) override { calls << "fuses " + bits; }
    void setProgramOptions(const std::array<int, Scheme::kOptionCount>& values) override {
        QString digits;
        for (int v : values) {
            digits += QString::number(v);
        }
        calls << "options " + digits;
    }
    void setImagePaths(const QString& flash, const QString& eeprom) override {
        calls << "paths " + flash + "|" + eeprom;
    }
    void reloadFile(MemoryKind memory, const QString& path) override {
        calls << (memory == MemoryKind::Flash ? "load flash " : "load eeprom ") + path;
    }
    void setCalibrationChoice(std::optional<int> slot, std::optional<int> target) override {
        calls << QStringLiteral("choice %1 %2").arg(slot.value_or(-1)).arg(target.value_or(-1));
    }
    void setCalibrationAddresses(const QString& flash, const QString& eeprom) override {
        calls << "addresses " + flash + " " + eeprom;
    }
    void syncCalibrationSpinners() override { calls << "spinners"; }
};

Scheme reloadScheme() {
    return {.model = QStringLiteral("atmega8"),
            .fuseBits = QStringLiteral("11111111111111111101100111100001"),
            .options = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0},
            .flashPath = QStringLiteral("a.hex"),
            .eepromPath = QStringLiteral("b.eep"),
            .calibrationSlot = 1,
            .calibrationTarget = 0,
            .flashAddress = QStringLiteral("100"),
            .eepromAddress = QStringLiteral("0")};
}

TEST(SchemeCommands, AppliesInLoadOrderWithReload) {
    RecordingTarget target;
    applyScheme(reloadScheme(), target);
    EXPECT_EQ(target.calls,
              QStringList({"model atmega8", "fuses 11111111111111111101100111100001",
                           "options 1110010000", "paths a.hex|b.eep", "load flash a.hex",
                           "load eeprom b.eep", "choice 1 0", "addresses 100 0", "spinners"}));
}

TEST(SchemeCommands, PathsAreOnlyShownWithoutReloadOrWhenEmpty) {
    Scheme s = reloadScheme();
    s.options[5] = 2;  // greyed is not on
    RecordingTarget target;
    applyScheme(s, target);
    EXPECT_FALSE(target.calls.join('\n').contains("load"));

    s.options[5] = 1;
    s.flashPath.clear();
    target.calls.clear();
    applyScheme(s, target);
    EXPECT_FALSE(target.calls.join('\n').contains("load flash"));
    EXPECT_TRUE(target.calls.contains("load eeprom b.eep"));
}

// A program that starts from the scheme alone is told when the scheme's
// images would never load: only a write or verify without "文件重载" on.
TEST(SchemeCommands, HintForImagesTheSchemeNeverLoads) {
    struct Row {
        std::array<int, Scheme::kOptionCount> options;
        const char* names;  // the memories the hint names; null: no hint
    };
    const Row rows[] = {
        {{1, 1, 1, 0, 0, 1, 0, 0, 1, 1}, nullptr},   // reloaded
        {{1, 1, 0, 0, 0, 0, 0, 0, 0, 0}, "FLASH"},   // written
        {{0, 0, 0, 0, 0, 2, 0, 0, 0, 1}, "EEPROM"},  // verified; greyed is not on
        {{1, 0, 1, 1, 1, 0, 0, 0, 1, 0}, "FLASH/EEPROM"},
        {{1, 0, 0, 1, 1, 0, 1, 1, 0, 0}, nullptr},  // no image used
    };
    for (const Row& r : rows) {
        Scheme s = reloadScheme();
        s.options = r.options;
        const std::optional<QString> hint = unloadedFilesHint(s);
        EXPECT_EQ(hint.has_value(), r.names != nullptr) << (r.names ? r.names : "none");
        if (hint && r.names)
            EXPECT_TRUE(hint->contains(QString::fromUtf8(r.names) + QStringLiteral("文件")))
                << hint->toStdString();
    }
}

TEST(SchemeCommands, SaveThenLoadThroughTheDialogs) {
    QTemporaryDir dir;
    test::FakePrompts prompts;  // no answer: both dialogs cancelled
    RecordingTarget target;

    EXPECT_FALSE(saveSchemeCommand(prompts, reloadScheme()));
    EXPECT_EQ(prompts.saveRequests.last().filter, QStringLiteral("方案文件(*.SET)|*.set"));
    EXPECT_FALSE(loadSchemeCommand(prompts, target));
    EXPECT_TRUE(target.calls.isEmpty());

    prompts.answers = {dir.filePath(QStringLiteral("a.SET")),
                       dir.filePath(QStringLiteral("a.SET"))};
    EXPECT_TRUE(saveSchemeCommand(prompts, reloadScheme()));
    EXPECT_TRUE(loadSchemeCommand(prompts, target));
    EXPECT_EQ(target.calls.size(), 9);

    // A name typed without an extension gets ".SET", which the open filter shows.
    prompts.answers = {dir.filePath(QStringLiteral("line3"))};
    QString saved;
    EXPECT_TRUE(saveSchemeCommand(prompts, reloadScheme(), &saved));
    EXPECT_EQ(saved, dir.filePath(QStringLiteral("line3.SET")));
    EXPECT_TRUE(QFileInfo::exists(saved));
}

TEST(SchemeCommands, BrokenFileAppliesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.SET"));
    SchemeFile::save(path, reloadScheme());
    QByteArray bytes = test::readFile(path);
    bytes.replace("\r\n1110010000\r\n", "\r\n1110O10000\r\n");  // letter O for a zero
    ASSERT_TRUE(bytes.contains("1110O10000"));
    test::writeFile(path, bytes);

    test::FakePrompts prompts;
    prompts.answers << path;
    RecordingTarget target;
    EXPECT_THROW(loadSchemeCommand(prompts, target), OperationError);
    EXPECT_TRUE(target.calls.isEmpty());
}

}  // namespace
}  // namespace kv
