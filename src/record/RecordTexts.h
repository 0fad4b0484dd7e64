// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QString>

namespace kv::recordtexts {

// What the user reads when the record cannot be kept. The window is Chinese;
// %1 carries the path or the database driver's own (English) detail.
inline QString badUrl(const QString& url) {
    return QCoreApplication::translate("RecordTexts", "生产记录数据库地址无效：%1").arg(url);
}
inline QString noDriver(const QString& driver) {
    return QCoreApplication::translate("RecordTexts", "缺少数据库驱动 %1，无法使用生产记录。")
        .arg(driver);
}
inline QString unreachable(const QString& where, const QString& detail) {
    return QCoreApplication::translate("RecordTexts",
                                       "无法连接生产记录数据库 %1，不能在无记录的情况下编程。\n%2")
        .arg(where, detail);
}
inline QString readOnly(const QString& where) {
    return QCoreApplication::translate("RecordTexts", "生产记录数据库 %1 是只读的，记录无法写入。")
        .arg(where);
}
inline QString newerSchema(int found, int known) {
    return QCoreApplication::translate(
               "RecordTexts",
               "生产记录数据库的版本（%1）比本程序所支持的（%2）新，请使用新版程序。"
               "数据库未作改动。")
        .arg(found)
        .arg(known);
}
inline QString diskFull(const QString& where) {
    return QCoreApplication::translate("RecordTexts", "磁盘已满，生产记录无法写入 %1。").arg(where);
}
inline QString writeFailed(const QString& detail) {
    return QCoreApplication::translate("RecordTexts", "生产记录写入失败，本次记录未保存。\n%1")
        .arg(detail);
}
inline QString connectLimit(int seconds) {
    return QCoreApplication::translate("RecordTexts", "连接等待上限为 %1 秒。").arg(seconds);
}
inline QString locked(const QString& where, int seconds) {
    return QCoreApplication::translate(
               "RecordTexts",
               "生产记录数据库 %1 被其他连接锁定，等待 %2 秒后仍未释放，本次未作改动。")
        .arg(where)
        .arg(seconds);
}
inline QString lockWaitStopped(const QString& where) {
    return QCoreApplication::translate("RecordTexts",
                                       "等待生产记录数据库 %1 的锁时已停止，本次未作改动。")
        .arg(where);
}
inline QString statementTimeout(const QString& where, int seconds) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录数据库 %1 在 %2 秒内未完成操作，本次未作改动。")
        .arg(where)
        .arg(seconds);
}
inline QString corrupt(const QString& where, const QString& detail) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录数据库 %1 已损坏，不能使用。请从备份恢复。\n%2")
        .arg(where, detail);
}
inline QString foreign(const QString& where) {
    return QCoreApplication::translate(
               "RecordTexts", "%1 不是本程序的生产记录数据库（其中已有别的表），数据库未作改动。")
        .arg(where);
}
inline QString keepsNothing(const QString& url) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录数据库地址 %1 不会保存任何记录，请给出文件路径。")
        .arg(url);
}
inline QString unknownSequence(const QString& name) {
    return QCoreApplication::translate("RecordTexts", "未定义的序列号：%1").arg(name);
}
inline QString sequenceExhausted(const QString& name, qint64 value) {
    return QCoreApplication::translate("RecordTexts", "序列号 %1 已用尽：%2 超出设定的宽度。")
        .arg(name)
        .arg(value);
}

inline QString notAFile(const QString& path) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录 %1 不是普通文件（设备、管道或指向它们的链接），"
                                       "不能使用，未作任何改动。")
        .arg(path);
}
inline QString permissionDenied(const QString& where, const QString& detail) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录数据库 %1 拒绝了本用户的操作（没有权限）。\n%2")
        .arg(where, detail);
}
inline QString constraintRefused(const QString& where, const QString& detail) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录数据库 %1 拒绝了这条记录（违反表的约束）。\n%2")
        .arg(where, detail);
}
inline QString connectionLost(const QString& where, const QString& detail) {
    return QCoreApplication::translate("RecordTexts", "与生产记录数据库 %1 的连接已断开。\n%2")
        .arg(where, detail);
}
// The one deadline of a command's record work ran out.
inline QString noAnswerWithin(const QString& where, int seconds) {
    return QCoreApplication::translate("RecordTexts",
                                       "生产记录数据库 %1 在 %2 秒内没有完成，已放弃等待。")
        .arg(where)
        .arg(seconds);
}
inline QString stoppedWaiting(const QString& where) {
    return QCoreApplication::translate("RecordTexts", "等待生产记录数据库 %1 时已停止。")
        .arg(where);
}
inline QString serialSpoiledMeanwhile(const QString& sequence, qint64 value, const QString& note,
                                      qint64 id) {
    return QCoreApplication::translate(
               "RecordTexts",
               "序列号冲突：芯片中的序列号 %2（序列 %1）在记录 %4 上传之前已被标为作废（%3）。"
               "该号码仍为作废，不会再发出；记录按芯片中的号码保存。")
        .arg(sequence)
        .arg(value)
        .arg(note)
        .arg(id);
}

// After the chip was written: neither the database nor the spool took its row.
inline QString recordLost(const QString& serial, const QString& passUid,
                          const QString& databaseReason, const QString& spoolReason) {
    return QCoreApplication::translate(
               "RecordTexts",
               "芯片已编程，但本次的生产记录已丢失：数据库和记录暂存文件都无法写入。"
               "序列号：%1；记录标识（pass id）：%2。请把这颗芯片放在一边并登记。\n"
               "数据库：%3\n暂存文件：%4")
        .arg(serial, passUid, databaseReason, spoolReason);
}

inline QString noSuchRecord(qint64 id) {
    return QCoreApplication::translate("RecordTexts", "生产记录中没有编号为 %1 的记录。").arg(id);
}

}  // namespace kv::recordtexts
