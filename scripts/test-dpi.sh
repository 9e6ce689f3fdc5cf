#!/usr/bin/env bash
# The Windows tests that depend on the display DPI (ctest labels dpi120, dpi144, dpi192, dpi168).
# Wine reads the DPI when its wineserver starts, so each DPI runs in a Wine session of its own,
# with a prefix of its own. In the ordinary session (96 DPI) these tests report themselves skipped.
#   scripts/test-dpi.sh [BUILD_DIR]     (default build/windows, already built)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="${1:-build/windows}"
rc=0
for dpi in 120 144 192 168; do
  echo "== display at $dpi DPI"
  SIVREL_DPI="$dpi" scripts/wine-session.sh --prefix "$build/wineprefix-dpi$dpi" -- \
    ctest --test-dir "$build" -L "^dpi$dpi\$" --output-on-failure --no-tests=error || rc=1
done
exit "$rc"
