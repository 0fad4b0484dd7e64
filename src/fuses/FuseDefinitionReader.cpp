// SPDX-License-Identifier: MIT
#include "fuses/FuseDefinitionReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include "fuses/FuseBitText.h"
#include "fuses/OptionKey.h"

namespace kv {

namespace {

const QString kEndMarker = QStringLiteral("##");

// Blanks as the file format means them: spaces and tabs, not U+3000, which
// may be part of a label.
QString trimBlanks(const QString& line) {
    qsizetype from = 0, to = line.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (from < to && blank(line.at(from)))
        ++from;
    while (to > from && blank(line.at(to - 1)))
        --to;
    return line.mid(from, to - from);
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the line end of the last line
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QString lineMessage(const QString& fileName, int lineNumber, const QString& problem) {
    return QCoreApplication::translate("FuseDefinitionReader", "熔丝定义文件%1第%2行：%3，已跳过。")
        .arg(fileName)
        .arg(lineNumber)
        .arg(problem);
}

}  // namespace

QString FuseDefinitionReader::locate(const QStringList& folders, const QString& fileName) {
    for (const QString& folder : folders) {
        const QDir dir(folder);
        if (QFileInfo(dir.filePath(fileName)).isFile())
            return dir.filePath(fileName);
    }
    for (const QString& folder : folders) {
        const QDir dir(folder);
        const QStringList entries = dir.entryList(QDir::Files);
        for (const QString& entry : entries) {
            if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
                return dir.filePath(entry);
        }
    }
    return QString();
}

FuseDefinitionReader::Result FuseDefinitionReader::read(const QString& path,
                                                        const QString& fileName, const LogFn& log) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log(QCoreApplication::translate("FuseDefinitionReader", "熔丝定义文件%1无法打开：%2。")
                .arg(fileName, file.errorString()));
        return {Outcome::Refused, {}};
    }
    return parse(file.readAll(), fileName, log);
}

FuseDefinitionReader::Result FuseDefinitionReader::parse(const QByteArray& data,
                                                         const QString& fileName,
                                                         const LogFn& log) {
    QStringDecoder decoder("GBK");
    const QString text = decoder.decode(data);
    if (decoder.hasError())
        log(QCoreApplication::translate("FuseDefinitionReader",
                                        "熔丝定义文件%1含有不是GBK编码的字符，显示可能有误。")
                .arg(fileName));
    const QStringList lines = splitLines(text);

    auto refuse = [&](const QString& reason) {
        log(QCoreApplication::translate("FuseDefinitionReader",
                                        "熔丝定义文件%1无法使用：%2，未载入。")
                .arg(fileName, reason));
        return Result{Outcome::Refused, {}};
    };
    if (lines.size() < 33)
        return refuse(QCoreApplication::translate("FuseDefinitionReader", "只有%1行，少于33行")
                          .arg(lines.size()));
    if (lines.at(0).size() < 32 || !fusebits::isClean(QStringView(lines.at(0)).left(32)))
        return refuse(
            QCoreApplication::translate("FuseDefinitionReader", "第1行不是32个“1”、“0”或“*”"));

    Result result{Outcome::Loaded, {}};
    FuseDefinitions& out = result.definitions;
    out.defaultBits = lines.at(0);
    out.names.resize(32);
    for (int i = 31; i >= 0; --i)
        out.names[i] = lines.at(32 - i);

    int n = 33;
    while (n < lines.size() && lines.at(n) != kEndMarker)
        ++n;
    if (n == lines.size()) {
        log(QCoreApplication::translate("FuseDefinitionReader",
                                        "熔丝定义文件%1没有“##”行，没有可用的熔丝选项。")
                .arg(fileName));
        return result;
    }
    for (++n; n < lines.size() && lines.at(n) != kEndMarker; ++n) {
        if (!addOption(lines.at(n), n + 1, fileName, log, out))
            break;
    }

    for (int i = 0; i < out.options.size(); ++i) {
        FuseOption& option = out.options[i];
        option.shaded = i % 2 == 0;
        if (option.text.endsWith(QLatin1Char('*'))) {
            option.text.chop(1);
            option.marked = true;
        }
    }
    return result;
}

// False when the list is full and reading should stop.
bool FuseDefinitionReader::addOption(const QString& rawLine, int lineNumber,
                                     const QString& fileName, const LogFn& log,
                                     FuseDefinitions& out) {
    if (out.options.size() >= kMaxOptions) {
        log(QCoreApplication::translate("FuseDefinitionReader",
                                        "熔丝定义文件%1第%2行起的选项已跳过：选项最多%3个。")
                .arg(fileName)
                .arg(lineNumber)
                .arg(kMaxOptions));
        return false;
    }
    const QString line = trimBlanks(rawLine);
    const qsizetype open = line.indexOf(QLatin1Char('{'));
    const qsizetype close = line.indexOf(QLatin1Char('>'));
    QString problem;
    if (line.isEmpty())
        problem = QCoreApplication::translate("FuseDefinitionReader", "空的选项行");
    else if (open < 0 || close < 0)
        problem = QCoreApplication::translate("FuseDefinitionReader", "选项行缺少“{”或“>”");
    else if (close < open)
        problem = QCoreApplication::translate("FuseDefinitionReader", "选项行的“>”在“{”之前");
    const QString key = problem.isEmpty() ? line.mid(open + 1, close - open - 1) : QString();
    std::optional<OptionKey> parsed;
    if (problem.isEmpty())
        parsed = OptionKey::parse(key, &problem);
    if (parsed) {
        for (const FuseOption& existing : out.options) {
            if (existing.key == key) {
                problem =
                    QCoreApplication::translate("FuseDefinitionReader", "键“%1”与前面的选项重复")
                        .arg(key);
                break;
            }
        }
    }
    if (parsed && problem.isEmpty() && parsed->isGroup()) {
        const QStringView kind = QStringView(key).left(3);
        int sameKind = 0;
        for (const FuseOption& existing : out.options)
            sameKind += QStringView(existing.key).left(3) == kind ? 1 : 0;
        if (sameKind >= kMaxGroupOptions)
            problem = QCoreApplication::translate("FuseDefinitionReader", "%1选项超过%2个")
                          .arg(kind)
                          .arg(kMaxGroupOptions);
    }
    if (!problem.isEmpty()) {
        log(lineMessage(fileName, lineNumber, problem));
        return true;
    }
    FuseOption option;
    option.key = key;
    option.text = line.left(open);
    if (line.endsWith(QLatin1Char('*')))
        option.text += QLatin1Char('*');
    out.options.append(option);
    return true;
}

}  // namespace kv
