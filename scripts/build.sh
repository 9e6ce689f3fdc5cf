#!/usr/bin/env bash
# Configures and builds one or more trees: native, native-tsan, windows (default: native windows).
#   native       host g++ with ASan+UBSan: the platform-free core and its unit tests
#   native-tsan  host g++ with TSan: the same tests, for the threaded parts
#   bench        host g++, optimised, no sanitizers: the native benchmarks
#   windows      mingw-w64: Sivrel.exe, Korvex.dll, korvexctl.exe, Windows tests (build/windows/bin)
#   release      mingw-w64, optimised, no tests: the shipped binaries with their debug information
#                split off, build/release/Sivrel-<version>-x64.msi and .zip (installer/); signed
#                when SIVREL_SIGN_CERT and SIVREL_SIGN_KEY name a certificate and its key
#                (installer/sign.cmake says what else may be set)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${SIVREL_JOBS:-$(nproc)}"
[ $# -gt 0 ] || set -- native windows
# The release tree is the one command a fresh clone is given for the packages: it sets up first.
case " $* " in *" release "*) "$root/scripts/setup-deps.sh" ;; esac
for tree in "$@"; do
  case "$tree" in
    native)      args=(-DSIVREL_SANITIZE=address) ;;
    native-tsan) args=(-DSIVREL_SANITIZE=thread) ;;
    bench)       args=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF) ;;
    windows)     args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake") ;;
    release)     args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
                       -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DSIVREL_RELEASE=ON) ;;
    *) echo "build: unknown tree $tree" >&2; exit 2 ;;
  esac
  dir="build/$tree"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
  fi
  echo "== building $dir"
  # SIVREL_BUILD_TARGETS limits the build to some targets (the run command needs only the programs).
  targets=()
  for t in ${SIVREL_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
  # The release tree builds what ships and nothing else (no tools, benchmarks or tests).
  if [ "$tree" = release ] && [ ${#targets[@]} -eq 0 ]; then targets=(--target sivrel_release); fi
  if [ "$tree" = release ] && { [ -z "${SIVREL_SIGN_CERT:-}" ] || [ -z "${SIVREL_SIGN_KEY:-}" ]; }; then
    echo "== unsigned: SIVREL_SIGN_CERT and SIVREL_SIGN_KEY name no certificate and key"
  fi
  cmake --build "$dir" -j "$jobs" "${targets[@]}"
done
