#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs every Debian package the build, the tests, the demo, the window
# pictures and the package test need. Idempotent; run as root (or with sudo available).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache clang-format
  clang libclang-rt-14-dev
  qt6-base-dev qt6-serialport-dev qt6-qpa-plugins
  qt6-tools-dev qt6-l10n-tools
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  libgtest-dev libgmock-dev
  libelf-dev
  libsimavr-dev simavr gcc-avr binutils-avr avr-libc
  fonts-wqy-microhei qt6-translations-l10n
  xvfb xauth imagemagick qt6ct
  python3
  dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db groff-base
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
