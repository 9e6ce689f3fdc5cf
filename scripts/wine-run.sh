#!/usr/bin/env bash
# CTest's emulator for the Windows test executables: runs one program under Wine. Inside
# scripts/wine-session.sh the prefix, display and desktop are already set up; on its own it refuses,
# since a test without a display or desktop would fail in confusing ways.
set -euo pipefail
if [ "${SIVREL_WINE_SESSION:-0}" != 1 ]; then
  echo "wine-run: run the Windows tests through scripts/wine-session.sh (see README)" >&2
  exit 2
fi
exec wine "$@"
