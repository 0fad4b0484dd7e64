// SPDX-License-Identifier: MIT
#pragma once

namespace commands {

// Reads and answers commands for ever.
[[noreturn]] void run();

}  // namespace commands
