#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, checks the formatting, builds, and runs every test
# (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Formatting first (seconds): every tracked C++ file as .clang-format has it.
# Fix with: git ls-files '*.h' '*.cpp' | xargs clang-format -i
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z -- '*.h' '*.cpp' | xargs -0 clang-format --dry-run -Werror
else
  find src sim tests bench -name '*.h' -o -name '*.cpp' | xargs clang-format --dry-run -Werror
fi
scripts/build.sh
# The same sources built once more by clang, as the fuzz targets (libFuzzer,
# ASan, UBSan; ccache shared): each target replays its seeds and the inputs that
# once found a fault. Everything else is gcc's, and a compiler difference must
# not break the sanitizer and fuzz builds unseen. Only the libraries the targets
# link are built (not the window or the tests). It runs before the suite so
# that the suite's summary is the last thing printed.
start=$(date +%s)
scripts/fuzz.sh --replay
echo "clang fuzz build and replay: $(($(date +%s) - start)) s"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"
