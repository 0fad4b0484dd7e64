// SPDX-License-Identifier: MIT
#include "app/RecordConnection.h"

#include "core/OperationError.h"
#include "record/RecordDatabase.h"
#include "record/RecordStore.h"
#include "record/RecordUrl.h"
#include "settings/SettingsStore.h"

namespace kv {

QString RecordConnection::settingOf(const QString& typed) {
    const QString text = typed.trimmed();
    // What the browse button or a pasted path gives: a file, not yet a setting.
    if (text.startsWith(u'/'))
        return QStringLiteral("sqlite:") + text;
    return text;
}

std::optional<QString> RecordConnection::problem(const QString& typed) {
    const QString setting = settingOf(typed);
    if (setting.isEmpty())
        return std::nullopt;
    try {
        RecordUrl::parse(setting);
    } catch (const OperationError& e) {
        return e.text();
    }
    return std::nullopt;
}

RecordConnection::Outcome RecordConnection::test(const QString& typed) {
    if (const auto refusal = problem(typed))
        return {false, *refusal};
    const QString setting = settingOf(typed);
    try {
        RecordStore store(setting.isEmpty() ? RecordUrl::defaultUrl() : setting);
        store.ensureReachable();
        const QString where = store.database().url().displayText();
        return {true, tr("连接成功：%1，共 %2 条记录。").arg(where).arg(store.count({}))};
    } catch (const OperationError& e) {
        return {false, e.text()};
    }
}

bool RecordConnection::holdsPassword(const QString& typed) {
    return RecordUrl::withoutPassword(settingOf(typed)) != settingOf(typed);
}

QString RecordConnection::passwordNotStored() {
    return tr(
        "密码不会保存在设置中。请把它写入 ~/.pgpass（或 PGPASSFILE 指定的文件），"
        "或在环境变量 PGPASSWORD 中给出。");
}

bool RecordConnection::store(SettingsStore& settings, const RecordPolicy& policy) {
    const QString section = RecordPolicy::section();
    // A password is never stored: it stays in PGPASSWORD or the password file.
    bool ok = settings.write(section, RecordPolicy::urlKey(),
                             RecordUrl::withoutPassword(settingOf(policy.url)));
    ok = settings.write(section, RecordPolicy::allowKey(),
                        policy.allowUnrecorded ? QStringLiteral("1") : QStringLiteral("0")) &&
         ok;
    ok = settings.write(section, RecordPolicy::stationKey(), policy.station.trimmed()) && ok;
    ok = settings.write(section, RecordPolicy::operatorKey(), policy.operatorName.trimmed()) && ok;
    ok = settings.write(section, RecordPolicy::lotKey(), policy.lot.trimmed()) && ok;
    ok = settings.write(section, RecordPolicy::readBackKey(),
                        policy.readBack ? QStringLiteral("1") : QStringLiteral("0")) &&
         ok;
    return ok;
}

}  // namespace kv
