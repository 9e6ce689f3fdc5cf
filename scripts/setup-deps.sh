#!/usr/bin/env bash
# Installs everything the build, the tests and the run command need on a fresh Debian machine.
# Idempotent: packages already present are not fetched again, and apt's lists are refreshed only
# when something is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  libboost-dev libboost-thread-dev libboost-date-time-dev libboost-chrono-dev
  googletest libgtest-dev libbenchmark-dev libgif-dev
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick gifsicle
  icoutils librsvg2-bin fonts-open-sans
  dpkg-dev
  python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
