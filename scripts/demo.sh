#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts kelvaro wired to the simulated programmer kelvaro-sim.
#
#   scripts/demo.sh [--model NAME] [--lang en|zh]   (default ATMEGA8)
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

model=ATMEGA8
lang_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --model) model=${2:?--model needs a name}; shift 2 ;;
    --model=*) model=${1#--model=}; shift ;;
    --lang) lang_args=(--lang "${2:?--lang needs en or zh}"); shift 2 ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "demo.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
model=${model^^}

source scripts/lib/sim-session.sh
build_programs

demo=$build/demo
export XDG_CONFIG_HOME=$demo/config
mkdir -p "$XDG_CONFIG_HOME"
link=$demo/ttyKELVARO
start_simulator "$demo/sim-input" "$link" --model "$model"
map_com1 "$link"

"$bin/kelvaro" "${lang_args[@]}" </dev/null &
app=$!
pids+=($app)
echo "kelvaro is running on the simulated programmer (COM1 = $link, chip $model)."
echo "Type a model name (ATMEGA8 ... ATTINY4313, see Set/models.txt) to change the chip, a simulator command, or quit."
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
