#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds everything into ./build (program, simulator, tests, benchmark).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
