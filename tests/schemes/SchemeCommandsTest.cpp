#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "app/UserPrompts.h"
#include "link/OperationError.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"
#include "schemes/SchemeTarget.h"

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
    void reloadFlashFile(const QString& path) override { calls << "load flash " + path; }
    void reloadEepromFile(const QString& path) override { calls << "load eeprom " + path; }
    void setCalibrationChoice(std::optional<int> slot, std::optional<int> target) override {
        calls << QStringLiteral("choice %1 %2").arg(slot.value_or(-1)).arg(target.value_or(-1));
    }
    void setCalibrationAddresses(const QString& flash, const QString& eeprom) override {
        calls << "addresses " + flash + " " + eeprom;
    }
    void syncCalibrationSpinners() override { calls << "spinners"; }
};

class AnsweringPrompts : public UserPrompts {
public:
    std::optional<QString> answer;
    FileDialogRequest lastRequest;
    void warning(const QString&, const QString&) override {}
    std::optional<QString> openFile(const FileDialogRequest& r) override {
        lastRequest = r;
        return answer;
    }
    std::optional<QString> saveFile(const FileDialogRequest& r) override {
        lastRequest = r;
        return answer;
    }
};

Scheme reloadScheme() {
    Scheme s;
    s.model = QStringLiteral("atmega8");
    s.fuseBits = QStringLiteral("11111111111111111101100111100001");
    s.options = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0};
    s.flashPath = QStringLiteral("a.hex");
    s.eepromPath = QStringLiteral("b.eep");
    s.calibrationSlot = 1;
    s.calibrationTarget = 0;
    s.flashAddress = QStringLiteral("100");
    s.eepromAddress = QStringLiteral("0");
    return s;
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

TEST(SchemeCommands, SaveThenLoadThroughTheDialogs) {
    QTemporaryDir dir;
    AnsweringPrompts prompts;
    RecordingTarget target;

    prompts.answer.reset();
    EXPECT_FALSE(saveSchemeCommand(prompts, reloadScheme()));
    EXPECT_EQ(prompts.lastRequest.filter, QStringLiteral("方案文件(*.SET)|*.set"));
    EXPECT_FALSE(loadSchemeCommand(prompts, target));
    EXPECT_TRUE(target.calls.isEmpty());

    prompts.answer = dir.filePath(QStringLiteral("a.SET"));
    EXPECT_TRUE(saveSchemeCommand(prompts, reloadScheme()));
    EXPECT_TRUE(loadSchemeCommand(prompts, target));
    EXPECT_EQ(target.calls.size(), 9);
}

TEST(SchemeCommands, BrokenFileAppliesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.SET"));
    SchemeFile::save(path, reloadScheme());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    bytes.replace("\r\n1110010000\r\n", "\r\n1110O10000\r\n");  // letter O for a zero
    ASSERT_TRUE(bytes.contains("1110O10000"));
    f.resize(0);
    f.write(bytes);
    f.close();

    AnsweringPrompts prompts;
    prompts.answer = path;
    RecordingTarget target;
    EXPECT_THROW(loadSchemeCommand(prompts, target), OperationError);
    EXPECT_TRUE(target.calls.isEmpty());
}

}  // namespace
}  // namespace kv
