// SPDX-License-Identifier: MIT
#pragma once

#include "app/PassRecorder.h"
#include "cli/CliRequest.h"

namespace kv {
class SettingsStore;
}

namespace kv::cli {

// The window's record settings with the command line's choices over them.
RecordPolicy recordPolicyOf(const CliRequest& request, const SettingsStore& settings);
// The gang this run belongs to: the gang sets it for its sockets' processes.
RecordContext gangContext();

}  // namespace kv::cli
