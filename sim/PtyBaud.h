// SPDX-License-Identifier: MIT
#pragma once

namespace kv::sim {

// The baud rate a client set on a pseudo-terminal (either side's descriptor),
// custom rates included; 0 when it cannot be read.
int ptyBaudRate(int fd);

}  // namespace kv::sim
