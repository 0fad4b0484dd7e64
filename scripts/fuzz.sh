#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzes every parser: builds the targets of tests/fuzz with clang, libFuzzer,
# ASan and UBSan in their own build folder (build-fuzz, or $FUZZ_BUILD_DIR) and
# runs each for SECONDS (default 60), starting from its seeds and regression
# inputs. New interesting inputs stay in build-fuzz/corpus/TARGET; a crash,
# leak, hang or broken property leaves its input in build-fuzz/artifacts/TARGET
# and makes the script fail.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#   scripts/fuzz.sh --replay [TARGET...]
#
# --replay builds the same way, then runs each target once over its seeds and
# regression inputs only, without fuzzing: what CI does, so that the clang
# build and the targets' properties cannot break unseen (the normal build is
# gcc's).
#
# An input that found a fault goes, once the fault is mended, into
# tests/fuzz/regressions/TARGET/ (named after what it found), so the normal
# build replays it on every test run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
replay=false
if [ "${1:-}" = --replay ]; then
  replay=true
  seconds=0
else
  seconds="${1:-60}"
fi
shift || true
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
jobs="${JOBS:-2}"

# clang and libFuzzer's runtime (libclang-rt-14-dev) come with the project's packages.
"$root/scripts/install-deps.sh"

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=OFF -DKV_BUILD_BENCHMARKS=OFF -DKV_FUZZ=ON -DKV_HARDENING=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
ninja -C "$build" -j "$jobs" fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(sed -n '/^set(kv_fuzz_targets/,/)/p' "$root/tests/fuzz/CMakeLists.txt" |
    sed -e 's/^set(kv_fuzz_targets//' -e 's/)//' | tr ' ' '\n' | grep -v -x '')
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# Targets whose parser reads a file write each input to a scratch folder;
# memory is far quicker there than a disk that syncs every saved file.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
failed=()
printf '%-20s %12s %8s %s\n' target executions corpus result >"$build/fuzz-summary.txt"
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  log="$build/logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  inputs=("$root/tests/fuzz/corpus/$t")
  [ -d "$root/tests/fuzz/regressions/$t" ] && inputs+=("$root/tests/fuzz/regressions/$t")
  result=ok
  if $replay; then
    # Each stored input once; nothing is added to the corpus.
    echo "== $t: replay"
    "$build/bin/fuzz_$t" -runs=0 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "${inputs[@]}" >"$log" 2>&1 || result=FAILED
  else
    echo "== $t: $seconds s"
    "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "${inputs[@]}" \
      >"$log" 2>&1 || result=FAILED
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  printf '%-20s %12s %8s %s\n' "$t" "${runs:-?}" "$(ls "$corpus" | wc -l)" "$result" |
    tee -a "$build/fuzz-summary.txt"
  if [ "$result" != ok ]; then
    failed+=("$t")
    grep -m 5 -e 'ERROR' -e 'property failed' -e 'runtime error' -e 'Test unit written' "$log" || true
  fi
done
echo
cat "$build/fuzz-summary.txt"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Faults in: ${failed[*]} (logs in $build/logs, inputs in $build/artifacts)"
  exit 1
fi
