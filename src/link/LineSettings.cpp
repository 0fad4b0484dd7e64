// SPDX-License-Identifier: MIT
#include "link/LineSettings.h"

#include <QCoreApplication>
#include <QStringList>

#include "core/OperationError.h"

namespace kv {

namespace {

// A field of decimal digits only (no sign, no exponent) that fits an int.
std::optional<int> parseDecimal(const QString& field) {
    if (field.isEmpty()) {
        return std::nullopt;
    }
    for (QChar c : field) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
    }
    bool ok = false;
    const int value = field.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

std::optional<LineSettings> LineSettings::parse(const QString& text, QString* error) {
    auto fail = [&](const QString& reason) -> std::optional<LineSettings> {
        if (error) {
            *error = QCoreApplication::translate("LineSettings", "串口参数“%1”无效：%2")
                         .arg(text, reason);
        }
        return std::nullopt;
    };

    const QStringList fields = text.split(u',');
    if (fields.size() != 4) {
        return fail(QCoreApplication::translate(
            "LineSettings", "应为“波特率,校验位,数据位,停止位”四项，例如“115200,n,8,1”。"));
    }
    const QString baud = fields[0].trimmed();
    const QString parity = fields[1].trimmed();
    const QString data = fields[2].trimmed();
    const QString stop = fields[3].trimmed();

    LineSettings result;
    const auto baudValue = parseDecimal(baud);
    if (!baudValue || *baudValue <= 0) {
        return fail(
            QCoreApplication::translate("LineSettings", "波特率“%1”应为正整数。").arg(baud));
    }
    result.baudRate = *baudValue;

    const QString letter = parity.toLower();
    if (letter == u"n") {
        result.parity = Parity::None;
    } else if (letter == u"e") {
        result.parity = Parity::Even;
    } else if (letter == u"o") {
        result.parity = Parity::Odd;
    } else if (letter == u"m") {
        result.parity = Parity::Mark;
    } else if (letter == u"s") {
        result.parity = Parity::Space;
    } else {
        return fail(QCoreApplication::translate("LineSettings", "校验位“%1”应为 e、o、n、m 或 s。")
                        .arg(parity));
    }

    const auto dataValue = parseDecimal(data);
    if (!dataValue || *dataValue < 4 || *dataValue > 8) {
        return fail(
            QCoreApplication::translate("LineSettings", "数据位“%1”应为 4 到 8。").arg(data));
    }
    result.dataBits = *dataValue;

    if (stop == u"1") {
        result.stopBits = StopBits::One;
    } else if (stop == u"1.5") {
        result.stopBits = StopBits::OneAndHalf;
    } else if (stop == u"2") {
        result.stopBits = StopBits::Two;
    } else {
        return fail(
            QCoreApplication::translate("LineSettings", "停止位“%1”应为 1、1.5 或 2。").arg(stop));
    }
    return result;
}

LineSettings LineSettings::fromText(const QString& text) {
    QString error;
    const auto settings = parse(text, &error);
    if (!settings) {
        throw OperationError(error);
    }
    return *settings;
}

QString LineSettings::toText() const {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(parityLetter(parity))
        .arg(dataBits)
        .arg(stopBitsText(stopBits));
}

QChar LineSettings::parityLetter(Parity parity) {
    switch (parity) {
        case Parity::Even:
            return u'e';
        case Parity::Odd:
            return u'o';
        case Parity::Mark:
            return u'm';
        case Parity::Space:
            return u's';
        case Parity::None:
            break;
    }
    return u'n';
}

QString LineSettings::stopBitsText(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::OneAndHalf:
            return QStringLiteral("1.5");
        case StopBits::Two:
            return QStringLiteral("2");
        case StopBits::One:
            break;
    }
    return QStringLiteral("1");
}

}  // namespace kv
