// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "FuseTestSupport.h"
#include "fuses/FuseEditor.h"
#include "tests/support/TestFiles.h"

namespace {

using kv::FuseEditor;

const QString kDefault = QStringLiteral("**111111********1101100111100001");

// The 33 header lines: default, then names of cells 31 ... 0.
QStringList header(const QString& defaults = kDefault, const QString& prefix = "N") {
    QStringList lines{defaults};
    for (int i = 31; i >= 0; --i)
        lines << prefix + QString::number(i);
    return lines;
}

class Load : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        editor.setDefinitionFolders({dir.path()});
        editor.setLog([this](const QString& m) { log << m; });
    }

    void write(const QString& name, const QStringList& lines, bool finalLineEnd = true) {
        kv::test::writeGbk(dir.filePath(name), lines.join("\r\n") + (finalLineEnd ? "\r\n" : ""));
    }

    QStringList keys() const {
        QStringList k;
        for (const auto& o : editor.options())
            k << o.key;
        return k;
    }

    QTemporaryDir dir;
    FuseEditor editor;
    QStringList log;
};

TEST_F(Load, HeaderCommentsAndOptionsInFileOrder) {
    QStringList lines = header(kDefault);
    lines[32] = QStringLiteral("  CKSEL0 ");  // cell 0's name, blanks kept
    lines[5] = QString();                     // cell 27 has no name
    lines << QStringLiteral("熔丝说明，随便写") << "#"
          << "##" << QStringLiteral("外部时钟{FDBSZFFF0/0000>")
          << QStringLiteral("内部RC振荡器{FDBSZFFF0/0001>说明")
          << QStringLiteral("复位{FSBRSFFFE/0000>") << "##"
          << QStringLiteral("忽略{FSBSPFFFD/0000>");
    write("ATMEGA8.FUS", lines);
    editor.loadFuseDefinitions("ATMEGA8.FUS");

    EXPECT_EQ(editor.defaultFuseBits(), kDefault);
    EXPECT_EQ(editor.bitName(0).caption, QStringLiteral("  CKSEL0 "));
    EXPECT_EQ(editor.bitName(27).caption, QString());
    EXPECT_EQ(editor.bitName(31).caption, "N31");
    ASSERT_EQ(editor.options().size(), 3);
    EXPECT_EQ(keys(), (QStringList{"FDBSZFFF0/0000", "FDBSZFFF0/0001", "FSBRSFFFE/0000"}));
    EXPECT_EQ(editor.options()[1].text, QStringLiteral("内部RC振荡器"));
    EXPECT_TRUE(editor.options()[0].shaded);
    EXPECT_FALSE(editor.options()[1].shaded);
    EXPECT_TRUE(editor.options()[2].shaded);
    EXPECT_TRUE(editor.optionListDisplayed());
    EXPECT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
    // Loading changes neither cells nor check states.
    EXPECT_EQ(editor.cell(0).caption, "");
    for (const auto& o : editor.options())
        EXPECT_FALSE(o.checked);
}

TEST_F(Load, TrimmingAndRedMarks) {
    QStringList lines = header();
    lines << "##" << QStringLiteral("   甲{FSBRSFFFE/0000>  ")
          << QStringLiteral("乙{FSBRSFFFD/0000>*") << QStringLiteral("丙*{FSBRSFFFB/0000>")
          << QStringLiteral("丁*{FSBRSFFF7/0000>*") << QStringLiteral("\t戊\u3000{FSBRSFFEF/0000>");
    write("M.FUS", lines, false);  // no closing "##", no final line end
    editor.loadFuseDefinitions("M.FUS");
    ASSERT_EQ(editor.options().size(), 5);
    const auto& o = editor.options();
    EXPECT_EQ(o[0].text, QStringLiteral("甲"));
    EXPECT_EQ(o[0].key, "FSBRSFFFE/0000");
    EXPECT_FALSE(o[0].marked);
    EXPECT_EQ(o[1].text, QStringLiteral("乙"));
    EXPECT_TRUE(o[1].marked);
    EXPECT_EQ(o[2].text, QStringLiteral("丙"));
    EXPECT_TRUE(o[2].marked);
    EXPECT_EQ(o[3].text, QStringLiteral("丁*"));
    EXPECT_TRUE(o[3].marked);
    EXPECT_EQ(o[4].text, QStringLiteral("戊\u3000"));  // only blanks are trimmed
}

TEST_F(Load, MalformedOptionLinesAreSkippedWithFileAndLine) {
    QStringList lines = header();
    lines << "##" << QStringLiteral("好{FSBRSFFFE/0000>")  // line 35
          << " ##"                                         // 36: not the end marker
          << ""                                            // 37
          << QStringLiteral("无括号FSBRSFFFD/0000>")       // 38
          << QStringLiteral("反>了{FSBRSFFFD/0000")        // 39
          << QStringLiteral("短{FSBRSFFFD/000>")           // 40
          << QStringLiteral("重复{FSBRSFFFE/0000>")        // 41
          << QStringLiteral("越界{FDBSZFFF0/0010>")        // 42
          << QStringLiteral("也好{FDBSZFFF0/0001>") << "##";
    write("BAD.FUS", lines);
    editor.loadFuseDefinitions("BAD.FUS");
    EXPECT_EQ(keys(), (QStringList{"FSBRSFFFE/0000", "FDBSZFFF0/0001"}));
    EXPECT_TRUE(editor.options()[1].shaded == false);
    ASSERT_EQ(log.size(), 7) << log.join('\n').toStdString();
    for (int i = 0; i < log.size(); ++i) {
        EXPECT_TRUE(log[i].contains("BAD.FUS")) << log[i].toStdString();
        EXPECT_TRUE(log[i].contains(QStringLiteral("第%1行").arg(36 + i))) << log[i].toStdString();
    }
}

TEST_F(Load, OptionCountsStopAtTheirLimits) {
    QStringList lines = header() << "##";
    for (int i = 0; i < 256; ++i)  // single bits: only the 255 total applies
        lines << QStringLiteral("位{FSBQJFFFE/%1>").arg(i, 4, 16, QLatin1Char('0')).toUpper();
    write("MANY.FUS", lines);
    editor.loadFuseDefinitions("MANY.FUS");
    EXPECT_EQ(editor.options().size(), 255);
    EXPECT_EQ(editor.options().last().key, "FSBQJFFFE/00FE");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("MANY.FUS") && log[0].contains(QStringLiteral("第290行")))
        << log[0].toStdString();

    log.clear();
    lines = header() << "##";
    for (int i = 0; i < 201; ++i)
        lines << QStringLiteral("组{FDBSZFF00/%1>").arg(i, 4, 16, QLatin1Char('0')).toUpper();
    lines << QStringLiteral("位{FSBQJFEFF/0000>");
    write("GROUPS.FUS", lines);
    editor.loadFuseDefinitions("GROUPS.FUS");
    ASSERT_EQ(editor.options().size(), 201);
    EXPECT_EQ(editor.options()[199].key, "FDBSZFF00/00C7");
    EXPECT_EQ(editor.options()[200].key, "FSBQJFEFF/0000");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(QStringLiteral("第235行"))) << log[0].toStdString();
}

TEST_F(Load, MissingFileKeepsPreviousNamesAndDefaults) {
    write("ATMEGA8.FUS", header(kDefault, "A") << "##" << QStringLiteral("甲{FSBRSFFFE/0000>"));
    editor.loadFuseDefinitions("ATMEGA8.FUS");
    ASSERT_EQ(editor.options().size(), 1);
    EXPECT_EQ(editor.definitionsProblem(), "");

    editor.loadFuseDefinitions("ATMEGA16.FUS");
    EXPECT_TRUE(editor.options().isEmpty());
    EXPECT_EQ(editor.bitName(5).caption, "A5");
    EXPECT_EQ(editor.defaultFuseBits(), kDefault);
    EXPECT_FALSE(editor.optionListDisplayed());
    // The names and defaults shown are ATMEGA8's: said, with the full path.
    const QString expected = QDir::toNativeSeparators(dir.filePath("ATMEGA16.FUS"));
    EXPECT_TRUE(editor.definitionsProblem().contains(expected))
        << editor.definitionsProblem().toStdString();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(expected));
}

TEST_F(Load, BrokenFilesAreRefusedOrLoadedWithoutOptions) {
    write("ATMEGA8.FUS", header(kDefault, "A") << "##" << QStringLiteral("甲{FSBRSFFFE/0000>"));
    editor.loadFuseDefinitions("ATMEGA8.FUS");

    write("SHORT.FUS", header().mid(0, 20));
    editor.loadFuseDefinitions("SHORT.FUS");
    EXPECT_TRUE(editor.options().isEmpty());
    EXPECT_EQ(editor.bitName(5).caption, "A5");
    EXPECT_TRUE(
        editor.definitionsProblem().contains(QDir::toNativeSeparators(dir.filePath("SHORT.FUS"))));
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("SHORT.FUS"));

    write("BADDEF.FUS", header("1111X111") << "##");
    editor.loadFuseDefinitions("BADDEF.FUS");
    EXPECT_EQ(editor.defaultFuseBits(), kDefault);
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[1].contains(QStringLiteral("第1行")));

    const QString other = QString(32, QLatin1Char('1'));
    write("NOMARK.FUS", header(other, "B") << QStringLiteral("甲{FSBRSFFFE/0000>"));
    editor.loadFuseDefinitions("NOMARK.FUS");
    EXPECT_TRUE(editor.options().isEmpty());
    EXPECT_EQ(editor.defaultFuseBits(), other);
    EXPECT_EQ(editor.bitName(5).caption, "B5");
    EXPECT_EQ(editor.definitionsProblem(), "");  // its own names and defaults
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[2].contains("NOMARK.FUS"));
}

TEST_F(Load, NameCaseFallbackOnCaseSensitiveFolders) {
    write("atmega8.fus", header() << "##" << QStringLiteral("甲{FSBRSFFFE/0000>"));
    editor.loadFuseDefinitions("ATMEGA8.FUS");
    EXPECT_EQ(editor.options().size(), 1);
}

TEST(LoadShipped, ReadsFromTheSetFolderBesideTheProgram) {
    EXPECT_EQ(FuseEditor::defaultDefinitionFolders().value(0),
              QCoreApplication::applicationDirPath() + "/Set");
    FuseEditor editor;
    QStringList log;
    editor.setLog([&](const QString& m) { log << m; });
    editor.loadFuseDefinitions("ATMEGA16.FUS");
    EXPECT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
    EXPECT_EQ(editor.defaultFuseBits(), "**111111********1001100111100001");
    EXPECT_EQ(editor.bitName(0).caption, "CKSEL0");
    EXPECT_FALSE(editor.options().isEmpty());
}

}  // namespace
