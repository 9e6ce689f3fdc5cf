#!/usr/bin/env bash
# The release artefacts under test (ctest label "installer"): the shipped binaries, then the
# Windows Installer package installed, started, upgraded, refused as a downgrade and
# uninstalled under Wine. The package changes the machine it is installed on, so the tests run
# in a Wine prefix of their own, build/release/wineprefix, never in the other tests' one.
#   scripts/test-installer.sh [BUILD_DIR]   (default build/windows; both it and build/release
#                                            already built: scripts/build.sh windows release)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="${1:-build/windows}"
export SIVREL_WAIT_FOR_TRAY="${SIVREL_WAIT_FOR_TRAY:-$root/$build/bin/wait-for-tray.exe}"
SIVREL_INSTALL_TESTS=1 scripts/wine-session.sh --prefix build/release/wineprefix -- \
  ctest --test-dir "$build" -L '^installer$' --output-on-failure --no-tests=error
