#!/usr/bin/env bash
# Writes a PNG of the main window, connected to the simulated programmer:
#
#   scripts/screenshot.sh [OUT.png]      (default build/kelvaro.png)
#
# Runs the real window on a private Xvfb display with a throwaway settings
# folder. BUILD_DIR names another build folder (default build); the programs
# are built there first when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build=$root/$build ;; esac
out=${1:-$build/kelvaro.png}
case "$out" in /*) ;; *) out=$root/$out ;; esac

bin=$build/bin
if [ ! -x "$bin/kelvaro" ] || [ ! -x "$bin/kelvaro-sim" ]; then
  scripts/install-deps.sh
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target kelvaro kelvaro-sim kv_data -j "$(nproc)"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 130" INT TERM HUP

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
export DISPLAY=:$display
export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# First start (no display needed) creates the settings file named after the
# window title; then COM1 is pointed at the simulator.
settings_dir=$XDG_CONFIG_HOME/kelvaro
QT_QPA_PLATFORM=offscreen "$bin/kelvaro" </dev/null >/dev/null 2>&1 &
first=$!
for _ in $(seq 100); do
  ls "$settings_dir"/*.json >/dev/null 2>&1 && break
  sleep 0.1
done
kill "$first" 2>/dev/null || true
wait "$first" 2>/dev/null || true

mkfifo "$work/sim-input"
"$bin/kelvaro-sim" --link "$work/tty" <"$work/sim-input" >/dev/null &
pids+=($!)
exec 3>"$work/sim-input"
for _ in $(seq 100); do
  [ -e "$work/tty" ] && break
  sleep 0.1
done
python3 - "$settings_dir" "$work/tty" <<'PY'
import glob, json, os, sys
folder, link = sys.argv[1], sys.argv[2]
for path in glob.glob(os.path.join(folder, "*.json")):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    sections = data.setdefault("sections", {})
    sections.setdefault("端口映射", {})["COM1"] = link
    sections.setdefault("属性", {})["通信端口"] = "1"
    with open(path, "w", encoding="utf-8") as f:
        json.dump(data, f, ensure_ascii=False, indent=4)
PY

"$bin/kelvaro" </dev/null >/dev/null 2>&1 &
pids+=($!)
sleep 3
# The root window is black around the undecorated window: trim to it.
/usr/bin/import -window root "$work/screen.png"
/usr/bin/convert "$work/screen.png" -trim +repage "$out"
echo "$out"
