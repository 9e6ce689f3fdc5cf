#!/usr/bin/env bash
# Installs everything the build, the tests and the run command need on a fresh Debian machine.
# Idempotent: packages already present are not fetched again, and apt's lists are refreshed only
# when something is missing.
#   setup-deps.sh               the project's packages
#   setup-deps.sh PACKAGE...    only these (scripts/clean-room.sh brings debootstrap this way)
# The same names serve Debian 12 and 13: libclang-rt-dev is the runtime of whichever clang is the
# release's default (14 on Debian 12, 19 on Debian 13), as clang itself is.
# The artwork is drawn with fonts-open-sans and fonts-liberation only; fonts-dejavu-core is the
# other font the artwork check hands those families to, to show that the machine's font
# configuration changes no byte.
# softhsm2 and libengine-pkcs11-openssl let the signing test keep its throwaway key in a token,
# as a company keeps its code-signing key.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  libboost-dev libboost-thread-dev libboost-date-time-dev libboost-chrono-dev
  googletest libgtest-dev libbenchmark-dev libgif-dev
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick gifsicle
  icoutils librsvg2-bin fontconfig fonts-open-sans fonts-liberation fonts-dejavu-core
  dpkg-dev python3
  wixl msitools zip osslsigncode openssl softhsm2 libengine-pkcs11-openssl
)
[ $# -eq 0 ] || packages=("$@")
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
