// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include "record/PassRecord.h"
#include "record/RecordUrl.h"

namespace kv::test {

enum class Backend { Sqlite, Postgres };
inline void PrintTo(Backend backend, std::ostream* os) {
    *os << (backend == Backend::Sqlite ? "SQLite" : "PostgreSQL");
}

// A new, empty record database for one test: a file in a temporary folder,
// or a database of its own on the throwaway server whose address the CTest
// fixture puts into KV_TEST_POSTGRES (scripts/lib/pg-cluster.sh).
class FreshDatabase {
public:
    explicit FreshDatabase(Backend backend) {
        if (backend == Backend::Sqlite) {
            m_url = QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("record.sqlite"));
            return;
        }
        const QString admin = qEnvironmentVariable("KV_TEST_POSTGRES");
        if (admin.isEmpty()) {
            ADD_FAILURE() << "KV_TEST_POSTGRES is not set: run through ctest, whose fixture "
                             "starts the server";
            return;
        }
        const RecordUrl server = RecordUrl::parse(admin);
        const QString name =
            QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(server.host);
            db.setPort(server.port);
            db.setUserName(server.user);
            db.setDatabaseName(server.database);
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec(QStringLiteral("CREATE DATABASE ") + name))
                << query.lastError().text().toStdString();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        m_url = QStringLiteral("postgresql:///%1?host=%2&port=%3&user=%4")
                    .arg(name, server.host)
                    .arg(server.port)
                    .arg(server.user);
    }
    const QString& url() const { return m_url; }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_url;
};

inline QDateTime at(const char* isoUtc) {
    return QDateTime::fromString(QString::fromLatin1(isoUtc), Qt::ISODateWithMs);
}

// A pass that did everything: both images, fuses, lock, calibration, serial.
inline PassRecord passingRecord() {
    PassRecord r;
    r.startedAt = at("2024-03-01T08:00:00.125Z");
    r.finishedAt = at("2024-03-01T08:00:07.900Z");
    r.station = QStringLiteral("line2-station1");
    r.port = QStringLiteral("COM1");
    r.device = QStringLiteral("/dev/ttyUSB0");
    r.model = QStringLiteral("ATMEGA8");
    r.signature = QStringLiteral("1E9307");
    r.flash = RecordImage::fromContent(QStringLiteral("/srv/fw/main, v2.hex"),
                                       QByteArray::fromHex("0C940001"));
    r.eeprom = RecordImage::fromContent(QStringLiteral("cal.eep"), QByteArray(512, '\xFF'));
    r.fusesWritten = QByteArray::fromHex("E1D9");
    r.fusesRead = QByteArray::fromHex("E1D9");
    r.lockWritten = 0xFC;
    r.lockRead = 0xFC;
    r.calibrationValue = 0xA7;
    r.calibrationTarget = QStringLiteral("FLASH 0x1FFF");
    r.steps = {
        {QStringLiteral("erase"), QStringLiteral("pass"), 120, {}},
        {QStringLiteral("write flash"), QStringLiteral("pass"), 5210, QStringLiteral("8 KiB")},
        {QStringLiteral("verify flash"), QStringLiteral("pass"), 1800, {}},
        {QStringLiteral("write eeprom"), QStringLiteral("skipped"), 0, {}}};
    r.result = QStringLiteral("pass");
    r.host = QStringLiteral("line2-pc");
    r.pid = 4242;
    r.processToken = QStringLiteral("boot/123");
    r.gangRun = QStringLiteral("9b7f6c1e-0000-4000-8000-000000000001");
    r.gangSocket = 3;
    r.schemeName = QStringLiteral("line3.SET");
    r.schemeSha256 = QString(64, u'a');
    r.programVersion = QStringLiteral("2.1.0");
    r.firmwareVersion = QStringLiteral("V3.2");
    r.operatorName = QStringLiteral("王工");
    r.lot = QStringLiteral("WO-2024-118");
    r.log = {QStringLiteral("芯片型号：ATMEGA8"), QStringLiteral("FLASH 校验正确！"),
             QStringLiteral("line with \"quotes\", commas\nand a break")};
    return r;
}

// A pass that stopped part-way: the programmer hung up during the FLASH write.
inline PassRecord failedRecord() {
    PassRecord r;
    r.startedAt = at("2024-03-01T08:01:00.000Z");
    r.finishedAt = at("2024-03-01T08:01:02.450Z");
    r.station = QStringLiteral("line2-station1");
    r.port = QStringLiteral("COM1");
    r.device = QStringLiteral("/dev/ttyUSB0");
    r.model = QStringLiteral("ATMEGA16");
    r.signature = QStringLiteral("1E9403");
    r.flash = RecordImage::fromContent(QStringLiteral("main.hex"), QByteArray(300, '\x55'));
    r.steps = {{QStringLiteral("erase"), QStringLiteral("pass"), 118, {}},
               {QStringLiteral("write flash"), QStringLiteral("fail"), 2210,
                QStringLiteral("no reply after page 12")}};
    r.result = QStringLiteral("fail");
    r.endReason = QStringLiteral("programmer hung up during the FLASH write");
    r.serialSequence = QStringLiteral("board");
    r.spoiledSerial = 5001;
    r.log = {QStringLiteral("写FLASH……"), QStringLiteral("编程器无响应")};
    return r;
}

}  // namespace kv::test
