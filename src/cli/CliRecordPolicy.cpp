// SPDX-License-Identifier: MIT
#include "cli/CliRecordPolicy.h"

namespace kv::cli {

RecordPolicy recordPolicyOf(const CliRequest& request, const SettingsStore& settings) {
    RecordPolicy policy = RecordPolicy::fromSettings(settings);
    if (!request.recordUrl.isEmpty())
        policy.url = request.recordUrl;
    if (request.operatorName)
        policy.operatorName = *request.operatorName;
    if (request.lot)
        policy.lot = *request.lot;
    // A script has no one watching the log: what it wrote is read back for
    // the record, whatever the window's own setting says.
    policy.readBack = true;
    // The deadline of the record's waits, for this run only.
    bool set = false;
    const int seconds = qEnvironmentVariableIntValue("KELVARO_RECORD_TIMEOUT", &set);
    if (set && seconds > 0)
        policy.waitSeconds = seconds;
    return policy;
}

RecordContext gangContext() {
    RecordContext context;
    context.gangRun = qEnvironmentVariable("KV_GANG_RUN");
    bool ok = false;
    const int socket = qEnvironmentVariableIntValue("KV_GANG_SOCKET", &ok);
    if (ok && !context.gangRun.isEmpty())
        context.gangSocket = socket;
    return context;
}

}  // namespace kv::cli
