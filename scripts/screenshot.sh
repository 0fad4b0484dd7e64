#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes a PNG of the main window, connected to the simulated programmer:
#
#   scripts/screenshot.sh [--lang en|zh] [--dark] [OUT.png]   (default build/kelvaro.png)
#
# --lang picks the window's language (default: the program's own choice, from
# the settings or the desktop's language). --dark shows it on a dark desktop:
# the qt6ct platform theme with its "darker" colour scheme, as a user who set
# one would have it.
# Runs the real window on a private Xvfb display with a throwaway settings
# folder. BUILD_DIR names another build folder (default build); the programs
# are built there first when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/sim-session.sh
lang_args=()
dark=0
while [ $# -gt 0 ]; do
  case "$1" in
    --lang)
      case "${2:-}" in
        en | zh) lang_args=(--lang "$2") ;;
        *) echo "usage: $0 [--lang en|zh] [--dark] [OUT.png]" >&2; exit 2 ;;
      esac
      shift 2 ;;
    --dark) dark=1; shift ;;
    *) break ;;
  esac
done
out=${1:-$build/kelvaro.png}
case "$out" in /*) ;; *) out=$PWD/$out ;; esac
mkdir -p "$(dirname "$out")"

if [ ! -x "$bin/kelvaro" ] || [ ! -x "$bin/kelvaro-sim" ]; then
  build_programs
fi

work=$(mktemp -d)
cleanup_paths+=("$work")

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
if [ "$dark" = 1 ]; then
  mkdir -p "$XDG_CONFIG_HOME/qt6ct"
  cat >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf" <<EOC
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
EOC
  export QT_QPA_PLATFORMTHEME=qt6ct
fi

start_simulator "$work/sim-input" "$work/tty" >/dev/null
map_com1 "$work/tty"

"$bin/kelvaro" "${lang_args[@]}" </dev/null >/dev/null 2>&1 &
pids+=($!)
sleep 3
# The root window is black around the undecorated window: trim to it.
/usr/bin/import -window root "$work/screen.png"
/usr/bin/convert "$work/screen.png" -trim +repage "$out"
echo "$out"
