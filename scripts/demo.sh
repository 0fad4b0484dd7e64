#!/usr/bin/env bash
# Starts kelvaro wired to the simulated programmer kelvaro-sim.
#
#   scripts/demo.sh [--model NAME]     (default ATMEGA8)
#
# Installs what is missing, builds the two programs, starts kelvaro-sim on a
# pseudo-terminal and points COM1 at it. The demo keeps its own settings in
# build/demo/config and never touches your real ones (BUILD_DIR names another
# build folder). While the window is open, type a model name (for example
# ATMEGA16) in this terminal to put a fresh chip of that model into the
# simulated socket; any other line goes to the simulator as a command
# ("fault silent 1", "fault clear", "dump", "hangup", see kelvaro-sim --help).
# "quit" or Ctrl-D ends the simulator; closing the window ends the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

model=ATMEGA8
while [ $# -gt 0 ]; do
  case "$1" in
    --model) model=${2:?--model needs a name}; shift 2 ;;
    --model=*) model=${1#--model=}; shift ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "demo.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
model=${model^^}

build=${BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build=$root/$build ;; esac

scripts/install-deps.sh
# Only what the demo runs: the program, the simulator and the data beside them.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target kelvaro kelvaro-sim kv_data -j "$(nproc)"

bin=$build/bin
demo=$build/demo
export XDG_CONFIG_HOME=$demo/config
mkdir -p "$XDG_CONFIG_HOME"
link=$demo/ttyKELVARO
to_sim=$demo/sim-input
rm -f "$to_sim"
mkfifo "$to_sim"

pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "$to_sim"
}
trap cleanup EXIT
trap "exit 130" INT TERM HUP

# The settings live under the window title, which only the program knows:
# a first start without a display creates the demo's settings file.
settings_dir=$XDG_CONFIG_HOME/kelvaro
if ! ls "$settings_dir"/*.json >/dev/null 2>&1; then
  QT_QPA_PLATFORM=offscreen "$bin/kelvaro" </dev/null >/dev/null 2>&1 &
  first=$!
  for _ in $(seq 100); do
    ls "$settings_dir"/*.json >/dev/null 2>&1 && break
    sleep 0.1
  done
  kill "$first" 2>/dev/null || true
  wait "$first" 2>/dev/null || true
fi

"$bin/kelvaro-sim" --model "$model" --link "$link" <"$to_sim" &
pids+=($!)
exec 3>"$to_sim"  # keeps the simulator's input open
for _ in $(seq 100); do
  [ -e "$link" ] && break
  sleep 0.1
done
[ -e "$link" ] || { echo "demo.sh: kelvaro-sim did not start" >&2; exit 1; }

# COM1 is the simulator's pseudo-terminal (section "端口映射", key "COM1").
python3 - "$settings_dir" "$link" <<'PY'
import glob, json, os, sys
folder, link = sys.argv[1], sys.argv[2]
for path in glob.glob(os.path.join(folder, "*.json")):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    if not data.get("application", "").endswith("V2.0.0\u3000\u3000\u3000\u3000"):
        continue
    sections = data.setdefault("sections", {})
    sections.setdefault("端口映射", {})["COM1"] = link
    sections.setdefault("属性", {})["通信端口"] = "1"
    tmp = path + ".demo"
    with open(tmp, "w", encoding="utf-8") as f:
        json.dump(data, f, ensure_ascii=False, indent=4)
    os.replace(tmp, path)
PY

"$bin/kelvaro" </dev/null &
app=$!
pids+=($app)
echo "kelvaro is running on the simulated programmer (COM1 = $link, chip $model)."
echo "Type a model name (ATMEGA8 ... ATTINY26) to change the chip, a simulator command, or quit."
pending=""
while kill -0 "$app" 2>/dev/null; do
  part=""
  if IFS= read -r -t 1 part; then
    line=$pending$part
    pending=""
    case "$line" in
      "") ;;
      quit|exit) echo quit >&3; break ;;
      [Aa][Tt]*) echo "model ${line^^}" >&3 ;;
      *) echo "$line" >&3 ;;
    esac
  elif [ $? -gt 128 ]; then
    pending=$pending$part  # timed out in the middle of a line
  else
    break  # end of input
  fi
done
wait "$app" 2>/dev/null || true
