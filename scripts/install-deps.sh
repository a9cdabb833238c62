#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Zorwise. Safe to run again:
# it asks apt only when a package is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64
  xvfb xauth xdotool x11-utils imagemagick
  libcairo2-dev fonts-dejavu-core fonts-noto-cjk
  fp-utils nsis faketime
  openssl libssl-dev
  wixl msitools prometheus prometheus-node-exporter
  mmdebstrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi
