# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# A session of kelvaro on the simulated programmer, shared by demo.sh and
# screenshot.sh. Source it from the repository root under `set -euo pipefail`.
#
# Sets: build (BUILD_DIR made absolute, default build) and bin. Installs an EXIT
# trap that closes descriptor 3, ends every process in pids and removes every
# path in cleanup_paths; INT, TERM and HUP exit with 130.

build=${BUILD_DIR:-$PWD/build}
case "$build" in /*) ;; *) build=$PWD/$build ;; esac
bin=$build/bin

pids=()
cleanup_paths=()
sim_session_cleanup() {
  local pid path
  exec 3>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for path in "${cleanup_paths[@]}"; do rm -rf "$path"; done
}
trap sim_session_cleanup EXIT
trap "exit 130" INT TERM HUP

# Only what a session runs: the program, the simulator and the data beside them.
build_programs() {
  scripts/install-deps.sh
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target kelvaro kelvaro-sim kv_data -j "$(nproc)"
}

# start_simulator FIFO LINK [ARGUMENT...]: kelvaro-sim on a pseudo-terminal
# reached through the symbolic link LINK, reading commands from the new FIFO,
# which stays open for writing on descriptor 3. Exits the script when LINK does
# not appear within 10 s.
start_simulator() {
  local fifo=$1 link=$2
  shift 2
  rm -f "$fifo"
  mkfifo "$fifo"
  cleanup_paths+=("$fifo")
  "$bin/kelvaro-sim" --link "$link" "$@" <"$fifo" &
  pids+=($!)
  exec 3>"$fifo"
  for _ in $(seq 100); do
    [ -e "$link" ] && return 0
    sleep 0.1
  done
  echo "${0##*/}: kelvaro-sim did not start" >&2
  exit 1
}

# map_com1 LINK: points COM1 of the program's settings at LINK (section
# "端口映射", key "COM1") and selects port 1. The program names the file
# (kelvaro --settings-path, under XDG_CONFIG_HOME); a missing one is created.
map_com1() {
  python3 - "$("$bin/kelvaro" --settings-path)" "$1" <<'PY'
import json, os, sys
path, link = sys.argv[1], sys.argv[2]
data = {}
if os.path.exists(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
sections = data.setdefault("sections", {})
sections.setdefault("端口映射", {})["COM1"] = link
sections.setdefault("属性", {})["通信端口"] = "1"
os.makedirs(os.path.dirname(path), exist_ok=True)
tmp = path + ".tmp"
with open(tmp, "w", encoding="utf-8") as f:
    json.dump(data, f, ensure_ascii=False, indent=4)
os.replace(tmp, path)
PY
}
