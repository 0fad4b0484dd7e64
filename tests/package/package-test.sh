#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package as a user gets it: built by CPack from a finished build
# tree (nothing is rebuilt), checked by lintian and by the desktop and AppStream
# validators, unpacked into a temporary folder and run from there without a
# display: each program's version, the data lookup, and kelvaro-cli detecting
# a chip in the unpacked kelvaro-sim.
# Usage: package-test.sh BUILD_DIR [CPACK]
set -euo pipefail
build=$(realpath "$1")
cpack=${2:-cpack}
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaro-package.XXXXXX")
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "package test FAILED: $*" >&2
  exit 1
}
step() { echo "== $*"; }

step "building the package"
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
debs=("$work"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  fail "expected one .deb, found: ${debs[*]}"
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): Depends: $depends"
# dpkg-shlibdeps found the libraries the programs link, Qt among them.
[[ $depends == *libqt6core6* && $depends == *libqt6widgets6* ]] || fail "dependencies: $depends"
# Qt's SQL drivers are plug-ins it cannot see: the record needs SQLite's, a
# shared record PostgreSQL's.
[[ $depends == *libqt6sql6-sqlite* ]] || fail "Depends lacks libqt6sql6-sqlite: $depends"
suggests=$(dpkg-deb -f "$deb" Suggests)
[[ $suggests == *libqt6sql6-psql* ]] || fail "Suggests lacks libqt6sql6-psql: $suggests"
# The Chinese window needs Qt's translations and a CJK font, which apt installs by default.
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == *qt6-translations-l10n* && $recommends == *"fonts-wqy-microhei | fonts-noto-cjk"* ]] ||
  fail "Recommends: $recommends"

step "lintian"
# Warnings count as failures too: the package is expected to be clean.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian"

step "unpacking"
root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
desktop-file-validate "$share/applications/org.kelvaro.Kelvaro.desktop" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.kelvaro.Kelvaro.metainfo.xml" ||
  fail "appstreamcli validate"
# The screenshots are the docs folder's pictures; the default one is there.
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
metainfo=$(cat "$share/metainfo/org.kelvaro.Kelvaro.metainfo.xml")
shots=$(grep -o '<image[^>]*>[^<]*' <<<"$metainfo" | sed 's/.*>//')
[ -n "$shots" ] || fail "the AppStream file has no screenshots"
for url in $shots; do
  [[ $url =~ ^https://kelvaro\.example/docs/kelvaro-(en|zh)(-dark)?\.png$ ]] ||
    fail "screenshot $url is not a docs picture"
done
first=${shots%%$'\n'*}
[ -f "$source_dir/docs/${first##*/}" ] || fail "no docs/${first##*/} for the default screenshot"

step "hardening"
# Read whole before matching: grep -q ending a pipe early fails it under pipefail.
for program in kelvaro kelvaro-cli kelvaro-sim; do
  binary="$root/usr/bin/$program"
  header=$(readelf -h "$binary")
  segments=$(readelf -lW "$binary")
  dynamic=$(readelf -d "$binary")
  symbols=$(nm -D "$binary")
  grep -q 'Type: *DYN' <<<"$header" || fail "$program is not position independent"
  grep -q GNU_RELRO <<<"$segments" || fail "$program has no RELRO"
  grep -Eq 'BIND_NOW|FLAGS.*[^_]NOW' <<<"$dynamic" || fail "$program binds lazily"
  grep -q __stack_chk_fail <<<"$symbols" || fail "$program has no stack protector"
  grep -q '_chk@' <<<"$symbols" || fail "$program calls no fortified function"
done
for page in kelvaro kelvaro-cli kelvaro-sim; do
  [ -f "$share/man/man1/$page.1.gz" ] || fail "no manual page for $page"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man $page"
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# The unpacked programs run with no display at all and a settings folder of
# their own.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" \
    timeout 60 "$@"
}
step "versions"
for program in kelvaro kelvaro-cli kelvaro-sim; do
  answer=$(run "$root/usr/bin/$program" --version) || fail "$program --version exits $?"
  [ "$answer" = "$program $version" ] || fail "$program --version says \"$answer\""
  echo "$answer"
done
found=$(run "$root/usr/bin/kelvaro" --data-folder) || fail "kelvaro --data-folder"
[ "$(realpath "$found")" = "$(realpath "$share/kelvaro")" ] ||
  fail "kelvaro --data-folder says $found"
[ -f "$found/Set/ATMEGA16.FUS" ] || fail "no fuse definitions in $found"
# Away from its data, the program's last place to look is where the package
# puts the data.
mkdir "$work/elsewhere"
cp "$root/usr/bin/kelvaro" "$work/elsewhere/"
fallback=$(run "$work/elsewhere/kelvaro" --data-folder) || fail "kelvaro --data-folder elsewhere"
[ "$fallback" = /usr/share/kelvaro ] || fail "the fallback data folder is $fallback"

step "kelvaro-cli detect on the unpacked kelvaro-sim"
mkfifo "$work/sim-in"
"$root/usr/bin/kelvaro-sim" --model ATMEGA16 <"$work/sim-in" >"$work/sim-out" 2>&1 &
sim_pid=$!
exec 3>"$work/sim-in" # the simulator's console stays open until "quit"
pts=""
for _ in $(seq 100); do
  pts=$(sed -n 's/^kelvaro-sim: ATMEGA16 on //p' "$work/sim-out")
  [ -n "$pts" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$pts" ] || fail "kelvaro-sim did not start: $(cat "$work/sim-out")"
status=0
result=$(run "$root/usr/bin/kelvaro-cli" --json -p "$pts" detect | grep '"event":"result"') ||
  status=$?
echo "$result"
[ "$status" -eq 0 ] || fail "kelvaro-cli detect exits $status"
[[ $result == *'"signature":"1E9403"'* && $result == *'"model":"ATMEGA16"'* ]] ||
  fail "kelvaro-cli detect found something else"
echo quit >&3
exec 3>&-
wait "$sim_pid" || fail "kelvaro-sim exits $?"
sim_pid=""
echo "package test passed: $(basename "$deb")"
