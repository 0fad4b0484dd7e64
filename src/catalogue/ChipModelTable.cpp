// SPDX-License-Identifier: MIT
#include "catalogue/ChipModelTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

#include "settings/SettingsStore.h"

namespace kv {

namespace {

QList<ChipModel>& table() {
    static QList<ChipModel> rows = ChipModelTable::builtInRows();
    return rows;
}

QStringList& problems() {
    static QStringList list;
    return list;
}

QString translated(const char* text) {
    return QCoreApplication::translate("ChipModelTable", text);
}

// What a row must look like before its values are weighed.
bool parseFields(const QStringList& fields, ChipModel& row) {
    static const QRegularExpression name(QStringLiteral("^AT[A-Z0-9]+$"));
    static const QRegularExpression signature(QStringLiteral("^1E[0-9A-F]{4}$"));
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,6}$"));
    auto flag = [](const QString& text, bool& out) {
        out = text == u"yes";
        return out || text == u"no";
    };
    if (fields.size() != 7 || !name.match(fields[0]).hasMatch() ||
        !signature.match(fields[1]).hasMatch())
        return false;
    for (int i = 2; i <= 4; ++i) {
        if (!number.match(fields[i]).hasMatch())
            return false;
    }
    row.name = fields[0];
    row.signature = fields[1];
    row.flashSize = fields[2].toInt();
    row.eepromSize = fields[3].toInt();
    row.pageWords = fields[4].toInt();
    return flag(fields[5], row.needsAdapter) && flag(fields[6], row.extendedFuse);
}

// The programmer takes pages of 16, 32 or 64 words, and every address of
// FLASH and EEPROM must fit the window's 16-bit spinners.
bool sizesPossible(const ChipModel& row) {
    const bool page = row.pageWords == 16 || row.pageWords == 32 || row.pageWords == 64;
    return page && row.flashSize > 0 && row.flashSize <= 32768 &&
           row.flashSize % (2 * row.pageWords) == 0 && row.eepromSize > 0 &&
           row.eepromSize <= 32768;
}

// Merges one file into the table; returns the refusals.
QStringList mergeFile(QList<ChipModel>& rows, const QString& path) {
    QStringList refused;
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        return refused;
    if (!file.open(QIODevice::ReadOnly)) {
        refused << QCoreApplication::translate("ChipModelTable", "型号表%1读不出：%2")
                       .arg(path, file.errorString());
        return refused;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QStringList lines = QString(utf8.decode(file.readAll())).split(QLatin1Char('\n'));
    QStringList namesHere;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        const qsizetype comment = line.indexOf(QLatin1Char('#'));
        if (comment >= 0)
            line.truncate(comment);
        const QStringList fields = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        auto refuse = [&](const QString& reason) {
            refused << QCoreApplication::translate("ChipModelTable",
                                                   "型号表%1第%2行：%3，此行不用。")
                           .arg(path)
                           .arg(i + 1)
                           .arg(reason);
        };
        ChipModel row;
        if (!parseFields(fields, row)) {
            refuse(QCoreApplication::translate(
                "ChipModelTable",
                "格式不对，应为七栏：型号 标识字 FLASH字节数 EEPROM字节数 页字数 "
                "需适配器(yes/no) 扩展熔丝(yes/no)"));
            continue;
        }
        if (!sizesPossible(row)) {
            refuse(QCoreApplication::translate(
                "ChipModelTable",
                "容量不可能（FLASH为整页且至多32768字节，页为16、32或64字，"
                "EEPROM为1至32768字节）"));
            continue;
        }
        if (namesHere.contains(row.name)) {
            refuse(QCoreApplication::translate("ChipModelTable", "型号%1在本文件中已有")
                       .arg(row.name));
            continue;
        }
        namesHere << row.name;
        if (ChipModelTable::isBuiltIn(row.name)) {
            // A copy of a built-in row is welcome; a change to one is not.
            const QList<ChipModel>& builtIn = ChipModelTable::builtInRows();
            if (!builtIn.contains(row))
                refuse(QCoreApplication::translate("ChipModelTable", "内置型号%1不能改动")
                           .arg(row.name));
            continue;
        }
        const auto clash = std::find_if(rows.begin(), rows.end(), [&](const ChipModel& other) {
            return other.signature == row.signature && other.name != row.name;
        });
        if (clash != rows.end()) {
            refuse(QCoreApplication::translate("ChipModelTable", "标识字%1已属于%2")
                       .arg(row.signature, clash->name));
            continue;
        }
        const auto same = std::find_if(rows.begin(), rows.end(), [&](const ChipModel& other) {
            return other.name == row.name;
        });
        if (same != rows.end())
            *same = row;
        else
            rows.append(row);
    }
    return refused;
}

}  // namespace

const QList<ChipModel>& ChipModelTable::builtInRows() {
    static const QList<ChipModel> builtIn = {
        {QStringLiteral("ATMEGA8"), QStringLiteral("1E9307"), 8192, 512, 32, false, false},
        {QStringLiteral("ATMEGA16"), QStringLiteral("1E9403"), 16384, 512, 64, false, false},
        {QStringLiteral("ATMEGA32"), QStringLiteral("1E9502"), 32768, 1024, 64, false, false},
        {QStringLiteral("ATMEGA48"), QStringLiteral("1E9205"), 4096, 256, 32, false, true},
        {QStringLiteral("ATMEGA88"), QStringLiteral("1E930A"), 8192, 512, 32, false, true},
        {QStringLiteral("ATMEGA168"), QStringLiteral("1E9406"), 16384, 512, 64, false, true},
        {QStringLiteral("ATMEGA8535"), QStringLiteral("1E9308"), 8192, 512, 32, false, false},
        {QStringLiteral("ATMEGA163"), QStringLiteral("1E9402"), 16384, 512, 64, false, false},
        {QStringLiteral("ATMEGA323"), QStringLiteral("1E9501"), 32768, 1024, 64, false, false},
        {QStringLiteral("ATMEGA8515"), QStringLiteral("1E9306"), 8192, 512, 32, true, false},
        {QStringLiteral("ATMEGA161"), QStringLiteral("1E9401"), 16384, 512, 64, true, false},
        // Its extended byte exists but has always been sent as "..".
        {QStringLiteral("ATMEGA162"), QStringLiteral("1E9404"), 16384, 512, 64, true, false},
        {QStringLiteral("ATTINY2313"), QStringLiteral("1E910A"), 2048, 128, 16, true, true},
        {QStringLiteral("ATTINY26"), QStringLiteral("1E9109"), 2048, 128, 16, true, false},
    };
    return builtIn;
}

const QList<ChipModel>& ChipModelTable::rows() {
    return table();
}

bool ChipModelTable::isBuiltIn(const QString& name) {
    const QList<ChipModel>& builtIn = builtInRows();
    return std::any_of(builtIn.begin(), builtIn.end(),
                       [&](const ChipModel& row) { return row.name == name; });
}

QStringList ChipModelTable::load(const QString& shippedFile, const QString& userFile) {
    QList<ChipModel> rows = builtInRows();
    QStringList refused = mergeFile(rows, shippedFile);
    refused += mergeFile(rows, userFile);
    table() = rows;
    problems() = refused;
    return refused;
}

const QStringList& ChipModelTable::loadProblems() {
    return problems();
}

QString ChipModelTable::userFile() {
    return SettingsStore::defaultFolder() + QLatin1Char('/') + fileName();
}

const ChipModel* ChipModelTable::find(const QString& name) {
    for (const ChipModel& row : rows()) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

const ChipModel& ChipModelTable::fallback() {
    return rows().front();
}

const ChipModel& ChipModelTable::resolve(const QString& name) {
    const ChipModel* row = find(name);
    return row ? *row : fallback();
}

const ChipModel* ChipModelTable::findBySignature(const QString& signature) {
    for (const ChipModel& row : rows()) {
        if (row.signature == signature) {
            return &row;
        }
    }
    return nullptr;
}

QList<ChipModelTable::MenuEntry> ChipModelTable::menuEntries() {
    QList<MenuEntry> entries;
    bool separated = false;
    for (const ChipModel& row : builtInRows()) {
        if (row.needsAdapter && !separated) {
            entries.append({kSeparatorKey, translated(kSeparatorCaption), false});
            separated = true;
        }
        entries.append({row.name, row.name, true});
    }
    // The fifteen above stay as they always were; what the files add goes
    // below a heading of its own.
    const QList<ChipModel>& all = rows();
    for (qsizetype i = builtInRows().size(); i < all.size(); ++i) {
        if (i == builtInRows().size())
            entries.append({kAddedHeadingKey, translated(kAddedHeadingCaption), false});
        const ChipModel& row = all[i];
        entries.append(
            {row.name, row.needsAdapter ? translated(kAdapterEntryCaption).arg(row.name) : row.name,
             true});
    }
    return entries;
}

QString modelFromSignature(const QString& signature) {
    const ChipModel* row = ChipModelTable::findBySignature(signature);
    return row ? row->name : QString();
}

}  // namespace kv
