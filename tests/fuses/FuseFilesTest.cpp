// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include "FuseTestSupport.h"
#include "fuses/FuseCommands.h"
#include "fuses/FuseEditor.h"
#include "fuses/OptionKey.h"

// Every shipped definition file, read with the program's own loader, checked
// against the chip facts it was written from.

namespace {

using kv::FuseCommands;
using kv::FuseEditor;
using kv::OptionKey;

const char* const kBytes[4] = {"lock", "extended", "high", "low"};  // text order

QJsonObject factsOf(const QString& model) {
    static const QJsonObject models = [] {
        QFile f(QStringLiteral(KV_TEST_DATA "/avr-fuse-facts.json"));
        if (!f.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(f.readAll()).object().value("models").toObject();
    }();
    for (auto it = models.begin(); it != models.end(); ++it) {
        if (it.key().toUpper() == model)
            return it.value().toObject();
    }
    return QJsonObject();
}

int hexValue(const QJsonValue& v) {
    return v.toString().mid(2).toInt(nullptr, 16);
}

// A byte the program can read and write for this model.
bool usable(const QJsonObject& facts, const QString& model, const QString& byte) {
    if (!facts["bytes"][byte]["present"].toBool())
        return false;
    return byte != "extended" || FuseCommands::hasExtendedFuseByte(model);
}

// Which byte and which in-byte bits an option acts on.
struct Target {
    QString byte;
    int bits;
};
Target targetOf(const OptionKey& k) {
    switch (k.kind()) {
        case OptionKey::Kind::FSB:
        case OptionKey::Kind::FDB:
            return k.fieldBits() > 0xFF ? Target{"high", k.fieldBits() >> 8}
                                        : Target{"low", k.fieldBits()};
        case OptionKey::Kind::FSE:
        case OptionKey::Kind::FDE:
            return {"extended", k.fieldBits()};
        case OptionKey::Kind::FDL:
            return {"lock", k.fieldBits()};
    }
    return {};
}

class ShippedFile : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override {
        model = GetParam();
        facts = factsOf(model);
        ASSERT_FALSE(facts.isEmpty()) << model.toStdString();
        editor.setDefinitionFolders({QStringLiteral(KV_SOURCE_DIR "/data/Set")});
        editor.setLog([this](const QString& m) { log << m; });
        editor.loadFuseDefinitions(model + ".FUS");
        ASSERT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
    }

    QString model;
    QJsonObject facts;
    FuseEditor editor;
    QStringList log;
};

TEST_P(ShippedFile, IsGbkWithCrLfLines) {
    QFile f(QStringLiteral(KV_SOURCE_DIR "/data/Set/") + model + ".FUS");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    EXPECT_EQ(data.count('\n'), data.count("\r\n"));
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(data);
    EXPECT_FALSE(gbk.hasError());
    EXPECT_TRUE(text.contains(QStringLiteral("熔丝")));
}

TEST_P(ShippedFile, DefaultsAndNamesMatchTheFacts) {
    const QString defaults = editor.defaultFuseBits();
    ASSERT_EQ(defaults.size(), 32);
    editor.applyFuseBits(defaults);
    for (int b = 0; b < 4; ++b) {
        const QString byte = kBytes[b];
        const QJsonArray names = facts["bytes"][byte]["bits_7_to_0"].toArray();
        for (int k = 0; k < 8; ++k) {
            const int position = 8 * b + k;  // 0-based in the text
            const int cell = 31 - position;
            const QString name = names[k].toString();
            const bool exists = usable(facts, model, byte) && name != "-";
            if (!exists) {
                EXPECT_TRUE(defaults.at(position) == QLatin1Char('*')) << byte.toStdString() << k;
                EXPECT_EQ(editor.bitName(cell).caption, QString()) << cell;
            } else {
                EXPECT_FALSE(defaults.at(position) == QLatin1Char('*')) << byte.toStdString() << k;
                EXPECT_EQ(editor.bitName(cell).caption, name) << cell;
            }
        }
        if (usable(facts, model, byte)) {
            const int byteIndex = 3 - b;  // 0 low ... 3 lock
            const quint8 value = byteIndex == 0   ? editor.fuseLow()
                                 : byteIndex == 1 ? editor.fuseHigh()
                                 : byteIndex == 2 ? editor.fuseExtended()
                                                  : editor.lockByte();
            EXPECT_EQ(value, hexValue(facts["defaults"][byte])) << byte.toStdString();
        }
    }
}

TEST_P(ShippedFile, OptionsCoverEveryVendorBitfieldExactly) {
    // Vendor fields by byte and in-byte mask.
    QMap<QString, QJsonObject> fields;
    for (const auto& v : facts["options"].toArray()) {
        const QJsonObject o = v.toObject();
        if (usable(facts, model, o["byte"].toString()))
            fields.insert(o["byte"].toString() + "/" + QString::number(hexValue(o["mask"])), o);
    }
    QMap<QString, QSet<int>> seen;
    QSet<QString> keys;
    for (const auto& option : editor.options()) {
        EXPECT_FALSE(keys.contains(option.key)) << "duplicate " << option.key.toStdString();
        keys.insert(option.key);
        const auto k = OptionKey::parse(option.key);
        ASSERT_TRUE(k.has_value()) << option.key.toStdString();
        const Target t = targetOf(*k);
        const QString id = t.byte + "/" + QString::number(t.bits);
        ASSERT_TRUE(fields.contains(id)) << option.key.toStdString() << " has no vendor field";
        const QJsonObject field = fields[id];
        if (field["kind"].toString() == "flag") {
            EXPECT_FALSE(k->isGroup()) << option.key.toStdString();
            seen[id].insert(-1);
        } else {
            ASSERT_TRUE(k->isGroup()) << option.key.toStdString();
            const int shift = k->kind() == OptionKey::Kind::FDB && t.byte == "high" ? 8 : 0;
            const int value = k->value() >> shift;
            bool listed = false;
            for (const auto& v : field["values"].toArray())
                listed |= hexValue(v.toObject()["byte_bits"]) == value;
            EXPECT_TRUE(listed) << option.key.toStdString();
            seen[id].insert(value);
        }
        // What can lock a technician out is shown in red.
        const QString name = field["name"].toString();
        const bool dangerous = name == "SPIEN" || name == "RSTDISBL" || name == "DWEN" ||
                               (name == "LB" && (k->value() & 0x03) != 0x03);
        EXPECT_EQ(option.marked, dangerous) << option.key.toStdString();
    }
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QJsonObject& field = it.value();
        if (field["kind"].toString() == "flag") {
            EXPECT_TRUE(seen.contains(it.key()))
                << model.toStdString() << " misses " << field["name"].toString().toStdString();
        } else {
            EXPECT_EQ(seen.value(it.key()).size(), field["values"].toArray().size())
                << model.toStdString() << " " << field["name"].toString().toStdString();
        }
    }
}

TEST_P(ShippedFile, NoKeyContainsAnotherGroupsMask) {
    for (const auto& option : editor.options()) {
        const QString mask = option.key.mid(5, 4);
        const QString kind = option.key.left(3);
        for (const auto& other : editor.options()) {
            const bool sameGroup = other.key.left(3) == kind && other.key.mid(5, 4) == mask;
            if (!sameGroup) {
                EXPECT_FALSE(other.key.contains(mask))
                    << other.key.toStdString() << " contains " << mask.toStdString();
            }
        }
    }
}

TEST_P(ShippedFile, DefaultsCheckOneChoicePerGroupAndTheRightSingleBits) {
    editor.applyFuseBits(editor.defaultFuseBits());
    QMap<QString, int> checkedPerGroup;
    for (const auto& option : editor.options()) {
        const auto k = OptionKey::parse(option.key);
        ASSERT_TRUE(k.has_value());
        if (k->isGroup()) {
            checkedPerGroup[option.key.left(3) + option.key.mid(5, 4)] += option.checked ? 1 : 0;
            // The choice the defaults select is the one the file calls the factory value.
            EXPECT_EQ(option.checked, option.text.contains(QStringLiteral("（出厂值）")))
                << option.key.toStdString();
            continue;
        }
        int bit = 0;
        while (!(k->fieldBits() & (1 << bit)))
            ++bit;
        const int cell = k->kind() == OptionKey::Kind::FSE ? 16 + bit : bit;
        EXPECT_EQ(option.checked, editor.cell(cell).caption == "0") << option.key.toStdString();
    }
    for (auto it = checkedPerGroup.begin(); it != checkedPerGroup.end(); ++it)
        EXPECT_EQ(it.value(), 1) << model.toStdString() << " " << it.key().toStdString();
}

// The boot section sizes follow from the part's size: the datasheets' boot size
// tables start at 128 words up to 16 KiB of FLASH and at 256 words for 32 KiB,
// each BOOTSZ step down doubles the section, and the section ends at the last
// FLASH word. A caption copied from a family member of another size (the
// ATmega164A once carried the 32 KiB part's) fails here, in the facts, the
// .FUS file and the English captions alike.
TEST_P(ShippedFile, BootSizeCaptionsFollowFromFlashAndPageSize) {
    QJsonObject bootsz;
    for (const auto& v : facts["options"].toArray()) {
        if (v.toObject()["name"].toString() == "BOOTSZ")
            bootsz = v.toObject();
    }
    if (bootsz.isEmpty())
        GTEST_SKIP() << "no boot section";
    const int flashWords = facts["flash_bytes"].toInt() / 2;
    const int pageWords = facts["flash_page_words"].toInt();
    const int smallest = std::max(128, flashWords / 64);
    QMap<QString, QString> english;
    QFile captions(QStringLiteral(KV_SOURCE_DIR "/data/Set/captions-en.txt"));
    ASSERT_TRUE(captions.open(QIODevice::ReadOnly | QIODevice::Text));
    for (const QString& line : QString::fromUtf8(captions.readAll()).split('\n')) {
        const QStringList f = line.split('\t');
        if (f.size() == 3 && f[0] == model)
            english.insert(f[1], f[2]);
    }
    int checked = 0;
    for (const auto& v : bootsz["values"].toArray()) {
        const QJsonObject choice = v.toObject();
        const int words = smallest << (3 - hexValue(choice["value"]));
        const QString address =
            QStringLiteral("%1").arg(flashWords - words, 4, 16, QLatin1Char('0')).toUpper();
        SCOPED_TRACE(model.toStdString() + " " + std::to_string(words) + " words");
        EXPECT_EQ(words % pageWords, 0);
        const QRegularExpressionMatch vendor =
            QRegularExpression(R"(Boot Flash ?size=(\d+) words (?:Boot|start) address=\$(\w+))")
                .match(choice["caption"].toString());
        ASSERT_TRUE(vendor.hasMatch()) << choice["caption"].toString().toStdString();
        EXPECT_EQ(vendor.captured(1).toInt(), words);
        EXPECT_EQ(vendor.captured(2), address);
        for (const auto& option : editor.options()) {
            const auto k = OptionKey::parse(option.key);
            if (!k || !k->isGroup())
                continue;
            const Target t = targetOf(*k);
            const int shift = k->kind() == OptionKey::Kind::FDB && t.byte == "high" ? 8 : 0;
            if (t.byte != bootsz["byte"].toString() || t.bits != hexValue(bootsz["mask"]) ||
                (k->value() >> shift) != hexValue(choice["byte_bits"]))
                continue;
            ++checked;
            EXPECT_TRUE(option.text.contains(QStringLiteral("%1字（%2字节），起始字地址$%3")
                                                 .arg(words)
                                                 .arg(2 * words)
                                                 .arg(address)))
                << option.text.toStdString();
            EXPECT_TRUE(english.value(option.key)
                            .contains(QStringLiteral("%1 words (%2 bytes), start word address $%3")
                                          .arg(words)
                                          .arg(2 * words)
                                          .arg(address)))
                << english.value(option.key).toStdString();
        }
    }
    EXPECT_EQ(checked, 4);
}

INSTANTIATE_TEST_SUITE_P(AllModels, ShippedFile, ::testing::ValuesIn(kv::test::kShippedModels),
                         [](const auto& info) { return info.param.toStdString(); });

}  // namespace
