// SPDX-License-Identifier: MIT
#include "schemes/SchemeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include "core/OperationError.h"
#include "schemes/SchemeText.h"

namespace kv {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

}  // namespace

QByteArray SchemeFile::encode(const QString& text) {
    QStringEncoder encoder("GBK");
    const QByteArray gbk = encoder.encode(text);
    // The encoder substitutes what GBK cannot hold; a round trip shows it.
    if (!encoder.hasError()) {
        QStringDecoder decoder("GBK");
        const QString back = decoder.decode(gbk);
        if (!decoder.hasError() && back == text) {
            return gbk;
        }
    }
    return kUtf8Bom + text.toUtf8();
}

QString SchemeFile::decode(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom)) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(bytes.mid(kUtf8Bom.size()));
        if (!decoder.hasError()) {
            return text;
        }
    } else {
        QStringDecoder decoder("GBK");
        const QString text = decoder.decode(bytes);
        if (!decoder.hasError()) {
            return text;
        }
    }
    throw OperationError(
        schemeRefusal(QCoreApplication::translate("SchemeFile", "文件编码无法识别。")),
        ErrorKind::File);
}

void SchemeFile::save(const QString& path, const Scheme& scheme) {
    const QByteArray bytes = encode(schemeToText(scheme));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw OperationError(
            QCoreApplication::translate("SchemeFile", "方案文件保存失败!\n") + file.errorString(),
            ErrorKind::File);
    }
}

Scheme SchemeFile::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw OperationError(
            QCoreApplication::translate("SchemeFile", "方案文件无法打开!\n") + file.errorString(),
            ErrorKind::File);
    }
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes) {
        throw OperationError(
            schemeRefusal(QCoreApplication::translate("SchemeFile", "文件过大,不是方案文件。")),
            ErrorKind::File);
    }
    return schemeFromText(decode(bytes));
}

}  // namespace kv
