// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include "settings/SettingsStore.h"
#include "tests/support/TestFiles.h"

namespace {

using kv::SettingsStore;

const QString kIdeo4 = QString(4, QChar(0x3000));
const QString kApp = QStringLiteral("高压编程器V2.0.0") + kIdeo4;

// Writes only the first half of the content, then fails or dies.
class InterruptedStore : public SettingsStore {
public:
    InterruptedStore(const QString& app, const QString& folder, bool die)
        : SettingsStore(app, folder), m_die(die) {}

protected:
    bool writeContent(QIODevice& file, const QByteArray& content) override {
        file.write(content.left(content.size() / 2));
        if (m_die) {
            _exit(3);
        }
        return false;
    }

private:
    bool m_die;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, AwkwardTextsRoundTripExactly) {
    SettingsStore store(kApp, dir.path());
    const QStringList values = {
        QStringLiteral(" 3"),
        QStringLiteral("115200,n,8,1"),
        QStringLiteral("a=b;c#d [x] = ;comment"),
        QStringLiteral("line1\r\nline2\nline3\r"),
        QStringLiteral("　前后全角空格　"),
        QStringLiteral("\\path\\with\"quotes\"\t"),
        QString(QChar(0xD800)),  // lone surrogate
        QStringLiteral("1*0*1"),
    };
    for (int i = 0; i < values.size(); ++i) {
        const QString section = QStringLiteral("校准　[节]=") + QString::number(i);
        const QString key = QStringLiteral(" 键;#=") + QString::number(i);
        ASSERT_TRUE(store.write(section, key, values.at(i)));
    }
    // A second store object sees the same values from the disk.
    SettingsStore reopened(kApp, dir.path());
    for (int i = 0; i < values.size(); ++i) {
        const QString section = QStringLiteral("校准　[节]=") + QString::number(i);
        const QString key = QStringLiteral(" 键;#=") + QString::number(i);
        EXPECT_EQ(reopened.read(section, key), values.at(i)) << i;
    }
}

TEST_F(SettingsStoreTest, WriteReplacesAndMissingReadsEmpty) {
    SettingsStore store(kApp, dir.path());
    EXPECT_TRUE(store.read(QStringLiteral("芯片"), QStringLiteral("型号")).isEmpty());
    ASSERT_TRUE(store.write(QStringLiteral("芯片"), QStringLiteral("型号"), "ATMEGA16"));
    ASSERT_TRUE(store.write(QStringLiteral("芯片"), QStringLiteral("型号"), "ATMEGA8"));
    ASSERT_TRUE(store.write(QStringLiteral("属性"), QStringLiteral("握手"), "0"));
    EXPECT_EQ(store.read(QStringLiteral("芯片"), QStringLiteral("型号")), "ATMEGA8");
    EXPECT_EQ(store.read(QStringLiteral("属性"), QStringLiteral("握手")), "0");
    EXPECT_TRUE(store.read(QStringLiteral("芯片"), QStringLiteral("设置")).isEmpty());
    EXPECT_TRUE(store.read(QStringLiteral("熔丝"), QStringLiteral("型号")).isEmpty());
    // Keys of other sections are not confused with equal keys elsewhere.
    EXPECT_TRUE(store.read(QStringLiteral("属性"), QStringLiteral("型号")).isEmpty());
}

TEST_F(SettingsStoreTest, ApplicationNamesAreIsolated) {
    // Titles that differ only in the version or in a trailing ideographic space.
    SettingsStore current(kApp, dir.path());
    SettingsStore older(QStringLiteral("高压编程器V1.9.0") + kIdeo4, dir.path());
    SettingsStore shorter(QStringLiteral("高压编程器V2.0.0") + QString(3, QChar(0x3000)),
                          dir.path());
    ASSERT_TRUE(current.write(QStringLiteral("芯片"), QStringLiteral("型号"), "ATMEGA32"));
    ASSERT_TRUE(older.write(QStringLiteral("芯片"), QStringLiteral("型号"), "ATTINY26"));
    EXPECT_EQ(current.read(QStringLiteral("芯片"), QStringLiteral("型号")), "ATMEGA32");
    EXPECT_EQ(older.read(QStringLiteral("芯片"), QStringLiteral("型号")), "ATTINY26");
    EXPECT_TRUE(shorter.read(QStringLiteral("芯片"), QStringLiteral("型号")).isEmpty());
}

TEST_F(SettingsStoreTest, FileNamesArePortableAndDistinct) {
    const QStringList names = {kApp,
                               QStringLiteral("../../etc/passwd"),
                               QStringLiteral("."),
                               QStringLiteral("a/b\\c:d*e?f\"g<h>i|j"),
                               QString(300, QChar(0x3000)),
                               QString(300, QChar(0x3000)) + QLatin1Char('x'),
                               QStringLiteral("Ab~1"),
                               QStringLiteral("Ab%7E1")};
    QSet<QString> seen;
    for (const QString& name : names) {
        const QString file = SettingsStore::fileNameFor(name);
        EXPECT_FALSE(file.startsWith(QLatin1Char('.'))) << file.toStdString();
        EXPECT_LE(file.size(), 200) << file.toStdString();
        for (QChar c : file) {
            EXPECT_TRUE((c.isLetterOrNumber() && c.unicode() < 128) ||
                        QStringLiteral("%-_.~").contains(c))
                << file.toStdString();
        }
        seen.insert(file);
        SettingsStore store(name, dir.path());
        ASSERT_TRUE(store.write("s", "k", name));
        EXPECT_EQ(SettingsStore(name, dir.path()).read("s", "k"), name);
    }
    EXPECT_EQ(seen.size(), names.size());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), names.size());
}

TEST_F(SettingsStoreTest, FailedWriteLeavesPreviousFileUntouched) {
    SettingsStore store(kApp, dir.path());
    ASSERT_TRUE(store.write(QStringLiteral("校准"), QStringLiteral("FLASH"), "8191"));
    const QByteArray before = kv::test::readFile(store.filePath());

    InterruptedStore failing(kApp, dir.path(), false);
    EXPECT_FALSE(failing.write(QStringLiteral("校准"), QStringLiteral("FLASH"), "4095"));
    EXPECT_EQ(kv::test::readFile(store.filePath()), before);
    EXPECT_EQ(store.read(QStringLiteral("校准"), QStringLiteral("FLASH")), "8191");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Ways a write is refused that hold even for root, who ignores a read-only
// folder's mode: the folder cannot be made (its parent is a regular file), a
// folder stands where the file belongs, the content does not fit (disk full).
// A read-only folder joins them when the tests do not run as root.
TEST_F(SettingsStoreTest, RefusedWriteIsReportedOnceNamingFileAndReason) {
    struct Case {
        const char* name;
        QString folder;
        std::function<void(const QString& file)> block;
        bool interrupted = false;
    };
    const QString plain = kv::test::writeFile(dir.filePath("plain"), "x");
    QList<Case> cases = {
        {"parent is a file", plain + "/kelvaro", [](const QString&) {}},
        {"folder at the file's place", dir.filePath("a"),
         [](const QString& file) { ASSERT_TRUE(QDir().mkpath(file)); }},
        {"content cut short", dir.filePath("b"), [](const QString&) {}, true},
    };
    const QString readOnly = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    if (!QFile(readOnly + "/probe").open(QIODevice::WriteOnly)) {
        cases.append({"read-only folder", readOnly, [](const QString&) {}});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InterruptedStore interrupted(kApp, c.folder, false);
        SettingsStore plainStore(kApp, c.folder);
        SettingsStore& store = c.interrupted ? interrupted : plainStore;
        c.block(store.filePath());
        QStringList reports;
        store.setFailureReport([&](const QString& text) { reports << text; });

        EXPECT_FALSE(store.write(QStringLiteral("芯片"), QStringLiteral("型号"), "ATMEGA8"));
        ASSERT_EQ(reports.size(), 1);
        EXPECT_FALSE(store.errorString().isEmpty());
        EXPECT_EQ(reports[0], store.failureText(store.errorString()));
        EXPECT_TRUE(reports[0].contains(QDir::toNativeSeparators(store.filePath())));
        EXPECT_TRUE(reports[0].contains(store.errorString()));
        EXPECT_TRUE(store.read(QStringLiteral("芯片"), QStringLiteral("型号")).isEmpty());
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Storing many keys in one step tells a refusal once; the next step tells it again.
TEST_F(SettingsStoreTest, ABatchReportsEachFailureOnce) {
    SettingsStore store(kApp, dir.filePath("s"));
    ASSERT_TRUE(QDir().mkpath(store.filePath()));
    QStringList reports;
    store.setFailureReport([&](const QString& text) { reports << text; });
    {
        const SettingsStore::Batch batch(store);
        const SettingsStore::Batch inner(store);  // nested steps join the outer one
        for (const char* key : {"HZ", "FE", "FLASH", "EEPROM"}) {
            EXPECT_FALSE(store.write(QStringLiteral("校准"), key, "1"));
        }
    }
    EXPECT_EQ(reports.size(), 1);
    EXPECT_FALSE(store.write(QStringLiteral("校准"), "HZ", "1"));
    EXPECT_EQ(reports.size(), 2);

    // Once the file can be written again, the error is gone.
    ASSERT_TRUE(QDir().rmdir(store.filePath()));
    EXPECT_TRUE(store.write(QStringLiteral("校准"), "HZ", "1"));
    EXPECT_TRUE(store.errorString().isEmpty());
    EXPECT_EQ(reports.size(), 2);
}

TEST_F(SettingsStoreTest, CrashMidWriteLeavesPreviousSettings) {
    SettingsStore store(kApp, dir.path());
    ASSERT_TRUE(store.write(QStringLiteral("校准"), QStringLiteral("EEPROM"), "511"));
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            InterruptedStore dying(kApp, dir.path(), true);
            std::ignore = dying.write(QStringLiteral("校准"), QStringLiteral("EEPROM"), "255");
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(store.read(QStringLiteral("校准"), QStringLiteral("EEPROM")), "511");
    // The next write still works after the abandoned temporary file.
    ASSERT_TRUE(store.write(QStringLiteral("校准"), QStringLiteral("EEPROM"), "255"));
    EXPECT_EQ(store.read(QStringLiteral("校准"), QStringLiteral("EEPROM")), "255");
}

TEST_F(SettingsStoreTest, DamagedFileIsKeptAsideOnWrite) {
    SettingsStore store(kApp, dir.path());
    kv::test::writeFile(store.filePath(), "{ not json");
    EXPECT_TRUE(store.read("芯片", "型号").isEmpty());
    ASSERT_TRUE(store.write(QStringLiteral("芯片"), QStringLiteral("型号"), "ATMEGA48"));
    EXPECT_EQ(store.read(QStringLiteral("芯片"), QStringLiteral("型号")), "ATMEGA48");
    EXPECT_EQ(kv::test::readFile(store.filePath() + ".bad"), QByteArray("{ not json"));
}

TEST_F(SettingsStoreTest, FolderIsCreatedAndDefaultIsPerUser) {
    SettingsStore store(kApp, dir.path() + "/deeper/still");
    ASSERT_TRUE(store.write("a", "b", "c"));
    EXPECT_EQ(store.read("a", "b"), "c");
    EXPECT_TRUE(SettingsStore::defaultFolder().endsWith("/kelvaro"));
    EXPECT_EQ(SettingsStore(kApp).folder(), SettingsStore::defaultFolder());
}

}  // namespace
