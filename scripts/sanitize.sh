#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer in build-sanitize (or $SANITIZE_BUILD_DIR) and runs
# the whole suite there, except the package test. The programs the tests start
# (kelvaro-cli, kelvaro-sim, the gang's children) often have their output
# swallowed by the test, so every report goes to a file in
# build-sanitize/sanitizer-reports/; the run fails when any test fails or any
# report was written. About 12 minutes on two cores.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
jobs="${JOBS:-2}"
# clang and its sanitizer runtimes come with the project's packages.
"$root/scripts/install-deps.sh"

flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DKV_BUILD_BENCHMARKS=OFF -DKV_HARDENING=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
ninja -C "$build" -j "$jobs"

reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE package || status=$?

if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports (one file per process, named by its id):"
  for f in "$reports"/*; do
    echo "---- $f"
    head -n 40 "$f"
  done
  status=1
else
  echo "No sanitizer reports."
fi
exit $status
